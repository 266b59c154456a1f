#!/usr/bin/env bash
# The tray icon's menu, driven as a user does: right-click the icon, choose by access keys.
# 設定 > 右揃え writes ALIGENMENT=1 and moves the title to the right of the caption; 設定 > 時計描画
# writes CLOCK=1 and puts the clock after the title; 終了 ends the program and takes the icon away.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

program_folder Lumbrel
# A plain dark picture: the red title is the only pure red in the caption.
write_bmp "$E2E_DIR/plain.bmp" 8 18 "(0, 0, 128)"
write_ini "$ini" "$dir"
ini_set "$ini" DEFAULT "PICTURE=$(winpath "$E2E_DIR/plain.bmp")" COLOR=255 ALIGENMENT=0 ANIMATION=0 CLOCK=0 FIRST=1
ini_value() { iconv -f CP932 -t UTF-8 "$ini" 2>/dev/null | tr -d '\r' | sed -n "/^\[DEFAULT\]/,/^\[/s/^$1=//p" | head -1; }
ini_has() { [ "$(ini_value "$1")" = "$2" ]; }

start_notepad
probe find Notepad || fail "no notepad window"
read -r nl nt nr nb <<<"$(answer window)"

# The bottom-right corner of the desktop, where the tray icon will sit, before Lumbrel runs.
wait_for 10 grab_desktop tray-before "$tray_area" || fail "could not grab the desktop"

# title_at left|right [MIN_WIDTH]: notepad is in front and its caption shows red text wholly in
# that half (at least MIN_WIDTH px wide); TITLE holds "FIRST LAST COUNT".
TITLE=""
title_at() {
  TITLE=""
  probe find @foreground && [ "$(answer hwnd)" = "$NOTEPAD" ] || return 1
  snap Notepad caption || return 1
  local l r first last middle
  read -r l _ r _ <<<"$SNAP_CAPTION"
  middle=$(((l + r) / 2))
  TITLE=$(colour_span "$E2E_DIR/caption.bmp" "$SNAP_CAPTION" 255,0,0) || return 1
  read -r first last _ <<<"$TITLE"
  [ $((last - first)) -ge "${2:-0}" ] || return 1
  if [ "$1" = left ]; then [ "$last" -lt "$middle" ]; else [ "$first" -ge "$middle" ]; fi
}

start_lumbrel "$dir"
wait_for 30 title_at left || fail "no red title at the left of notepad's caption (red at x ${TITLE:-nowhere})"
read -r first last _ <<<"$TITLE"
title_width=$((last - first))
pass "red title at the left of notepad's caption, x $first..$last"

wait_for 20 tray_icon_found || fail "no tray icon at the bottom right of the desktop: $ICON_RESULT"
read -r icon_x icon_y icon_rect <<<"$ICON"
pass "tray icon at ($icon_rect), clicking at ($icon_x, $icon_y)"

menu_closed() { ! probe find '#32768' || [ "$(answer visible)" = 0 ]; }
# After a menu the hidden form may keep the front: a click on notepad's edit area brings it back.
notepad_to_front() {
  click_desktop 1 $(((nl + nr) / 2)) $(((nt + nb) / 2))
  wait_for 5 probe_is_notepad
}
probe_is_notepad() { probe find @foreground && [ "$(answer hwnd)" = "$NOTEPAD" ]; }
in_front_with_title() { notepad_to_front && wait_for 3 title_at "$@"; }

# 設定(&S) > 右揃え(&R)
menu s r
wait_for 10 ini_has ALIGENMENT 1 || fail "LUM.ini has ALIGENMENT=$(ini_value ALIGENMENT) after 右揃え"
wait_for 10 menu_closed || fail "the menu stayed open after 右揃え"
pass "設定 > 右揃え wrote ALIGENMENT=1"
wait_for 20 in_front_with_title right "$((title_width - 2))" ||
  fail "the red title did not move to the right half (red at x ${TITLE:-nowhere})"
read -r first last _ <<<"$TITLE"
pass "the red title moved to the right of the caption, x $first..$last"

# 設定(&S) > 時計描画(&T)
menu s t
wait_for 10 ini_has CLOCK 1 || fail "LUM.ini has CLOCK=$(ini_value CLOCK) after 時計描画"
wait_for 10 menu_closed || fail "the menu stayed open after 時計描画"
pass "設定 > 時計描画 wrote CLOCK=1"
wait_for 20 in_front_with_title right "$((title_width + 30))" ||
  fail "no clock after the title (red at x ${TITLE:-nowhere}, the title alone was $title_width px wide)"
read -r first last _ <<<"$TITLE"
pass "the clock follows the title, red at x $first..$last"

# 終了(&Q)
[ -n "$(lumbrel_pids "$dir")" ] || fail "lumbrel.exe ended before 終了"
if ! { ini_has ALIGENMENT 1 && ini_has CLOCK 1; }; then
  fail "LUM.ini lost a setting: ALIGENMENT=$(ini_value ALIGENMENT) CLOCK=$(ini_value CLOCK)"
fi
menu q
t0=$(date +%s%N)
lumbrel_gone() { [ -z "$(lumbrel_pids "$dir")" ]; }
wait_for 15 lumbrel_gone || fail "lumbrel.exe still runs 15 s after 終了"
pass "lumbrel.exe ended $(elapsed_ms "$t0") ms after 終了"
icon_gone() { grab_desktop tray-after "$tray_area" && cmp -s "$E2E_DIR/tray-before.ppm" "$E2E_DIR/tray-after.ppm"; }
wait_for 10 icon_gone || fail "the corner of the desktop ($tray_area) does not look as before Lumbrel started"
pass "the corner of the desktop ($tray_area) looks as before Lumbrel started: the icon is gone"

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
