#!/usr/bin/env bash
# The tray icon outlives the taskbar: taken away as a restarting taskbar loses it, it is back
# within 2 s of "TaskbarCreated" (which Wine never broadcasts, so the test does), and its menu
# works again.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

program_folder Lumbrel
write_ini "$ini" "$dir"
ini_set "$ini" DEFAULT ANIMATION=0 FIRST=1
start_notepad
wait_for 10 grab_desktop tray-before "$tray_area" || fail "could not grab the desktop"
start_lumbrel "$dir"
wait_for 20 tray_icon_found || fail "no tray icon at the bottom right of the desktop: $ICON_RESULT"
pass "tray icon at ($(echo "$ICON" | cut -d' ' -f3-))"

probe untray LumbrelForm1 1 || fail "could not take the icon away: $(head -1 "$PROBE_ANSWER")"
icon_gone() { grab_desktop tray-gone "$tray_area" && cmp -s "$E2E_DIR/tray-before.ppm" "$E2E_DIR/tray-gone.ppm"; }
wait_for 10 icon_gone || fail "the icon still shows after the taskbar lost it"
pass "the icon is gone, as from a taskbar that restarted"

t0=$(date +%s%N)
probe broadcast TaskbarCreated || fail "could not broadcast TaskbarCreated"
wait_for 2 tray_icon_found || fail "the icon is not back 2 s after TaskbarCreated: $ICON_RESULT"
pass "the icon is back $(elapsed_ms "$t0") ms after TaskbarCreated"

read -r icon_x icon_y _ <<<"$ICON"
menu q
lumbrel_gone() { [ -z "$(lumbrel_pids "$dir")" ]; }
wait_for 15 lumbrel_gone || fail "the returned icon's menu did not reach 終了: lumbrel.exe still runs"
pass "the returned icon's menu works: 終了 ended lumbrel.exe"
crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
