#!/usr/bin/env bash
# Usage: scripts/run.sh DISTDIR
# Starts Lumbrel from a fresh copy of DISTDIR (out/run/Lumbrel) in a Wine desktop, with Wine's
# notepad in front for it to paint. On your display ($DISPLAY set, not CI) both keep running;
# otherwise they run on a private Xvfb until notepad's caption is repainted (or 6 s pass), a
# screenshot goes to out/lumbrel-run.png and everything is stopped.
set -uo pipefail
source "$(dirname "$0")/../tests/e2e/lib.sh"
DIST_DIR=$(cd "${1:?usage: scripts/run.sh DISTDIR}" && pwd)
E2E_DIR="$LUM_ROOT/out/run"
E2E_DESKTOP=Lumbrel
dir="$E2E_DIR/Lumbrel"
shot="$LUM_ROOT/out/lumbrel-run.png"

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then export LUM_USE_DISPLAY=1; else export LUM_USE_DISPLAY=0; fi
[ "$LUM_USE_DISPLAY" = 1 ] || trap lum_cleanup EXIT
lum_display || fail "no display"
# A fresh prefix out/wine/run; a Lumbrel left running from an earlier run is stopped with the old one.
lum_prefix run
rm -rf "$E2E_DIR"
mkdir -p "$E2E_DIR"
program_folder Lumbrel
start_notepad
start_lumbrel "$dir"
echo "run: notepad and $dir/lumbrel.exe started in the Wine desktop \"$E2E_DESKTOP\" on $DISPLAY"

if [ "$LUM_USE_DISPLAY" = 1 ]; then
  echo "run: they keep running; stop them with: WINEPREFIX=$WINEPREFIX wineserver -k"
  exit 0
fi
if wait_for 6 caption_painted @foreground "$dir/Lum1.bmp" run; then
  echo "run: the caption of the window in front was repainted ($IMAGE_RESULT)"
else
  echo "run: no caption repainted with Lum1.bmp within 6 s (${IMAGE_RESULT:-no snapshot})"
fi
import -window root -crop 1024x700+0+0 +repage "$shot" || fail "no screenshot"
echo "run: screenshot of the desktop: $shot"
echo "run: stopping Lumbrel, notepad and the private Xvfb"
