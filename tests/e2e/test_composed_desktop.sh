#!/usr/bin/env bash
# On a desktop that claims Windows 10 the window manager composes frames, and Lumbrel, with no
# OVERLAY key, chooses the overlay by itself: it stands over notepad's caption up to notepad's own
# buttons and the title bar itself is left alone. Then with the stand-in dwmapi.dll, which answers
# as Windows 10 and 11 do: the overlay covers exactly the visible frame's caption band up to the
# buttons the window manager reports; a cloaked notepad gets none; switching composition off and on
# (WM_DWMCOMPOSITIONCHANGED) swaps overlay and painted title bar with nothing left behind.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin "" win10

program_folder Lumbrel
write_ini "$dir/LUM.ini" "$dir" FIRST=1

start_notepad
wait_for 30 notepad_settled || fail "notepad's window did not settle"
caption=$SNAP_CAPTION before_caret=$SNAP_CARET
cp "$E2E_DIR/before.bmp" "$E2E_DIR/own.bmp"
pass "notepad in front, caption $caption"

# Wine's own window manager calls: composition on, but no frame or button bounds.
start_lumbrel "$dir"
wait_for 30 overlay_over_notepad any || fail "no overlay over notepad on Windows 10: $(cat "$PROBE_ANSWER")"
overlay_spans "$caption" || fail "overlay at $OVERLAY_RECT, caption $caption"
IMAGE_RESULT=""
shown() { snap Notepad after && IMAGE_RESULT=$(image shows "$E2E_DIR/after.bmp" "$OVERLAY_RECT" "$dir/Lum1.bmp"); }
wait_for 30 shown || fail "the overlay does not show Lum1.bmp: $IMAGE_RESULT"
result=$(image same-outside "$E2E_DIR/own.bmp" "$E2E_DIR/after.bmp" "$OVERLAY_RECT" "$(grow "$before_caret" 2)" \
  "$(grow "$SNAP_CARET" 2)") || fail "the title bar was painted besides the overlay: $result"
pass "no OVERLAY key on Windows 10: overlay at $OVERLAY_RECT over caption $caption; $IMAGE_RESULT; $result"
stop_lumbrel "$dir"

# The stand-in: frame bounds 7 px in from the window's sides and bottom, three 46 x 30 buttons at
# the frame's right end.
use_dwm_standin "$dir"
probe find Notepad
read -r nl nt nr nb <<<"$(answer window)"
notepad=$(answer hwnd)
width=$((nr - nl))
read -r _ ct _ cb <<<"$caption"
frame_left=7 buttons_left=$((width - 7 - 3 * 46))
band="$frame_left $ct $buttons_left $cb"
start_lumbrel "$dir"
wait_for 30 overlay_over_notepad "$band" ||
  fail "the overlay is at ${OVERLAY_RECT:-nowhere}, not over the visible frame's band $band up to the buttons"
wait_for 30 shown || fail "the overlay does not show Lum1.bmp: $IMAGE_RESULT"
result=$(image same-outside "$E2E_DIR/own.bmp" "$E2E_DIR/after.bmp" "$OVERLAY_RECT" "$(grow "$before_caret" 2)" \
  "$(grow "$SNAP_CARET" 2)") || fail "$result"
pass "stand-in: frame $((nl + 7)) $nt $((nr - 7)) $((nb - 7)), buttons from x=$buttons_left (window);" \
  "overlay at $OVERLAY_RECT = the band $band; $result"

# Cloaked (on another virtual desktop, say): no overlay; back again when uncloaked.
overlay_gone() { ! probe find LumbrelCaptionOverlay || [ "$(answer visible)" = 0 ]; }
dwm_standin Cloaked "$((notepad))"
wait_for 10 overlay_gone || fail "a cloaked notepad still has the overlay: $(cat "$PROBE_ANSWER")"
pass "notepad cloaked: no overlay"
dwm_standin Cloaked 0
wait_for 10 overlay_over_notepad "$band" || fail "no overlay over notepad once uncloaked: ${OVERLAY_RECT:-none}"
pass "uncloaked: the overlay is back at $OVERLAY_RECT"

# Composition off while running: the overlay goes and the title bar is painted.
dwm_standin Composition 0
probe broadcast 0x031E || fail "could not send WM_DWMCOMPOSITIONCHANGED"
wait_for 10 overlay_gone || fail "the overlay stays with composition off: $(cat "$PROBE_ANSWER")"
wait_for 10 caption_painted Notepad "$dir/Lum1.bmp" painted || fail "composition off: title bar not painted: $IMAGE_RESULT"
pass "composition off: no overlay, the title bar painted ($IMAGE_RESULT)"

# And on again: the overlay is back, and notepad's own caption beside it, buttons included.
dwm_standin Composition 1
probe broadcast 0x031E || fail "could not send WM_DWMCOMPOSITIONCHANGED"
wait_for 10 overlay_over_notepad "$band" || fail "composition on: no overlay at $band: ${OVERLAY_RECT:-none}"
own_again() {
  snap Notepad again &&
    IMAGE_RESULT=$(image same-outside "$E2E_DIR/own.bmp" "$E2E_DIR/again.bmp" "$OVERLAY_RECT" \
      "$(grow "$before_caret" 2)" "$(grow "$SNAP_CARET" 2)")
}
wait_for 10 own_again || fail "composition on: the painted title bar was left behind: $IMAGE_RESULT"
[ "$(probe find LumbrelCaptionOverlay && answer same_class)" = 1 ] || fail "more than one overlay window"
pass "composition on: one overlay at $OVERLAY_RECT, the title bar notepad's own again ($IMAGE_RESULT)"

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
