#!/usr/bin/env bash
# The dialogs as a person uses them, with real key presses and the mouse wheel: the settings
# window is painted in the dialog colour in both font weights (under every frame too), Tab and
# Shift+Tab walk its controls in reading order and the arrows choose within an option group;
# "時計の設定" closes with Escape storing nothing, stores the next format with Down, Space and
# Enter, and scrolls with the wheel; opened from the tray, it keeps the settings window disabled.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

program_folder Lumbrel --with-sample
write_ini "$ini" "$dir"
ini_set "$ini" DEFAULT FIRST=1 ANIMATION=0 FONT=1 ALIGENMENT=1 SHADOW=0 CLOCK=1 COLOR=16777215
ini_set "$ini" CUSTOMIZE TOP=1500 LEFT=1500 CLOCK=0
key_of() { iconv -f CP932 -t UTF-8 "$ini" 2>/dev/null | tr -d '\r' | sed -n "/^\[$1\]/,/^\[/s/^$2=//p" | head -1; }

start_notepad
wait_for 10 grab_desktop tray-before "$tray_area" || fail "could not grab the desktop"
start_lumbrel "$dir"
wait_for 20 tray_icon_found || fail "no tray icon: $ICON_RESULT"
read -r icon_x icon_y _ <<<"$ICON"

settings_open() { probe find LumbrelSettingsDialog && [ "$(answer visible)" = 1 ]; }
focus_is() { probe find LumbrelSettingsDialog && [ "$(answer focus)" = "$1" ]; }
click_desktop 1 "$icon_x" "$icon_y"
wait_for 10 settings_open || fail "a left click on the tray icon opened no settings window"
read -r sl st sr sb <<<"$(answer window)"
wait_for 5 focus_is 1001 || fail "the first control (cmdfix, 1001) has no focus on opening: focus=$(answer focus)"
pass "the settings window opened with the focus on its first control"

# looks NAME: the settings window has no near-black area: under 10 % of its client area, and
# inside each frame (a point clear of the frame's controls) the colour of the page outside them.
looks() {
  snap LumbrelSettingsDialog "$1" || return 1
  local cl ct
  read -r cl ct _ _ <<<"$(answer client)"
  LOOKS=$(python3 - "$E2E_DIR/$1.bmp" $((cl - sl)) $((ct - st)) <<'PY'
import sys
from bmp24 import load
width, height, rows = load(sys.argv[1])
ox, oy = int(sys.argv[2]), int(sys.argv[3])
def px(x, y):
    return tuple(rows[oy + y][3 * (ox + x): 3 * (ox + x) + 3])
client = [(x, y) for y in range(0, height - oy) for x in range(0, width - 2 * ox) if ox + x < width]
dark = sum(max(px(x, y)) < 40 for x, y in client) / len(client)
page = px(336, 10)
# Client points inside each frame, clear of the controls: picture, colour, position, typeface, news.
inside = {"picture": (9, 39), "colour": (9, 83), "position": (9, 141), "typeface": (177, 141), "news": (9, 211)}
wrong = [f"{name} {px(x, y)}" for name, (x, y) in inside.items() if px(x, y) != page]
print(f"{dark:.1%} near-black, page colour {page}" + (f", frames differ: {wrong}" if wrong else ", every frame alike"))
sys.exit(0 if dark < 0.10 and not wrong else 1)
PY
  )
}
wait_for 10 looks bold || fail "the settings window (bold) is not painted in the dialog colour: $LOOKS"
pass "bold: $LOOKS"

# Five Tabs: cmdColor, cmdShadow, the marked 右揃え, the marked 太字, 強調表示; Shift+Tab goes back.
expected=(1003 1005 1007 1011 1012)
for i in 0 1 2 3 4; do
  xdotool key Tab
  wait_for 5 focus_is "${expected[$i]}" || fail "Tab $((i + 1)) left the focus on $(answer focus), not ${expected[$i]}"
done
pass "five Tab presses moved the focus five times: ${expected[*]}"
xdotool key shift+Tab
wait_for 5 focus_is 1011 || fail "Shift+Tab left the focus on $(answer focus), not 太字 (1011)"
xdotool key Up
font_is() { [ "$(key_of DEFAULT FONT)" = "$1" ]; }
wait_for 5 focus_is 1010 && wait_for 5 font_is 0 || fail "Up from 太字: focus $(answer focus), FONT=$(key_of DEFAULT FONT)"
pass "Shift+Tab came back to 太字 and Up chose 通常表示 (FONT=0 stored)"
wait_for 10 looks normal || fail "the settings window (normal weight) is not painted in the dialog colour: $LOOKS"
pass "normal weight: $LOOKS"

