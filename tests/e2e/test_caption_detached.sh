#!/usr/bin/env bash
# The caption never shows detached from its window, in either mode. Notepad is dragged 300 px by
# its caption, then made 200 px narrower by its right border, with the mouse, while the probe reads
# the screen every few milliseconds: no frame shows the decoration (a solid magenta picture)
# outside notepad's caption band as notepad stands in that frame, and within 250 ms of the last
# move the caption is decorated again.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin
write_bmp "$E2E_DIR/magenta.bmp" 8 18 "(255, 0, 255)"

decorated_now() { probe detached Notepad 150 FF00FF && [ "$(answer decorated)" -gt 0 ]; }
# watch_while DESCRIPTION COMMAND...: the probe watches while COMMAND moves the mouse; fails on
# a detached frame or a caption not decorated again in time.
watch_while() {
  local what=$1
  shift
  probe_start detached Notepad 2500 FF00FF
  wait_for 30 test -e "$PROBE_ANSWER.sampling" || fail "$mode, $what: the probe did not begin to watch"
  "$@"
  probe_wait || fail "$mode, $what: the screen was not watched: $(head -1 "$PROBE_ANSWER")"
  local frames detached again
  frames=$(answer frames) detached=$(answer detached) again=$(answer redecorated)
  [ "$detached" = 0 ] ||
    fail "$mode, $what: $detached of $frames frames show the decoration away from the caption (ms:pixels $(answer detached_at))"
  [ "$again" -ge 0 ] && [ "$again" -le 250 ] ||
    fail "$mode, $what: not decorated again within 250 ms of the last move ($again ms; $frames frames)"
  pass "$mode, $what: $frames frames, none detached; decorated again $again ms after the last move"
}
# steps X Y DX DY: the left button held from (X, Y), moved by (DX, DY) in 10 steps 40 ms apart.
steps() {
  local desktop step
  desktop=$(desktop_xwindow)
  xdotool mousemove --window "$desktop" "$1" "$2" mousedown 1
  for step in 1 2 3 4 5 6 7 8 9 10; do
    sleep 0.04
    xdotool mousemove --window "$desktop" $(($1 + $3 * step / 10)) $(($2 + $4 * step / 10))
  done
  sleep 0.05
  xdotool mouseup 1
}

for mode in title-bar overlay; do
  program_folder "$mode"
  write_ini "$ini" "$dir"
  ini_set "$ini" DEFAULT "PICTURE=$(winpath "$E2E_DIR/magenta.bmp")" COLOR=16777215 ANIMATION=0 CLOCK=0 FIRST=1 \
    "OVERLAY=$([ "$mode" = overlay ] && echo 1 || echo 0)"
  place_notepad 40 60 640 400
  start_notepad
  start_lumbrel "$dir"
  wait_for 30 decorated_now || fail "$mode: notepad's caption is never decorated"
  probe find Notepad
  read -r l t r b <<<"$(answer window)"
  watch_while "a 300 px drag" steps $(((l + r) / 2)) $((t + 12)) 300 40
  probe find Notepad
  read -r l t r b <<<"$(answer window)"
  [ "$l" -gt 200 ] || fail "$mode: notepad was not dragged (left edge at $l)"
  watch_while "200 px narrower" steps $((r - 2)) $(((t + b) / 2)) -200 0
  probe find Notepad
  read -r nl _ nr _ <<<"$(answer window)"
  [ $((nr - nl)) -lt $((r - l - 100)) ] || fail "$mode: notepad was not made narrower ($((r - l)) to $((nr - nl)) px)"
  stop_lumbrel "$dir"
  probe post Notepad 0x10 >/dev/null
done
crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
