#!/usr/bin/env bash
# The clock settings window, used as a user would: 設定 > 時計ｶｽﾀﾏｲｽﾞ from the tray icon's menu
# opens "時計の設定"; a click on the fifth row marks it and "設定" stores [CUSTOMIZE] CLOCK=4
# (2000/01/01 01:30:00 style), closes the window, and notepad's caption clock grows to match.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

program_folder Lumbrel
write_bmp "$E2E_DIR/plain.bmp" 8 18 "(0, 0, 128)"
write_ini "$ini" "$dir"
ini_set "$ini" DEFAULT "PICTURE=$(winpath "$E2E_DIR/plain.bmp")" COLOR=255 ALIGENMENT=0 ANIMATION=0 CLOCK=1 FIRST=1
ini_set "$ini" CUSTOMIZE CLOCK=0
custom_clock() { iconv -f CP932 -t UTF-8 "$ini" 2>/dev/null | tr -d '\r' | sed -n '/^\[CUSTOMIZE\]/,/^\[/s/^CLOCK=//p' | head -1; }

start_notepad
probe find Notepad || fail "no notepad window"
read -r nl nt nr nb <<<"$(answer window)"
wait_for 10 grab_desktop tray-before "$tray_area" || fail "could not grab the desktop"

# red_width: the width of the red title and clock in notepad's caption, with notepad in front.
RED=""
red_width() {
  click_desktop 1 $(((nl + nr) / 2)) $(((nt + nb) / 2))
  probe find @foreground && [ "$(answer hwnd)" = "$NOTEPAD" ] || return 1
  snap Notepad caption || return 1
  local first last
  read -r first last _ <<<"$(colour_span "$E2E_DIR/caption.bmp" "$SNAP_CAPTION" 255,0,0)" || return 1
  RED=$((last - first))
  [ "$RED" -gt "${1:-0}" ]
}

start_lumbrel "$dir"
wait_for 30 red_width || fail "no red title and clock in notepad's caption"
short=$RED
pass "title and the 01:30:00-style clock span $short px"
wait_for 20 tray_icon_found || fail "no tray icon: $ICON_RESULT"
read -r icon_x icon_y _ <<<"$ICON"

# 設定(&S) > 時計ｶｽﾀﾏｲｽﾞ(&D)
dialog_open() { probe find LumbrelClockDialog && [ "$(answer visible)" = 1 ]; }
menu s d
wait_for 10 dialog_open || fail "時計ｶｽﾀﾏｲｽﾞ opened no window"
read -r cl ct cr cb <<<"$(answer client)"
pass "時計の設定 open, client area $((cr - cl)) x $((cb - ct)) at ($cl, $ct)"
[ "$(custom_clock)" = 0 ] || fail "opening the window changed CLOCK to $(custom_clock)"

# Rows are 250 twips, 16 px; the list's sunken edge is 2 px. The fifth row, then the button.
click_desktop 1 $((cl + 150)) $((ct + 2 + 4 * 16 + 8))
sleep 0.5
[ "$(custom_clock)" = 0 ] || fail "marking a row stored CLOCK=$(custom_clock) before 設定 was pressed"
click_desktop 1 $((cl + (3270 + 1095 / 2) / 15)) $((ct + (3390 + 465 / 2) / 15))
clock_is_4() { [ "$(custom_clock)" = 4 ]; }
wait_for 10 clock_is_4 || fail "設定 stored CLOCK=$(custom_clock), not 4"
dialog_closed() { ! dialog_open; }
wait_for 10 dialog_closed || fail "the window stayed open after 設定"
pass "設定 stored [CUSTOMIZE] CLOCK=4 and closed the window"

wait_for 20 red_width $((short + 40)) || fail "notepad's clock did not grow (red spans ${RED:-nothing}, was $short)"
pass "notepad's caption clock follows: red spans $RED px"

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
