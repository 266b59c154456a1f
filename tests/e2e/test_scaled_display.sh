#!/usr/bin/env bash
# On a display scaled to 150 % (144 dots per inch) captions are taller, and Lumbrel, aware of the
# display's scale, still paints exactly notepad's caption: no pixel outside it changes, and the
# pictures, drawn for the 18-px caption of 100 %, are stretched to it band by band: every frame
# of Lum1.bmp's animation shows one band on every row, a texture too, and no row is black. The
# overlay stands over the same caption up to its buttons.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
  wine reg add "$key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 || fail "could not set the display's scale"
done
program_folder Lumbrel
# No title and no clock: the caption is picture but for its icon and buttons.
write_ini "$dir/LUM.ini" "$dir" FIRST=1 CLOCK=0
ini_set "$dir/LUM.ini" DEFAULT ALIGENMENT=3

start_notepad
wait_for 30 notepad_settled || fail "notepad's window did not settle"
caption=$SNAP_CAPTION before_caret=$SNAP_CARET
read -r _ top _ bottom <<<"$caption"
[ $((bottom - top)) -ge 24 ] || fail "the display is not scaled: caption $caption"
pass "notepad in front on a scaled display, caption $caption"

start_lumbrel "$dir"
IMAGE_RESULT=""
repainted() { snap Notepad after && IMAGE_RESULT=$(image stretched "$E2E_DIR/after.bmp" "$caption" "$dir/Lum1.bmp" 18); }
wait_for 30 repainted || fail "notepad's caption was not painted with a stretched band of Lum1.bmp: $IMAGE_RESULT"
pass "$IMAGE_RESULT"
result=$(image same-outside "$E2E_DIR/before.bmp" "$E2E_DIR/after.bmp" "$caption" "$(grow "$before_caret" 2)" \
  "$(grow "$SNAP_CARET" 2)") || fail "$result"
pass "$result"
# The animation goes on: each frame caught shows one whole band, and more than one band shows.
bands=" "
for _ in $(seq 1 15); do
  snap Notepad frame || continue
  result=$(image stretched "$E2E_DIR/frame.bmp" "$caption" "$dir/Lum1.bmp" 18) || fail "a frame: $result"
  band=$(sed -E 's/^band ([0-9]+) .*/\1/' <<<"$result")
  [[ "$bands" == *" $band "* ]] || bands+="$band "
  [ "$(wc -w <<<"$bands")" -ge 2 ] && break
  sleep 0.2
done
[ "$(wc -w <<<"$bands")" -ge 2 ] || fail "the animation showed only band(s) $bands"
pass "animation frames show whole stretched bands: $bands"

stop_lumbrel "$dir"
write_ini "$dir/LUM.ini" "$dir" FIRST=1 CLOCK=0 ANIMATION=0
ini_set "$dir/LUM.ini" DEFAULT ALIGENMENT=3 "PICTURE=$(winpath "$dir")\\Texture\\Sky.bmp"
start_lumbrel "$dir"
textured() { snap Notepad texture && IMAGE_RESULT=$(image stretched "$E2E_DIR/texture.bmp" "$caption" "$dir/Texture/Sky.bmp" 18); }
wait_for 30 textured || fail "the texture was not stretched to the caption: $IMAGE_RESULT"
pass "Texture/Sky.bmp: $IMAGE_RESULT"

stop_lumbrel "$dir"
write_ini "$dir/LUM.ini" "$dir" FIRST=1 OVERLAY=1
start_lumbrel "$dir"
wait_for 30 overlay_over_notepad any || fail "no overlay over notepad: $(cat "$PROBE_ANSWER")"
overlay_spans "$caption" || fail "overlay at $OVERLAY_RECT, caption $caption"
pass "the overlay stands over the scaled caption up to its buttons: $OVERLAY_RECT"
crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
