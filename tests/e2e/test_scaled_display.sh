#!/usr/bin/env bash
# On a display scaled to 150 % (144 dots per inch) captions are taller, and Lumbrel, aware of the
# display's scale, still paints exactly notepad's caption: the picture fills the caption and no
# pixel outside it changes; the overlay stands over the same caption up to its buttons.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
  wine reg add "$key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 || fail "could not set the display's scale"
done
program_folder Lumbrel
write_ini "$dir/LUM.ini" "$dir" FIRST=1

start_notepad
wait_for 30 notepad_settled || fail "notepad's window did not settle"
caption=$SNAP_CAPTION before_caret=$SNAP_CARET
read -r _ top _ bottom <<<"$caption"
[ $((bottom - top)) -ge 24 ] || fail "the display is not scaled: caption $caption"
pass "notepad in front on a scaled display, caption $caption"

start_lumbrel "$dir"
IMAGE_RESULT=""
repainted() { snap Notepad after && IMAGE_RESULT=$(image shows "$E2E_DIR/after.bmp" "$caption" "$dir/Lum1.bmp"); }
wait_for 30 repainted || fail "notepad's caption was not painted with Lum1.bmp: $IMAGE_RESULT"
pass "$IMAGE_RESULT"
result=$(image same-outside "$E2E_DIR/before.bmp" "$E2E_DIR/after.bmp" "$caption" "$(grow "$before_caret" 2)" \
  "$(grow "$SNAP_CARET" 2)") || fail "$result"
pass "$result"

stop_lumbrel "$dir"
write_ini "$dir/LUM.ini" "$dir" FIRST=1 OVERLAY=1
start_lumbrel "$dir"
wait_for 30 overlay_over_notepad any || fail "no overlay over notepad: $(cat "$PROBE_ANSWER")"
overlay_spans "$caption" || fail "overlay at $OVERLAY_RECT, caption $caption"
pass "the overlay stands over the scaled caption up to its buttons: $OVERLAY_RECT"
crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
