#!/usr/bin/env bash
# The window manager failing Lumbrel on a desktop that claims Windows 10: a dwmapi.dll that does
# not load, or one whose every call fails, gives the Windows 7 behaviour (the title bar painted,
# no overlay); calls that start failing while the overlay is shown change nothing until
# composition is reported changed, and then the title bar is painted; a window that dies under
# the overlay takes the overlay with it. Never a crash.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin "" win10

program_folder Lumbrel
write_ini "$dir/LUM.ini" "$dir" FIRST=1
overlay_gone() { ! probe find LumbrelCaptionOverlay || [ "$(answer visible)" = 0 ]; }
notepad_gone() { ! probe find Notepad; }
close_notepad() {
  probe post Notepad 0x10 || fail "could not close notepad: $(cat "$PROBE_ANSWER")"
  wait_for 10 notepad_gone || fail "notepad did not close"
}
IMAGE_RESULT=""
painted() { caption_painted Notepad "$dir/Lum1.bmp" painted; }
start_notepad
wait_for 30 notepad_settled || fail "notepad's window did not settle"

# A dwmapi.dll that is no library at all, loaded instead of Wine's.
use_dwm_standin "$dir"
head -c 4096 /dev/urandom >"$dir/dwmapi.dll"
start_lumbrel "$dir"
wait_for 30 painted || fail "with a broken dwmapi.dll the title bar was not painted: $IMAGE_RESULT"
overlay_gone || fail "an overlay with a broken dwmapi.dll"
pass "dwmapi.dll does not load: the title bar is painted ($IMAGE_RESULT), no overlay"
stop_lumbrel "$dir"
close_notepad # its title bar keeps what was painted

# Every call fails.
use_dwm_standin "$dir"
dwm_standin Fail 1
start_notepad
start_lumbrel "$dir"
wait_for 30 painted || fail "with every call failing the title bar was not painted: $IMAGE_RESULT"
overlay_gone || fail "an overlay though composition could not be asked"
pass "every call fails: the title bar is painted ($IMAGE_RESULT), no overlay"

# The calls work again and composition is reported changed: the overlay.
dwm_standin Fail 0
probe broadcast 0x031E || fail "could not send WM_DWMCOMPOSITIONCHANGED"
wait_for 10 overlay_over_notepad any || fail "no overlay once the calls work: $(cat "$PROBE_ANSWER")"
pass "the calls work: overlay at $OVERLAY_RECT"
# They fail again while the overlay is shown: it stays in place...
dwm_standin Fail 1
sleep 1
overlay_over_notepad "$OVERLAY_RECT" || fail "the overlay moved or went when the calls began to fail: ${OVERLAY_RECT:-none}"
# ...and composition reported changed gives the title bar.
probe broadcast 0x031E || fail "could not send WM_DWMCOMPOSITIONCHANGED"
wait_for 10 overlay_gone || fail "the overlay stays though composition cannot be asked"
wait_for 10 painted || fail "the title bar was not painted: $IMAGE_RESULT"
pass "the calls fail again: the overlay stays until composition is reported changed, then the title bar ($IMAGE_RESULT)"

# A window that dies under the overlay takes it along.
dwm_standin Fail 0
probe broadcast 0x031E || fail "could not send WM_DWMCOMPOSITIONCHANGED"
wait_for 10 overlay_over_notepad any || fail "no overlay: $(cat "$PROBE_ANSWER")"
close_notepad
wait_for 5 overlay_gone || fail "the overlay stays over nothing after notepad closed"
pass "notepad closed under the overlay: the overlay went too"

crash_seen && fail "a Wine debugger started (crash)"
[ -n "$(lumbrel_pids "$dir")" ] || fail "lumbrel.exe is gone"
pass "lumbrel.exe runs on, no crash ($(elapsed_ms) ms in all)"
