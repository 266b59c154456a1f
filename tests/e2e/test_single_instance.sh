#!/usr/bin/env bash
# One Lumbrel at a time: a second lumbrel.exe started from the same folder ends at once without
# touching LUM.ini, and the first one goes on painting captions.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

program_folder Lumbrel
start_notepad
start_lumbrel "$dir"
first_run_over() { [ -f "$ini" ] && iconv -f CP932 -t UTF-8 "$ini" 2>/dev/null | tr -d '\r' | grep -qx FIRST=1; }
wait_for 30 first_run_over || fail "the first instance wrote no LUM.ini with FIRST=1"
wait_for 30 caption_painted @foreground "$dir/Lum1.bmp" first || fail "the first instance paints no caption: $IMAGE_RESULT"
first=$(lumbrel_pids "$dir")
[ "$(echo "$first" | wc -w)" = 1 ] || fail "expected one lumbrel.exe, found: ${first:-none}"
probe find LumbrelForm1 || fail "the first instance has no hidden LumbrelForm1 window"
form=$(answer hwnd)
pass "first instance running (Unix pid $first, hidden window $form), LUM.ini written with FIRST=1"

before=$(stamp "$ini")
# Started with plain `wine` in the foreground, so its end is seen directly. It lands on Wine's
# default desktop, not the test's, but the instance mutex is one per session, not per desktop.
t0=$(date +%s%N)
(cd "$dir" && timeout 60 wine "$(winpath "$dir/lumbrel.exe")" >>"$E2E_DIR/wine.log" 2>&1)
status=$?
[ "$status" -ne 124 ] || fail "the second instance was still running after 60 s"
[ "$status" -eq 0 ] || fail "the second instance ended with status $status"
pass "the second instance ended by itself after $(elapsed_ms "$t0") ms, status 0"
[ "$(stamp "$ini")" = "$before" ] || fail "the second instance wrote LUM.ini"
pass "LUM.ini unchanged (bytes and modification time)"

[ "$(lumbrel_pids "$dir")" = "$first" ] || fail "lumbrel.exe processes now: $(lumbrel_pids "$dir" | xargs)"
probe find LumbrelForm1 && [ "$(answer hwnd)" = "$form" ] || fail "the first instance's window is gone"
# A new notepad in front: only a running first instance can paint its caption.
start_notepad
wait_for 30 caption_painted @foreground "$dir/Lum1.bmp" later || fail "the first instance stopped painting: $IMAGE_RESULT"
pass "the first instance still runs and painted a new notepad's caption ($IMAGE_RESULT)"

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
