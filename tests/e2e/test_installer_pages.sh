#!/usr/bin/env bash
# The installer run by hand: its pages in Japanese, our picture on the first and last ones, the
# options page with "Windows の起動時に Lumbrel を開始する" (its Japanese drawn as real characters,
# not as empty boxes), ticked for a first install. Cleared, nothing is registered to start with
# Windows and the last page's "Lumbrel を開始する" is clear too; installing again offers the box as
# it was left, and ticked it registers the start and the last page starts Lumbrel. Each page is
# kept as a PNG in the test's folder.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/installer.sh"
installer_begin
wizard_picture="$LUM_TEST_BUILD/installer/wizard.bmp"
[ -f "$wizard_picture" ] || fail "no $wizard_picture: run make dist"

# page_check picture SNAP "DX DY" PICTURE: PICTURE shows at (DX, DY) of the snapshot (90% of its
# pixels exactly). page_check box SNAP LEFT: finds the page's check box (the first box with a grey
# frame below the page header, right of LEFT), prints whether it is ticked and how many different
# glyph shapes its label has; fails when there is no box.
page_check() {
  python3 - "$@" <<'EOF'
import sys
from bmp24 import load

def pixel(image, x, y):
    return tuple(image[2][y][3 * x: 3 * x + 3])

command, snap = sys.argv[1], load(sys.argv[2])
width, height = snap[:2]
if command == "picture":
    dx, dy = map(int, sys.argv[3].split())
    picture = load(sys.argv[4])
    cells = [(x, y) for y in range(picture[1]) for x in range(picture[0])]
    share = sum(pixel(picture, x, y) == pixel(snap, dx + x, dy + y) for x, y in cells) / len(cells)
    print(f"{share:.0%} of the picture shows")
    sys.exit(0 if share >= 0.9 else 1)

dark = lambda x, y: sum(pixel(snap, x, y)) < 300
grey = lambda x, y: 300 <= sum(pixel(snap, x, y)) < 600
def frame_run(y):
    """The first run of at least 9 grey pixels on the row: the top of a box's frame."""
    x = int(sys.argv[3])
    while x < width * 2 // 3:
        end = x
        while end < width and grey(end, y):
            end += 1
        if end - x >= 9:
            return x, end - x
        x = end + 1
    return None

found = next(((y, run) for y in range(80, height - 20) if (run := frame_run(y))), None)
if not found:
    print("no check box on the page")
    sys.exit(1)
top, (first, run) = found
left, size = first - 1, run + 2  # the frame's corners are lighter than its sides
# The tick is dark, or light blue while the mouse is over the box; the box is white inside.
inside = sum(sum(pixel(snap, x, y)) < 600 for y in range(top + 2, top + size - 2) for x in range(left + 2, left + size - 2))
# The label: runs of columns with dark pixels, beside the box, on the box's rows.
rows = range(top - 2, top + size + 2)
shapes, current = [], []
for x in range(left + size + 2, width - 5):
    column = tuple(dark(x, y) for y in rows)
    if any(column):
        current.append(column)
    elif current:
        shapes.append(tuple(current))
        current = []
print(f"box at {left} {top} size {size}: {'ticked' if inside >= 5 else 'clear'} ({inside} dark pixels inside);"
      f" label {len(shapes)} glyph shapes, {len(set(shapes))} different")
print(f"BOX={left + size // 2} {top + size // 2} TICKED={int(inside >= 5)} SHAPES={len(set(shapes))}")
EOF
}

# setup_page NAME: snaps the installer's window as NAME (bmp, and the whole desktop as NAME.png);
# PAGE_OFFSET is the client area's place in the window, WINDOW_AT the window's on the desktop.
setup_page() {
  snap '#32770' "$1" || return 1
  [[ "$(answer title)" == "Lumbrel セットアップ"* ]] || return 1
  local wl wt cl ct
  read -r wl wt _ _ <<<"$(answer window)"
  read -r cl ct _ _ <<<"$(answer client)"
  PAGE_OFFSET="$((cl - wl)) $((ct - wt))" WINDOW_AT="$wl $wt"
  import -window root "$E2E_DIR/$1.png"
}
press() {
  xdotool windowfocus --sync "$(desktop_xwindow)" && xdotool key "$1"
}
shows_wizard_picture() { setup_page "$1" && page_check picture "$E2E_DIR/$1.bmp" "$PAGE_OFFSET" "$wizard_picture" >/dev/null; }

# The buttons are not reachable from the keyboard once the mouse has clicked into the page under
# Wine, so the mouse clicks them too: "次へ"/"インストール"/"完了" sits at the same place from the
# window's bottom right corner on every page.
click_next() {
  local l t r b
  read -r l t r b <<<"$(answer window)"
  click_desktop 1 $((r - 139)) $((b - 26))
  xdotool mousemove --window "$(desktop_xwindow)" 10 10 # away, or the button stays lit
}
# box_state NAME LEFT: snaps the page as NAME and reads its check box (BOX_X, BOX_Y on the desktop,
# TICKED, SHAPES).
box_state() {
  local l t
  setup_page "$1" && BOX=$(page_check box "$E2E_DIR/$1.bmp" "$2") || return 1
  eval "$(echo "$BOX" | sed -n 's/^BOX=\([0-9]*\) \([0-9]*\) TICKED=\([01]\) SHAPES=\([0-9]*\)$/BOX_X=\1 BOX_Y=\2 TICKED=\3 SHAPES=\4/p')"
  read -r l t <<<"$WINDOW_AT"
  BOX_X=$((l + BOX_X)) BOX_Y=$((t + BOX_Y))
}
box_is() { box_state "$1" "$2" && [ "$TICKED" = "$3" ]; }

