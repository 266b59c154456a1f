#!/usr/bin/env bash
# With notepad in front, Lumbrel paints notepad's caption with its picture (Lum1.bmp tiled from
# the caption's left edge) and leaves every other pixel of the window as it was.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

program_folder Lumbrel
# FIRST=1: the first-run guide would open in a second notepad and take the front.
write_ini "$dir/LUM.ini" "$dir" FIRST=1

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

[ -n "$(lumbrel_pids "$dir")" ] || fail "lumbrel.exe is no longer running"
crash_seen && fail "a Wine debugger started (crash)"
pass "lumbrel.exe still running, no crash ($(elapsed_ms) ms in all)"
