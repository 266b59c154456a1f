# Helpers shared by the end-to-end tests (tests/e2e/test_*.sh) and scripts/run.sh: a private
# display and Wine desktop, scratch copies of the program folder, the probe that looks at the
# desktop from inside, and the picture checks made on its snapshots.
#
# A test calls e2e_begin first; everything it starts dies with the Wine server and the Xvfb
# when the script exits, whatever the way out.

LUM_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The Python checks share the BMP reader in tests/e2e/bmp24.py.
export PYTHONPATH="$LUM_ROOT/tests/e2e${PYTHONPATH:+:$PYTHONPATH}"
source "$LUM_ROOT/scripts/wine-env.sh"

DIST_DIR="${LUM_DIST_DIR:-$LUM_TEST_DIST}" # the program folder under test
PROBE_EXE="$LUM_TEST_BUILD/e2e_probe.exe"
E2E_DIR=""      # this run's scratch folder
E2E_DESKTOP=""  # the Wine desktop's name
PROBE_ANSWER="" # the last probe answer
PROBE_COUNT=0

fail() {
  echo "FAIL: $*"
  exit 1
}
pass() { echo "ok: $*"; }

# e2e_begin [NAME [win10]]: a fresh scratch folder out/e2e/NAME, a private Xvfb (unless
# LUM_USE_DISPLAY=1) and a fresh Wine prefix out/wine/NAME (claiming Windows 10 when asked).
e2e_begin() {
  local name=${1:-$(basename "$0" .sh)}
  [ -f "$DIST_DIR/lumbrel.exe" ] || fail "no $DIST_DIR/lumbrel.exe: run make dist"
  [ -f "$PROBE_EXE" ] || fail "no $PROBE_EXE: run make dist"
  E2E_DIR="$LUM_ROOT/out/e2e/$name"
  E2E_DESKTOP="$name"
  unlock_files "$E2E_DIR"
  rm -rf "$E2E_DIR"
  mkdir -p "$E2E_DIR"
  trap e2e_end EXIT
  lum_display || fail "no display"
  lum_prefix "$name" "${2:-}" # a fresh prefix of our own: no program of an earlier run is left in it
  E2E_T0=$(date +%s%N)
  echo "architecture: $LUM_RUN_ARCH ($DIST_DIR/lumbrel.exe)"
}

e2e_end() {
  lum_cleanup
  unlock_files "$E2E_DIR"
}

# lock_file FILE: makes FILE read-only. Root writes files without write permission (and so does
# Wine run by root), so for root the file is also made immutable, which stops root too.
lock_file() {
  chmod 444 "$1"
  if [ "$(id -u)" = 0 ]; then chattr +i "$1" 2>/dev/null || return 1; fi
}
unlock_files() { [ -d "$1" ] && chattr -R -i "$1" 2>/dev/null || true; }

# Milliseconds since e2e_begin, or since the date +%s%N value given.
elapsed_ms() { echo $((($(date +%s%N) - ${1:-$E2E_T0}) / 1000000)); }

# The Windows form of a Unix path (drive Z: is the root).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# wait_for SECONDS COMMAND...: runs COMMAND until it succeeds; fails after SECONDS.
wait_for() {
  local deadline=$(($(date +%s) + $1))
  shift
  until "$@"; do
    [ "$(date +%s)" -ge "$deadline" ] && return 1
    sleep 0.2
  done
}

# in_desktop DIR PROGRAM ARGS...: starts PROGRAM from DIR in the test's Wine desktop (the first
# call creates the desktop) and returns at once.
DESKTOP_UP=0
in_desktop() {
  local dir=$1
  shift
  (cd "$dir" && exec wine explorer "/desktop=$E2E_DESKTOP,1024x700" "$@" >>"$E2E_DIR/wine.log" 2>&1 &)
  DESKTOP_UP=1
}

