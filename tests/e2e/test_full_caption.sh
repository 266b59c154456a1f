#!/usr/bin/env bash
# Every layer of a painted caption at once, on notepad in front: the picture tiled from the
# caption's top-left at its own width, the window's icon at the left, the three caption buttons at
# the right with the picture in the gap between close and maximise, and the title in the chosen
# colour, left-aligned, followed by a running clock.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

program_folder Lumbrel

# 24 x 18: six columns of 4 px, each in one colour over the top half and another over the bottom
# half, twelve colours in all. None is pure red (the text colour) and none is light (the button
# face), so every pixel of the caption tells which layer it comes from, and a picture tiled one
# pixel off, or upside down, matches nowhere.
colours='[(0,0,160),(0,128,0),(128,0,128),(0,96,96),(96,64,0),(64,64,64),
          (0,0,96),(0,64,0),(64,0,64),(0,48,96),(128,96,0),(32,32,32)]'
write_bmp "$E2E_DIR/columns.bmp" 24 18 "${colours}[x // 4 + 6 * (y >= 9)]"
# The same columns in another order, for the run that measures the title alone.
write_bmp "$E2E_DIR/columns2.bmp" 24 18 "${colours}[5 - x // 4 + 6 * (y >= 9)]"

# settings CLOCK PICTURE: LUM.ini with red text, left-aligned, bold, no animation.
settings() {
  write_ini "$ini" "$dir"
  ini_set "$ini" DEFAULT "PICTURE=$(winpath "$2")" COLOR=255 ALIGENMENT=0 FONT=1 ANIMATION=0 "CLOCK=$1" FIRST=1
}

# Python: checks of the caption in SNAP against PICTURE tiled from the caption's top-left (an
# exact match: the screen has 24 bits a pixel), given where the text ends.
CHECK_PY=$(
  cat <<'EOF'
import struct, sys
snap, picture, caption, text_end = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
from bmp24 import load
_, _, s = load(snap)
pw, _, p = load(picture)
left, top, right, bottom = map(int, caption.split())
def px(image, x, y):
    return image[y][3 * x: 3 * x + 3]
def tile(x, y, shift=0):
    return px(p, (x - left + shift) % pw, (y - top) % len(p))
def share(cells, test):
    return sum(map(test, cells)) / len(cells)
def area(l, t, r, b):
    return [(x, y) for y in range(t, b) for x in range(l, r)]
on_picture = lambda c: px(s, *c) == tile(*c)
light = lambda c: min(px(s, *c)) >= 180
problems, report = [], []

# The free part of the caption, from the end of the text to the minimise button.
free = area(text_end + 4, top, right - 54, bottom)
if len(free) < 48 * (bottom - top):
    problems.append(f"only {len(free) // (bottom - top)} free columns between the text and the buttons")
else:
    fit = share(free, on_picture)
    shifted = max(share(free, lambda c, k=k: px(s, *c) == tile(*c, k)) for k in range(1, pw))
    report.append(f"free area x {text_end + 4}..{right - 54}: {fit:.0%} picture tiled at {pw} px from the "
                  f"caption's left (best shifted tiling {shifted:.0%})")
    if fit < 0.95:
        problems.append(f"the free area shows the tiled picture in {fit:.0%} of its pixels "
                        f"(best shifted tiling {shifted:.0%})")

# The icon: the 16 x 16 area at (left + 2, top + 1) is not all picture.
other = 1 - share(area(left + 2, top + 1, left + 18, top + 17), on_picture)
report.append(f"icon area {other:.0%} non-picture")
if other < 0.1:
    problems.append(f"the icon area is {1 - other:.0%} picture")

# Close, maximise and minimise: light button faces, no picture; the picture in the 2-px gap
# between close and maximise and in the rows above and below the buttons.
for name, (l, r) in {"close": (right - 18, right - 2), "maximise": (right - 36, right - 20),
                     "minimise": (right - 52, right - 36)}.items():
    cells = area(l, top + 2, r, top + 16)
    face, pic = share(cells, light), share(cells, on_picture)
    report.append(f"{name} x {l}..{r}: {face:.0%} light, {pic:.0%} picture")
    if face < 0.4 or pic > 0.1:
        problems.append(f"no {name} button at x {l}..{r}: {face:.0%} light, {pic:.0%} picture")
gap = share(area(right - 20, top + 2, right - 18, top + 16), on_picture)
rims = share(area(right - 52, top, right - 2, top + 2) + area(right - 52, top + 16, right - 2, bottom), on_picture)
report.append(f"gap close/maximise {gap:.0%} picture, rows above and below the buttons {rims:.0%}")
if gap < 0.9 or rims < 0.9:
    problems.append(f"the picture does not show around the buttons (gap {gap:.0%}, rows {rims:.0%})")
print("; ".join(problems or report))
sys.exit(1 if problems else 0)
EOF
)