# install_by_hand RUN START_BOX_BEFORE START_BOX_AFTER: goes through every page; the options page
# must offer the box as given, and is left with the other state.
install_by_hand() {
  local run=$1 before=$2 after=$3 picture_width
  picture_width=$(identify -format %w "$wizard_picture")
  in_desktop "$E2E_DIR" "$(winpath "$SETUP_EXE")"
  wait_for 30 shows_wizard_picture "$run-welcome" || fail "no welcome page with our picture"
  pass "$run: welcome page titled \"Lumbrel セットアップ\" with our picture ($(page_check picture "$E2E_DIR/$run-welcome.bmp" "$PAGE_OFFSET" "$wizard_picture"))"
  press Return # to the folder page
  press Return # to the options page
  wait_for 20 box_is "$run-options" 5 "$before" || fail "$run: the options page has no box that is $before: $BOX"
  # "Windows の起動時に Lumbrel を開始する" has 24 different characters; drawn as empty boxes its
  # ten Japanese ones would all look alike.
  [ "${SHAPES:-0}" -ge 20 ] || fail "$run: the label's Japanese is not drawn: $BOX"
  pass "$run: options page: $(echo "$BOX" | head -1)"
  click_desktop 1 "$BOX_X" "$BOX_Y"
  wait_for 10 box_is "$run-options-set" 5 "$after" || fail "$run: a click on the box did not make it $after: $BOX"
  pass "$run: a click made the box $after"
  click_next # install
  wait_for 60 shows_wizard_picture "$run-finish" || fail "$run: no finish page after the install"
  wait_for 10 box_is "$run-finish" $((${PAGE_OFFSET%% *} + picture_width)) "$after" || fail "$run: the finish page's box is not $after: $BOX"
  pass "$run: finish page with our picture, \"Lumbrel を開始する\" $after"
  click_next # finish
}

install_by_hand first 1 0
wait_for 10 eval '! probe find "#32770"' || fail "the installer did not end"
[ -f "$INSTALL_DIR/lumbrel.exe" ] || fail "nothing installed"
! reg_value "$RUN_KEY" Lumbrel >/dev/null || fail "a Run value was written with the box cleared"
sleep 3
! lumbrel_window || fail "Lumbrel started with the finish page's box clear"
pass "first: installed; no Run value and Lumbrel not started"

install_by_hand second 0 1
wait_for 30 lumbrel_window || fail "Lumbrel did not start from the finish page"
[ -n "$(lumbrel_running_from "$INSTALL_WIN")" ] || fail "the Lumbrel running is not the installed one"
[ "$(reg_value "$RUN_KEY" Lumbrel)" = "\"$INSTALL_WIN\\lumbrel.exe\"" ] || fail "Run value: '$(reg_value "$RUN_KEY" Lumbrel)'"
pass "second: set to start with Windows, and started from the finish page (window $LUMBREL_HWND)"

# Uninstalling by hand asks whether to keep the settings and channels; "いいえ" removes them too.
wait_for 30 test -f "$INSTALL_DIR/LUM.ini" || fail "Lumbrel wrote no LUM.ini"
lumbrel_unix_pid=$(lumbrel_running_from "$INSTALL_WIN")
in_desktop "$E2E_DIR" "$INSTALL_WIN\\uninst.exe"
uninstall_page() { snap '#32770' uninstall && [[ "$(answer title)" == "Lumbrel アンインストール"* ]]; }
wait_for 30 uninstall_page || fail "no uninstaller window: $(answer title)"
import -window root "$E2E_DIR/uninstall-confirm.png"
click_next # uninstall
# The question: a second window of the uninstaller's class, in front.
question_shown() { probe find @foreground && [ "$(answer class)" = '#32770' ] && [ "$(answer same_class)" -ge 2 ]; }
wait_for 30 question_shown || fail "no question about the settings: $(cat "$PROBE_ANSWER" | xargs)"
import -window root "$E2E_DIR/uninstall-question.png"
read -r l t r b <<<"$(answer window)"
click_desktop 1 $((l + 10)) $((t + 40)) # the message box takes keys once clicked
press n # いいえ(N)
# The folder itself may stay, empty: the guide that Lumbrel's first run opened still has it as its
# current folder.
wait_for 30 eval '[ -z "$(ls -A "$INSTALL_DIR" 2>/dev/null)" ]' || fail "left after the uninstall: $(ls -A "$INSTALL_DIR" | xargs)"
[ ! -e "$SHORTCUT" ] || fail "the Start menu shortcut is left"
# Its Unix process may outlive the Windows one by a moment.
wait_for 10 eval '! kill -0 "$lumbrel_unix_pid" 2>/dev/null' || fail "Lumbrel still runs"
! reg_key_exists "$UNINSTALL_KEY" && ! reg_value "$RUN_KEY" Lumbrel >/dev/null || fail "the uninstall key or the Run value is left"
pass "uninstalled by hand, settings and channels not kept: Lumbrel ended; files, shortcut and keys gone"

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
