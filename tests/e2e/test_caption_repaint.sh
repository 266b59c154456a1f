#!/usr/bin/env bash
# With notepad in front, Lumbrel paints notepad's caption with its picture (Lum1.bmp tiled from
# the caption's left edge) and leaves every other pixel of the window as it was.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

program_folder Lumbrel
# FIRST=1: the first-run guide would open in a second notepad and take the front.
# ALIGENMENT=0: the title at the left leaves the caption's right part to the picture.
write_ini "$dir/LUM.ini" "$dir" FIRST=1
ini_set "$dir/LUM.ini" DEFAULT ALIGENMENT=0

start_notepad

wait_for 30 notepad_settled || fail "notepad's window did not settle"
caption=$SNAP_CAPTION before_caret=$SNAP_CARET
pass "notepad in front, caption $caption (window coordinates), caret at ${before_caret:-nowhere}"

start_lumbrel "$dir"
t0=$(date +%s%N)
CHANGED="" IMAGE_RESULT=""
repainted() {
  snap Notepad after &&
    CHANGED=$(image changed "$E2E_DIR/before.bmp" "$E2E_DIR/after.bmp" "$SNAP_CAPTION") &&
    IMAGE_RESULT=$(image shows "$E2E_DIR/after.bmp" "$SNAP_CAPTION" "$dir/Lum1.bmp")
}
wait_for 30 repainted || fail "notepad's caption was not repainted with Lum1.bmp: $CHANGED, $IMAGE_RESULT"
[ "$SNAP_HWND" = "$NOTEPAD" ] || fail "snapshot of another window ($SNAP_HWND, notepad is $NOTEPAD)"
[ "$SNAP_CAPTION" = "$caption" ] || fail "notepad's caption moved: $caption -> $SNAP_CAPTION"
pass "caption repainted $(elapsed_ms "$t0") ms after the start: $CHANGED, $IMAGE_RESULT"

# Frame, menu bar, edit control and status bar are notepad's own pixels still.
result=$(image same-outside "$E2E_DIR/before.bmp" "$E2E_DIR/after.bmp" "$caption" "$(grow "$before_caret" 2)" \
  "$(grow "$SNAP_CARET" 2)") || fail "$result"
pass "$result"

# Made wider by a drag on its right border, then narrower again: each time the caption as it is
# now shows the picture, the wider one also where the first one ended.
read -r cl ct cr cb <<<"$caption"
drag_right_border() {
  probe find Notepad
  local l t r b step
  read -r l t r b <<<"$(answer window)"
  xdotool mousemove --window "$(desktop_xwindow)" $((r - 2)) $(((t + b) / 2)) mousedown 1
  for step in 1 2 3 4; do
    sleep 0.1
    xdotool mousemove --window "$(desktop_xwindow)" $((r - 2 + $1 * step / 4)) $(((t + b) / 2))
  done
  xdotool mouseup 1
}
painted_beyond() {
  snap Notepad wider || return 1
  local l t r b
  read -r l t r b <<<"$SNAP_CAPTION"
  [ "$r" -gt "$((cr + 100))" ] || return 1
  # Whole tiles from where the first caption ended (the tiling keeps its phase) to the buttons.
  IMAGE_RESULT=$(image shows "$E2E_DIR/wider.bmp" "$((l + (cr - l + 63) / 64 * 64)) $t $((r - 72)) $b" "$dir/Lum1.bmp")
}
painted_as_before() { snap Notepad narrower && [ "$SNAP_CAPTION" = "$caption" ] && caption_painted Notepad "$dir/Lum1.bmp" narrower; }
drag_right_border 200
wait_for 20 painted_beyond || fail "the wider caption was not painted to its end: $SNAP_CAPTION $IMAGE_RESULT"
pass "wider, caption $SNAP_CAPTION painted past the first one's end: $IMAGE_RESULT"
drag_right_border -200
wait_for 20 painted_as_before || fail "the narrower caption was not painted: $SNAP_CAPTION $IMAGE_RESULT"
pass "as wide as before again, caption painted: $IMAGE_RESULT"

[ -n "$(lumbrel_pids "$dir")" ] || fail "lumbrel.exe is no longer running"
crash_seen && fail "a Wine debugger started (crash)"
pass "lumbrel.exe still running, no crash ($(elapsed_ms) ms in all)"
