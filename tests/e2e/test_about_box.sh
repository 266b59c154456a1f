#!/usr/bin/env bash
# The about box, used as a user would: ﾊﾞｰｼﾞｮﾝ情報(&V) in the tray icon's menu opens
# "ﾊﾞｰｼﾞｮﾝ情報" topmost, 5160 x 2085 twips, with our logo on screen; with notepad in front, the
# same item raises that window rather than opening a second; its close box discards it, and the
# item then opens it anew.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

LOGO="$LUM_TEST_BUILD/assets/about_logo.bmp"
[ -f "$LOGO" ] || fail "no $LOGO: run make build-win"
program_folder Lumbrel
write_ini "$ini" "$dir" FIRST=1

start_notepad
probe find Notepad || fail "no notepad window"
read -r nl nt _ _ <<<"$(answer window)"
wait_for 10 grab_desktop tray-before "$tray_area" || fail "could not grab the desktop"
start_lumbrel "$dir"
wait_for 30 tray_icon_found || fail "no tray icon: $ICON_RESULT"
read -r icon_x icon_y _ <<<"$ICON"

about_open() { probe find LumbrelAboutBox && [ "$(answer visible)" = 1 ]; }
about_in_front() { about_open && [ "$(answer foreground)" = 1 ]; }
about_closed() { ! probe find LumbrelAboutBox; }
# checks_out: the open box is the only one, topmost and titled as it should be.
checks_out() {
  [ "$(answer same_class)" = 1 ] || fail "$(answer same_class) about windows"
  [ "$(answer topmost)" = 1 ] || fail "the about box is not topmost"
  [ "$(answer title)" = "ﾊﾞｰｼﾞｮﾝ情報" ] || fail "the about box is titled \"$(answer title)\""
}

menu v
wait_for 10 about_in_front || fail "ﾊﾞｰｼﾞｮﾝ情報 opened no window in front: $(cat "$PROBE_ANSWER")"
checks_out
first=$(answer hwnd)
read -r wl wt wr _ <<<"$(answer window)"
read -r cl ct cr cb <<<"$(answer client)"
[ $((cr - cl)) = 344 ] && [ $((cb - ct)) = 139 ] || fail "client area $((cr - cl)) x $((cb - ct)), not 344 x 139"
pass "ﾊﾞｰｼﾞｮﾝ情報 open, topmost, in front, client area 344 x 139"

# The logo stands at Picture1 (60, 60) + Image1 (150, 30) twips in the client area, pixel for pixel.
snap LumbrelAboutBox about || fail "could not snap the about box"
python3 - "$E2E_DIR/about.bmp" "$LOGO" $((cl - wl + 14)) $((ct - wt + 6)) <<'PY' || fail "the logo is not on screen"
import sys
from bmp24 import load
shot, logo = load(sys.argv[1]), load(sys.argv[2])
left, top = int(sys.argv[3]), int(sys.argv[4])
rows = [shot[2][top + y][3 * left: 3 * (left + logo[0])] for y in range(logo[1])]
same = sum(a == b for a, b in zip(rows, logo[2]))
print(f"{same} of {logo[1]} logo rows on screen")
sys.exit(0 if same == logo[1] else 1)
PY
pass "our 309 x 75 logo shows in the box"

# Notepad in front, then the same item again: the one window comes back to the front.
click_desktop 1 $((nl + 40)) $((nt + 10))
notepad_front() { probe find @foreground && [ "$(answer hwnd)" = "$NOTEPAD" ]; }
wait_for 10 notepad_front || fail "notepad did not come to the front"
menu v
wait_for 10 about_in_front || fail "asking again did not bring the box to the front: $(cat "$PROBE_ANSWER")"
checks_out
[ "$(answer hwnd)" = "$first" ] || fail "asking again made a new window"
pass "asking again raised the same window (one instance)"

# The close box (right end of the title bar) discards it; the item opens a fresh one.
click_desktop 1 $((wr - 12)) $((wt + 12))
wait_for 10 about_closed || fail "the close box left the about box open"
pass "the close box closed it"
menu v
wait_for 10 about_in_front || fail "ﾊﾞｰｼﾞｮﾝ情報 did not open the box again"
checks_out
pass "opened again after closing"

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