# program_folder NAME [--with-sample]: a fresh copy of the program folder at $E2E_DIR/NAME; dir
# names it and ini its LUM.ini (not there until written). Without --with-sample the shipped sample
# channel is left out, so that a test has exactly the channels it sets up.
program_folder() {
  dir="$E2E_DIR/$1"
  ini="$dir/LUM.ini"
  rm -rf "${dir:?}"
  cp -r "$DIST_DIR" "$dir"
  if [ "${2:-}" != --with-sample ]; then rm -f "$dir"/News/*.news "$dir/Lumbrel.txt"; fi
}

# start_lumbrel DIR: starts DIR/lumbrel.exe from its folder in the test's desktop.
start_lumbrel() { in_desktop "$1" "$(winpath "$1/lumbrel.exe")"; }

# start_notepad: starts Wine's notepad in the desktop and waits until it is the foreground window
# (a notepad that was not in front before); NOTEPAD names it.
# place_notepad X Y WIDTH HEIGHT: where the next notepad opens (it remembers its place and size).
place_notepad() {
  local key='HKCU\Software\Microsoft\Notepad' value
  for value in "iWindowPosX=$1" "iWindowPosY=$2" "iWindowPosDX=$3" "iWindowPosDY=$4"; do
    wine reg add "$key" /v "${value%=*}" /t REG_DWORD /d "${value#*=}" /f >/dev/null 2>&1 ||
      fail "could not store notepad's $value"
  done
}
start_notepad() {
  local before=""
  if [ "$DESKTOP_UP" = 1 ] && probe find @foreground; then before=$(answer hwnd); fi
  in_desktop "$E2E_DIR" notepad.exe
  wait_for 30 notepad_in_front "$before" || fail "no new notepad in front: $(cat "$PROBE_ANSWER")"
  NOTEPAD=$(answer hwnd)
}
notepad_in_front() {
  probe find @foreground && [ "$(answer class)" = Notepad ] && [ "$(answer visible)" = 1 ] &&
    [ "$(answer hwnd)" != "$1" ]
}

# notepad_settled: notepad as it paints itself; two snapshots alike (but for the caret) say it
# has settled. The second is $E2E_DIR/before.bmp, described in SNAP_CAPTION and SNAP_CARET.
notepad_settled() {
  snap Notepad before-1 || return 1
  local first_caret=$SNAP_CARET
  snap Notepad before &&
    image same-outside "$E2E_DIR/before-1.bmp" "$E2E_DIR/before.bmp" "0 0 0 0" "$(grow "$first_caret" 2)" \
      "$(grow "$SNAP_CARET" 2)" >/dev/null
}

# probe ARGS...: runs e2e_probe inside the desktop (plain `wine` would put it on another desktop,
# where it sees none of the test's windows) and waits for its answer file. Succeeds when the
# answer starts with "ok"; `answer KEY` reads its values. probe_start starts it and returns at
# once (PROBE_ANSWER names the answer to come), probe_wait waits for that answer.
probe() { probe_start "$@" && probe_wait; }
probe_start() {
  PROBE_COUNT=$((PROBE_COUNT + 1))
  PROBE_ANSWER="$E2E_DIR/probe-$PROBE_COUNT.txt"
  rm -f "$PROBE_ANSWER"
  in_desktop "$E2E_DIR" "$(winpath "$PROBE_EXE")" "$(winpath "$PROBE_ANSWER")" "$@"
}
probe_wait() {
  if ! wait_for 40 test -e "$PROBE_ANSWER"; then
    echo "fail the probe gave no answer" >"$PROBE_ANSWER"
    return 1
  fi
  [ "$(head -1 "$PROBE_ANSWER")" = ok ]
}
answer() { sed -n "s/^$1=//p" "$PROBE_ANSWER"; }

# snap WINDOW NAME: the screen under WINDOW (a class, or @foreground) into $E2E_DIR/NAME.bmp;
# its caption and caret rectangles (window coordinates) are left in SNAP_CAPTION and SNAP_CARET.
snap() {
  SNAP_CAPTION="" SNAP_CARET="" SNAP_HWND=""
  probe snap "$1" "$(winpath "$E2E_DIR/$2.bmp")" || return 1
  SNAP_CAPTION=$(answer caption) SNAP_CARET=$(answer caret) SNAP_HWND=$(answer hwnd)
}

# lumbrel_pids DIR: Unix process ids of the lumbrel.exe started from DIR (Wine shows the Windows
# path as the command line).
lumbrel_pids() { program_pids "$(winpath "$1/lumbrel.exe")"; }

# program_pids EXE: the processes running EXE (a Windows path), not an explorer asked to start it.
program_pids() {
  local pid name
  name=$(basename "${1//\\//}")
  for pid in $(pgrep -f "${name//./\\.}"); do
    if tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null | head -1 | grep -qixF "$1"; then echo "$pid"; fi
  done
}

# stop_lumbrel DIR: ends the lumbrel.exe started from DIR (so that the next one is no second instance).
stop_lumbrel() {
  local pid
  for pid in $(lumbrel_pids "$1"); do kill "$pid"; done
  wait_for 20 test -z "$(lumbrel_pids "$1")" || fail "lumbrel.exe in $1 did not end"
}

# stamp FILE: the file's checksum and modification time; an unchanged stamp means nobody wrote it.
stamp() { echo "$(sha256sum <"$1") $(stat -c %y "$1")"; }

# crash_seen: a Wine debugger (what Wine starts on an unhandled exception) runs in this prefix.
crash_seen() {
  local pid
  for pid in $(pgrep -f -i 'winedbg'); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then return 0; fi
  done
  return 1
}

# write_ini FILE PROGRAM_DIR [EXTRA_LINE...]: a valid LUM.ini with the program's default values in
# CP932 and CR LF; extra lines (e.g. FIRST=1) go to the end of [DEFAULT].
write_ini() {
  local file=$1 dir=$2
  shift 2
  {
    printf '%s\r\n' "[DEFAULT]" "PICTURE=$(winpath "$dir")\\Lum1.bmp" COLOR=16777215 ALIGENMENT=1 FONT=1 \
      TIMER=1 ANIMATION=1 NEWS=0 CONNECT=0 "$@" "" "[CUSTOMIZE]" TOP=1 LEFT=0
  } | iconv -f UTF-8 -t CP932 >"$file"
}

# image COMMAND ARGS...: checks on 24-bit BMP snapshots (Python below). Rectangles are
# "LEFT TOP RIGHT BOTTOM" in window coordinates, passed as one argument.
#   image changed BEFORE AFTER CAPTION       at least half the caption's pixels differ
#   image shows SNAP CAPTION PICTURE|black [DESIGN]   at least 60% of the caption shows one
#                                            caption-high band of PICTURE tiled from the caption's
#                                            left edge (the animation cycles the bands), or is
#                                            black; with DESIGN, a band that high stretched
#                                            to the caption (a scaled display)
#   image stretched SNAP CAPTION PICTURE DESIGN   one DESIGN-high band of PICTURE, stretched to
#                                            the caption's height (and its width as much), shows
#                                            on every row of the caption: no row black or mixed
#   image same-outside BEFORE AFTER CAPTION [SKIP...]   no pixel outside the caption (and the
#                                            SKIP rectangles) differs
# Each prints what it measured and succeeds when the condition holds.
image() { python3 -c "$LUM_IMAGE_PY" "$@"; }

LUM_IMAGE_PY=$(
  cat <<'EOF'
import struct, sys

from bmp24 import load

def rect(text):
    return tuple(int(v) for v in text.split())

def pixel(image, x, y):
    row = image[2][y]
    return row[3 * x: 3 * x + 3]

def close(a, b, tolerance=6):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))

def changed(before, after, caption):
    b, a = load(before), load(after)
    left, top, right, bottom = rect(caption)
    cells = [(x, y) for y in range(top, bottom) for x in range(left, right)]
    share = sum(not close(pixel(b, x, y), pixel(a, x, y)) for x, y in cells) / len(cells)
    print(f"{share:.0%} of the caption changed")
    return share >= 0.5

def stretched_rows(s, p, caption, design, band):
    # Each row's share of pixels showing band BAND of P, DESIGN rows stretched to the caption (and
    # its width as much); a smoothed stretch blends neighbours, so colours match with a tolerance.
    left, top, right, bottom = caption
    scale = design / (bottom - top)
    def source(x, y):
        return pixel(p, int((x - left) * scale) % p[0], band * design + min(design - 1, int((y - top) * scale)))
    return [sum(close(pixel(s, x, y), source(x, y), 32) for x in range(left, right)) / (right - left)
            for y in range(top, bottom)]

def shows(snap, caption, picture, design=None):
    s = load(snap)
    left, top, right, bottom = rect(caption)
    cells = [(x, y) for y in range(top, bottom) for x in range(left, right)]
    if picture == "black":
        share = sum(pixel(s, x, y) == b"\0\0\0" for x, y in cells) / len(cells)
        print(f"{share:.0%} of the caption is black")
        return share >= 0.6
    # The screen has 24 bits a pixel, so a copied picture arrives unchanged: compare exactly,
    # which also tells a picture shifted by one pixel.
    p = load(picture)
    height = bottom - top
    design = int(design) if design else height
    if design != height:  # stretched from bands DESIGN high
        share, band = max((sum(rows) / len(rows), band) for band in range(max(1, p[1] // design))
                          for rows in [stretched_rows(s, p, rect(caption), design, band)])
        print(f"{share:.0%} of the caption shows band {band} of the picture, stretched from {design} rows")
        return share >= 0.6
    best = (0, 0)
    for band in range(max(1, p[1] // height)):
        share = sum(pixel(s, x, y) == pixel(p, (x - left) % p[0], (y - top + band * height) % p[1])
                    for x, y in cells) / len(cells)
        best = max(best, (share, band))
    print(f"{best[0]:.0%} of the caption shows band {best[1]} of the picture")
    return best[0] >= 0.6

def stretched(snap, caption, picture, design):
    # A row counts when 60 % of it (the icon and buttons aside) shows the band's row there.
    s, p, design = load(snap), load(picture), int(design)
    left, top, right, bottom = rect(caption)
    good, band = max((sum(share >= 0.6 for share in stretched_rows(s, p, rect(caption), design, band)), band)
                     for band in range(max(1, p[1] // design)))
    black = sum(sum(pixel(s, x, y) == b"\0\0\0" for x in range(left, right)) >= (right - left) // 2
                for y in range(top, bottom))
    print(f"band {band} of the picture, stretched from {design} to {bottom - top} rows, shows on {good} of"
          f" {bottom - top} rows; {black} rows black")
    return good == bottom - top and black == 0

def same_outside(before, after, caption, *skips):
    b, a = load(before), load(after)
    if b[:2] != a[:2]:
        print(f"the window changed size: {b[:2]} -> {a[:2]}")
        return False
    holes = [rect(caption)] + [rect(s) for s in skips if s.strip()]
    differing = []
    for y in range(b[1]):
        if b[2][y] == a[2][y]:
            continue
        for x in range(b[0]):
            if pixel(b, x, y) != pixel(a, x, y) and not any(l <= x < r and t <= y < bo for l, t, r, bo in holes):
                differing.append((x, y))
    if differing:
        print(f"{len(differing)} pixels outside the caption changed, first at {differing[0]}")
    else:
        print(f"no pixel outside the caption changed ({b[0]}x{b[1]} window)")
    return not differing

command, args = sys.argv[1], sys.argv[2:]
checks = {"changed": changed, "shows": shows, "stretched": stretched, "same-outside": same_outside}
sys.exit(0 if checks[command](*args) else 1)
EOF
)

# overlay_over_notepad RECT|any: whether the caption overlay is shown over notepad (at RECT, or
# anywhere); OVERLAY_RECT is its rectangle in notepad's window coordinates.
OVERLAY_RECT=""
overlay_over_notepad() {
  probe find Notepad || return 1
  local nl nt l t r b
  read -r nl nt _ _ <<<"$(answer window)"
  probe find LumbrelCaptionOverlay && [ "$(answer visible)" = 1 ] || return 1
  read -r l t r b <<<"$(answer window)"
  OVERLAY_RECT="$((l - nl)) $((t - nt)) $((r - nl)) $((b - nt))"
  [ "$1" = any ] || [ "$OVERLAY_RECT" = "$1" ]
}

# overlay_spans CAPTION: whether OVERLAY_RECT covers the caption's height from its left end to
# somewhere in its right half, where the window's own buttons begin.
overlay_spans() {
  local cl ct cr cb ol ot or ob
  read -r cl ct cr cb <<<"$1"
  read -r ol ot or ob <<<"$OVERLAY_RECT"
  [ "$ol $ot $ob" = "$cl $ct $cb" ] && [ "$or" -lt "$cr" ] && [ "$or" -gt "$((cl + (cr - cl) / 2))" ]
}

# grow "L T R B" N: a rectangle widened by N pixels on every side (empty stays empty).
grow() {
  [ -n "$1" ] || return 0
  local l t r b
  read -r l t r b <<<"$1"
  echo "$((l - $2)) $((t - $2)) $((r + $2)) $((b + $2))"
}

# caption_painted WINDOW PICTURE|black NAME [DESIGN]: snaps WINDOW and checks that its caption
# shows the picture (IMAGE_RESULT says what was seen); DESIGN as for `image shows`.
caption_painted() {
  snap "$1" "$3" || return 1
  IMAGE_RESULT=$(image shows "$E2E_DIR/$3.bmp" "$SNAP_CAPTION" "$2" ${4:+"$4"})
}

# write_bmp FILE WIDTH HEIGHT EXPRESSION: a 24-bit BMP whose pixel (x, y), counted from the top
# left, is the (red, green, blue) tuple that the Python EXPRESSION gives for x and y.
write_bmp() {
  python3 - "$@" <<'PY'
import struct, sys
path, width, height, expression = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
colour = eval("lambda x, y: " + expression)
stride = (width * 3 + 3) & ~3
rows = b""
for y in range(height - 1, -1, -1):  # bottom-up, as BMP files store them
    row = b"".join(bytes(colour(x, y)[::-1]) for x in range(width))
    rows += row + b"\0" * (stride - len(row))
header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
open(path, "wb").write(header + info + rows)
PY
}

# colour_span SNAP "L T R B" R,G,B: the columns (window coordinates) inside the rectangle that hold
# at least one pixel of exactly that colour, printed as "FIRST LAST COUNT"; fails when none does.
colour_span() {
  python3 - "$@" <<'PY'
import struct, sys
path, (left, top, right, bottom), wanted = sys.argv[1], map(int, sys.argv[2].split()), sys.argv[3]
data = open(path, "rb").read()
offset, = struct.unpack_from("<I", data, 10)
width, height = struct.unpack_from("<ii", data, 18)
stride = (width * 3 + 3) & ~3
red, green, blue = map(int, wanted.split(","))
target = bytes((blue, green, red))
def row(y):
    r = y if height < 0 else abs(height) - 1 - y
    return data[offset + r * stride: offset + r * stride + width * 3]
rows = [row(y) for y in range(top, bottom)]
columns = [x for x in range(left, right) if any(r[3 * x: 3 * x + 3] == target for r in rows)]
if not columns:
    sys.exit(1)
print(columns[0], columns[-1], len(columns))
PY
}

# desktop_xwindow: the X window of the test's Wine desktop (its origin is the desktop's (0, 0)).
desktop_xwindow() { xdotool search --name "^$E2E_DESKTOP - " 2>/dev/null | head -1; }

# grab_desktop NAME "L T R B": the desktop's pixels in the rectangle (desktop coordinates), as
# X shows them, into $E2E_DIR/NAME.ppm.
grab_desktop() {
  local l t r b window
  read -r l t r b <<<"$2"
  # With no window id import would wait for a click to choose one.
  window=$(desktop_xwindow)
  [ -n "$window" ] || return 1
  import -window "$window" -crop "$((r - l))x$((b - t))+$l+$t" +repage -depth 8 "ppm:$E2E_DIR/$1.ppm" 2>/dev/null
}

# click_desktop BUTTON X Y: a mouse click at desktop coordinates.
click_desktop() { xdotool mousemove --window "$(desktop_xwindow)" "$2" "$3" click "$1"; }

# popup_menu_open: a popup menu shows in the desktop; MENU_RECT holds its rectangle.
MENU_RECT=""
popup_menu_open() {
  probe find '#32768' && [ "$(answer visible)" = 1 ] && MENU_RECT=$(answer window)
}

# focus_popup_menu: gives the X keyboard focus to the open popup menu's own X window (found by its
# rectangle among the desktop's children). Keys sent to the desktop window or to the window that
# was active before do not always reach a menu that another process tracks; keys sent there do.
focus_popup_menu() {
  local l t r b id
  read -r l t r b <<<"$MENU_RECT"
  id=$(xwininfo -children -id "$(desktop_xwindow)" 2>/dev/null |
    awk -v g="$((r - l))x$((b - t))+$l+$t" '$1 ~ /^0x/ && index($0, " " g " ") { print $1; exit }')
  [ -n "$id" ] && xdotool windowfocus --sync "$id"
}

# ini_set FILE SECTION KEY=VALUE...: sets the keys in SECTION of a CP932, CR LF profile file
# (replacing a key's first line, or adding it at the end of the section).
ini_set() {
  python3 - "$@" <<'PY'
import sys
path, section, pairs = sys.argv[1], sys.argv[2], sys.argv[3:]
lines = open(path, "rb").read().decode("cp932").split("\r\n")
if lines and lines[-1] == "":
    lines.pop()
for pair in pairs:
    key = pair.split("=", 1)[0]
    current, end, done = None, None, False
    for i, line in enumerate(lines):
        if line.startswith("["):
            current = line.strip().strip("[]")
            continue
        if current == section:
            end = i + 1 if line.strip() else end or i
            if line.split("=", 1)[0] == key:
                lines[i], done = pair, True
                break
    if not done:
        if end is None:
            lines += [f"[{section}]", pair]
        else:
            lines.insert(end, pair)
open(path, "wb").write(("\r\n".join(lines) + "\r\n").encode("cp932"))
PY
}

# The tray icon. tray_area is the desktop's bottom-right corner, where the icon sits; grab it as
# tray-before (grab_desktop tray-before "$tray_area") before Lumbrel starts, then tray_icon_found
# finds the icon there and menu opens its popup menu.
tray_area="904 660 1024 700"
# The icon: in the corner's taskbar rows, the pixels that are neither the taskbar's commonest
# colour nor what the desktop showed there before.
ICON="" ICON_RESULT=""
tray_icon_found() {
  grab_desktop tray "$tray_area" || return 1
  ICON_RESULT=$(python3 - "$E2E_DIR/tray-before.ppm" "$E2E_DIR/tray.ppm" "$tray_area" "${TRAY_DPI:-96}" <<'EOF'
import collections, re, sys
def load(path):
    data = open(path, "rb").read()
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)  # 8 bits a channel
    width, height = int(header[1]), int(header[2])
    pixels = data[header.end():]
    return [[pixels[3 * (y * width + x): 3 * (y * width + x) + 3] for x in range(width)] for y in range(height)]
before, now = load(sys.argv[1]), load(sys.argv[2])
left, top = map(int, sys.argv[3].split()[:2])
scale = int(sys.argv[4]) / 96  # the icons grow with the display's scale (TRAY_DPI)
height, width = len(now), len(now[0])
rows = range(max(0, height - int(20 * scale)), height)
counts = collections.Counter(now[y][x] for y in rows for x in range(width))
background = counts.most_common(1)[0][0]
cells = [(x, y) for y in rows for x in range(width // 2, width)
         if now[y][x] != background and now[y][x] != before[y][x]]
if len(cells) < 20:
    print(f"no icon in the corner ({len(cells)} pixels differ from the taskbar)")
    sys.exit(1)
xs, ys = [c[0] for c in cells], [c[1] for c in cells]
l, t, r, b = min(xs), min(ys), max(xs) + 1, max(ys) + 1
if r - l > 24 * scale or b - t > 24 * scale:
    print(f"what differs spans {r - l}x{b - t} px, more than one icon")
    sys.exit(1)
print(left + (l + r) // 2, top + (t + b) // 2, f"{left + l} {top + t} {left + r} {top + b}")
EOF
  ) || return 1
  ICON=$ICON_RESULT
}
# menu KEY...: right-clicks the icon until its popup menu shows, then types the keys into it.
menu() {
  local _
  for _ in 1 2 3; do
    click_desktop 3 "$icon_x" "$icon_y"
    wait_for 5 popup_menu_open && break
  done
  popup_menu_open || fail "right-clicking the tray icon opened no menu"
  wait_for 5 focus_popup_menu || fail "could not give the menu at $MENU_RECT the keyboard focus"
  xdotool key --delay 150 "$@"
}

# The stand-in dwmapi.dll (tests/standin), which answers as Windows 10 and 11 do. use_dwm_standin DIR
# puts it beside DIR/lumbrel.exe and has Wine load it instead of its own; dwm_standin NAME VALUE
# sets one of its answers (see tests/standin/dwmapi.cpp) in the test's prefix.
STANDIN_DLL="$LUM_TEST_BUILD/standin/dwmapi.dll"
use_dwm_standin() {
  [ -f "$STANDIN_DLL" ] || fail "no $STANDIN_DLL: run make build"
  cp "$STANDIN_DLL" "$1/dwmapi.dll"
  case ";$WINEDLLOVERRIDES;" in *";dwmapi=n;"*) ;; *) export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;dwmapi=n" ;; esac
}
dwm_standin() {
  wine reg add 'HKCU\Software\Lumbrel Tests\DwmStandIn' /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1 ||
    fail "could not set the stand-in's $1"
}

# serve_python LOG ARGS...: runs the Python server read from standard input in the background
# with ARGS, until the test ends; the server writes its port to $E2E_DIR/port, which lands in PORT.
serve_python() {
  local log=$1
  shift
  python3 - "$@" <&0 >"$log" 2>&1 &
  LUM_SERVER_PID=$!
  trap 'kill "$LUM_SERVER_PID" 2>/dev/null; wait "$LUM_SERVER_PID" 2>/dev/null; e2e_end' EXIT
  wait_for 10 test -s "$E2E_DIR/port" || fail "the server did not start: $(cat "$log")"
  PORT=$(cat "$E2E_DIR/port")
}