# painted SNAPNAME PICTURE: notepad's caption shows PICTURE and the layers over it, with red text
# in the columns TEXT ("FIRST LAST COUNT"); CAPTION_RESULT says what was seen.
TEXT="" CAPTION_RESULT=""
painted() {
  CAPTION_RESULT="no snapshot"
  snap Notepad "$1" || return 1
  [ "$SNAP_HWND" = "$NOTEPAD" ] || { CAPTION_RESULT="the snapshot is of $SNAP_HWND" && return 1; }
  local l t r b
  read -r l t r b <<<"$SNAP_CAPTION"
  # Red text after the icon (which may hold some red of its own) and before the buttons.
  TEXT=$(colour_span "$E2E_DIR/$1.bmp" "$((l + 18)) $t $((r - 52)) $b" 255,0,0) ||
    { CAPTION_RESULT="no pure red pixel in the caption" && return 1; }
  CAPTION_RESULT=$(python3 -c "$CHECK_PY" "$E2E_DIR/$1.bmp" "$2" "$SNAP_CAPTION" "$(echo "$TEXT" | cut -d' ' -f2)")
}

start_notepad

# The title alone: CLOCK=0, with the second picture.
settings 0 "$E2E_DIR/columns2.bmp"
start_lumbrel "$dir"
wait_for 30 painted title "$E2E_DIR/columns2.bmp" || fail "caption with CLOCK=0 not as expected: $CAPTION_RESULT"
read -r title_first title_last _ <<<"$TEXT"
caption=$SNAP_CAPTION
read -r L T _ B <<<"$caption"
pass "CLOCK=0: red title at x $title_first..$title_last of the caption $caption"
[ "$title_first" -lt $((L + 60)) ] || fail "the left-aligned title starts at x=$title_first, the caption at $L"
stop_lumbrel "$dir"

# Everything: CLOCK=1 with the first picture, which shows only once the new instance has painted.
settings 1 "$E2E_DIR/columns.bmp"
start_lumbrel "$dir"
t0=$(date +%s%N)
wait_for 30 painted full "$E2E_DIR/columns.bmp" || fail "caption with CLOCK=1 not as expected: $CAPTION_RESULT"
[ "$SNAP_CAPTION" = "$caption" ] || fail "notepad's caption moved: $caption -> $SNAP_CAPTION"
read -r first last _ <<<"$TEXT"
pass "CLOCK=1: painted $(elapsed_ms "$t0") ms after the start: $CAPTION_RESULT"

# Left-aligned title and clock: the same start, and " HH:MM:SS" after the title.
if [ "$((first - title_first))" -lt -2 ] || [ "$((first - title_first))" -gt 2 ]; then
  fail "the text starts at x=$first with the clock, at x=$title_first without"
fi
[ "$((last - title_last))" -ge 30 ] ||
  fail "the red text ends at x=$last with the clock, at x=$title_last without: no clock after the title"
pass "red text x $first..$last with the clock, $title_first..$title_last without (+$((last - title_last)) px)"

# The clock runs: within a few seconds pixels after the title change, and no other pixel of the
# caption does.
clock_box="$((title_last + 3)) $T $((last + 8)) $B"
CLOCK_RESULT=""
ticked() {
  painted later "$E2E_DIR/columns.bmp" &&
    CLOCK_RESULT=$(python3 - "$E2E_DIR/full.bmp" "$E2E_DIR/later.bmp" "$caption" "$clock_box" <<'EOF'
import struct, sys
from bmp24 import load
a, b = load(sys.argv[1])[2], load(sys.argv[2])[2]
left, top, right, bottom = map(int, sys.argv[3].split())
cl, ct, cr, cb = map(int, sys.argv[4].split())
inside = outside = 0
for y in range(top, bottom):
    for x in range(left, right):
        if a[y][3 * x: 3 * x + 3] != b[y][3 * x: 3 * x + 3]:
            if cl <= x < cr and ct <= y < cb:
                inside += 1
            else:
                outside += 1
print(f"{inside} pixels changed in the clock area, {outside} elsewhere in the caption")
sys.exit(0 if inside and not outside else 1)
EOF
    )
}
wait_for 10 ticked || fail "the clock did not tick alone within 10 s: $CAPTION_RESULT; ${CLOCK_RESULT:-no comparison}"
pass "the clock ticks: $CLOCK_RESULT (clock area x $((title_last + 3))..$((last + 8)))"

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
