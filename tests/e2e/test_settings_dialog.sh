#!/usr/bin/env bash
# The settings dialog from the tray icon, used as a user would: a left click opens "Lumbrel ";
# a second left click brings the same window to the front; a right click shows no menu while it
# is open; its close box saves its place ([CUSTOMIZE] TOP and LEFT) and the menu comes back.
# The shipped sample channel gives the dialog its news page (4,880 twips high).
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

program_folder Lumbrel --with-sample
write_ini "$ini" "$dir"
ini_set "$ini" DEFAULT FIRST=1 ANIMATION=0
ini_set "$ini" CUSTOMIZE TOP=1500 LEFT=1500
customize() { iconv -f CP932 -t UTF-8 "$ini" 2>/dev/null | tr -d '\r' | sed -n "/^\[CUSTOMIZE\]/,/^\[/s/^$1=//p" | head -1; }

start_notepad  # brings up the desktop, whose corner is grabbed before Lumbrel's icon is there
wait_for 10 grab_desktop tray-before "$tray_area" || fail "could not grab the desktop"
start_lumbrel "$dir"
wait_for 20 tray_icon_found || fail "no tray icon: $ICON_RESULT"
read -r icon_x icon_y _ <<<"$ICON"

dialog_open() { probe find LumbrelSettingsDialog && [ "$(answer visible)" = 1 ]; }
click_desktop 1 "$icon_x" "$icon_y"
wait_for 10 dialog_open || fail "a left click on the tray icon opened no settings dialog"
first=$(answer hwnd)
read -r l t r b <<<"$(answer window)"
[ "$l" = 100 ] && [ "$t" = 100 ] || fail "the dialog opened at ($l, $t), not at the saved 1500 twips (100, 100)"
[ $((b - t)) = $((4880 / 15)) ] || fail "the dialog is $((b - t)) px high, not the news page's 4880 twips"
pass "a left click opened the dialog at ($l, $t) with its news page"

click_desktop 1 "$icon_x" "$icon_y"
sleep 1
dialog_open && [ "$(answer hwnd)" = "$first" ] || fail "a second left click did not keep the one dialog"
pass "a second left click keeps the one dialog"

click_desktop 3 "$icon_x" "$icon_y"
sleep 2
popup_menu_open && fail "a right click showed the tray menu while the dialog is open"
pass "no tray menu while the dialog is open"

# Move it, then close it with its close box (the right end of its title bar).
click_desktop 1 $((r - 12)) $((t + 12))
dialog_closed() { ! dialog_open; }
wait_for 10 dialog_closed || fail "the close box did not close the dialog"
saved() { [ "$(customize TOP)" = 1500 ] && [ "$(customize LEFT)" = 1500 ]; }
wait_for 5 saved || fail "closing saved TOP=$(customize TOP) LEFT=$(customize LEFT), not 1500/1500"
pass "the close box closed the dialog and saved TOP and LEFT"

menu_back() { click_desktop 3 "$icon_x" "$icon_y" && wait_for 3 popup_menu_open; }
wait_for 10 menu_back || fail "the tray menu did not come back after the dialog closed"
xdotool key Escape
pass "the tray menu shows again"

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
