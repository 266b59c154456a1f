#!/usr/bin/env bash
# A window that draws its own title bar (its client area covers the caption band, where it paints
# coloured tabs) is left alone in both modes: with Lumbrel running and the window in front, not
# one pixel of its top 40 rows changes and no overlay stands over it. An ordinary window (notepad)
# brought in front is decorated, and so it is again after the tabbed window had the front.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

TABS_EXE="$LUM_TEST_BUILD/e2e_own_title_bar.exe"
[ -f "$TABS_EXE" ] || fail "no $TABS_EXE: run make build"
program_folder Lumbrel

tabs_in_front() { probe find @foreground && [ "$(answer class)" = LumbrelTestOwnTitleBar ]; }
# The top 40 rows of the tabbed window's client area (its own title bar), window coordinates.
TABS_BAND=""
tabs_band() {
  probe find LumbrelTestOwnTitleBar || return 1
  local wl wt cl ct cr
  read -r wl wt _ _ <<<"$(answer window)"
  read -r cl ct cr _ <<<"$(answer client)"
  TABS_BAND="$((cl - wl)) $((ct - wt)) $((cr - wl)) $((ct - wt + 40))"
}
# tabs_unchanged NAME: the band, snapped again, is the same as in tabs.bmp, pixel for pixel.
tabs_unchanged() {
  snap LumbrelTestOwnTitleBar "$1" || return 1
  IMAGE_RESULT=$(python3 - "$E2E_DIR/tabs.bmp" "$E2E_DIR/$1.bmp" "$TABS_BAND" <<'PY'
import sys
from bmp24 import load
a, b = load(sys.argv[1]), load(sys.argv[2])
left, top, right, bottom = map(int, sys.argv[3].split())
cells = [(x, y) for y in range(top, bottom) for x in range(left, right)]
changed = sum(a[2][y][3 * x:3 * x + 3] != b[2][y][3 * x:3 * x + 3] for x, y in cells)
print(f"{changed} of {len(cells)} pixels of the own title bar changed")
sys.exit(1 if changed else 0)
PY
  )
}
# front_tabs: a click on the tabbed window's body (below its tabs) brings it back in front.
front_tabs() {
  probe find LumbrelTestOwnTitleBar || fail "the tabbed window is gone"
  local l t r b
  read -r l t r b <<<"$(answer window)"
  click_desktop 1 $(((l + r) / 2)) $((b - 30))
  wait_for 10 tabs_in_front || fail "the tabbed window did not come back in front"
}

in_desktop "$E2E_DIR" "$(winpath "$TABS_EXE")" 360 330 520 300
wait_for 30 tabs_in_front || fail "the tabbed window did not come in front: $(cat "$PROBE_ANSWER")"
wait_for 10 tabs_band || fail "no client area: $(cat "$PROBE_ANSWER")"
read -r _ band_top _ _ <<<"$TABS_BAND"
[ "$band_top" -lt 22 ] || fail "the test window's client area does not cover its caption: $TABS_BAND"
sleep 1
snap LumbrelTestOwnTitleBar tabs || fail "could not snap the tabbed window"
pass "a window with its own title bar in front, tabs at $TABS_BAND (window coordinates)"

for mode in 0 1; do
  write_ini "$dir/LUM.ini" "$dir" FIRST=1 OVERLAY=$mode
  front_tabs
  start_lumbrel "$dir"
  # Twenty ticks and more, looked at now and then: never a changed pixel, never an overlay.
  for look in 1 2 3 4; do
    sleep 0.5
    tabs_unchanged "tabs-$mode-$look" || fail "OVERLAY=$mode: $IMAGE_RESULT"
    if probe find LumbrelCaptionOverlay && [ "$(answer visible)" = 1 ]; then
      fail "OVERLAY=$mode: an overlay stands over the window with its own title bar"
    fi
  done
  pass "OVERLAY=$mode, tabbed window in front: $IMAGE_RESULT, no overlay"

  # An ordinary window is decorated meanwhile.
  start_notepad
  if [ "$mode" = 0 ]; then
    decorated() { caption_painted Notepad "$dir/Lum1.bmp" "notepad-$mode"; }
  else
    decorated() { overlay_over_notepad any; }
  fi
  wait_for 30 decorated || fail "OVERLAY=$mode: notepad in front was not decorated: $IMAGE_RESULT"
  pass "OVERLAY=$mode: notepad in front is decorated"

  front_tabs
  wait_for 10 tabs_unchanged "tabs-$mode-back" || fail "OVERLAY=$mode, back in front: $IMAGE_RESULT"
  sleep 1
  tabs_unchanged "tabs-$mode-later" || fail "OVERLAY=$mode, back in front: $IMAGE_RESULT"
  if probe find LumbrelCaptionOverlay && [ "$(answer visible)" = 1 ]; then
    fail "OVERLAY=$mode: the overlay followed to the window with its own title bar"
  fi
  pass "OVERLAY=$mode, tabbed window back in front: $IMAGE_RESULT"

  # And notepad again, decorated again.
  probe find Notepad
  read -r l t r b <<<"$(answer window)"
  click_desktop 1 $((l + 40)) $((b - 40))
  wait_for 30 decorated || fail "OVERLAY=$mode: notepad back in front was not decorated again: $IMAGE_RESULT"
  pass "OVERLAY=$mode: notepad back in front is decorated again"
  stop_lumbrel "$dir"
done

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