# Closed, then "時計の設定" from the tray; a left click on the icon meanwhile brings the settings
# window up disabled, behind the clock window.
click_desktop 1 $((sr - 12)) $((st + 12))
settings_closed() { ! settings_open; }
wait_for 10 settings_closed || fail "the settings window did not close"
clock_open() { probe find LumbrelClockDialog && [ "$(answer visible)" = 1 ]; }
clock_closed() { ! clock_open; }
menu s d
wait_for 10 clock_open || fail "時計ｶｽﾀﾏｲｽﾞ opened no window"
click_desktop 1 "$icon_x" "$icon_y"
settings_waiting() { settings_open && [ "$(answer enabled)" = 0 ] && clock_open && [ "$(answer foreground)" = 1 ]; }
wait_for 10 settings_waiting || fail "with the clock window open the settings window is not disabled behind it"
pass "the clock window opened from the tray keeps the settings window disabled"
xdotool key Escape
wait_for 10 clock_closed || fail "Escape did not close 時計の設定"
[ "$(key_of CUSTOMIZE CLOCK)" = 0 ] || fail "Escape stored CLOCK=$(key_of CUSTOMIZE CLOCK)"
settings_enabled() { settings_open && [ "$(answer enabled)" = 1 ]; }
wait_for 5 settings_enabled || fail "the settings window stayed disabled after the clock window closed"
pass "Escape closed 時計の設定, stored nothing, and the settings window is enabled again"
click_desktop 1 $((sr - 12)) $((st + 12))
wait_for 10 settings_closed || fail "the settings window did not close"

# Down, Space, Enter: the format after the marked one (0) is stored and the window closes.
menu s d
wait_for 10 clock_open || fail "時計ｶｽﾀﾏｲｽﾞ opened no window"
xdotool key --delay 200 Down space Return
clock_is_1() { [ "$(key_of CUSTOMIZE CLOCK)" = 1 ]; }
wait_for 10 clock_is_1 || fail "Down, Space, Enter stored CLOCK=$(key_of CUSTOMIZE CLOCK), not 1"
wait_for 10 clock_closed || fail "Enter stored the format but left the window open"
pass "Down, Space, Enter stored CLOCK=1 and closed the window"

# The wheel: a notch down over the list scrolls it, with the focus on the list and on "設定".
menu s d
wait_for 10 clock_open || fail "時計ｶｽﾀﾏｲｽﾞ opened no window"
read -r cl ct cr cb <<<"$(answer client)"
list_rows() { # the list's area (window coordinates) of the last snapshot, as a checksum
  python3 - "$E2E_DIR/$1.bmp" <<'PY'
import hashlib, sys
from bmp24 import load
width, height, rows = load(sys.argv[1])
print(hashlib.sha1(b"".join(rows[y] for y in range(30, min(height, 200)))).hexdigest())
PY
}
snap LumbrelClockDialog wheel-0 || fail "no snapshot of the clock window"
xdotool mousemove --window "$(desktop_xwindow)" $((cl + 100)) $((ct + 100)) click 5
sleep 1
snap LumbrelClockDialog wheel-1 || fail "no snapshot of the clock window"
[ "$(list_rows wheel-0)" != "$(list_rows wheel-1)" ] || fail "a wheel notch over the list did not scroll it"
xdotool key Tab
sleep 0.5
xdotool mousemove --window "$(desktop_xwindow)" $((cl + 100)) $((ct + 100)) click 5
sleep 1
snap LumbrelClockDialog wheel-2 || fail "no snapshot of the clock window"
[ "$(list_rows wheel-1)" != "$(list_rows wheel-2)" ] || fail "with the focus on 設定 a notch over the list did not scroll it"
pass "the wheel scrolls the list, also while 設定 has the focus"
xdotool key Escape
wait_for 10 clock_closed || fail "Escape did not close 時計の設定"
[ "$(key_of CUSTOMIZE CLOCK)" = 1 ] || fail "scrolling and Escape changed CLOCK to $(key_of CUSTOMIZE CLOCK)"

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
