#!/usr/bin/env bash
# The caption animation: with ANIMATION=1 the caption shows the picture's caption-high bands one
# after another, one a timer tick, round and round; with ANIMATION=0 it keeps to the first band.
# Seen through captures of notepad's caption taken every few milliseconds from inside the desktop.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

program_folder Lumbrel
# 16 x 54: three 18-px bands, red over green over blue.
write_bmp "$E2E_DIR/bands.bmp" 16 54 "[(255, 0, 0), (0, 255, 0), (0, 0, 255)][y // 18]"
write_ini "$ini" "$dir"
# White title at the left: the right half of the caption (but the buttons) is picture only.
ini_set "$ini" DEFAULT "PICTURE=$(winpath "$E2E_DIR/bands.bmp")" COLOR=16777215 ALIGENMENT=0 CLOCK=0 ANIMATION=1 FIRST=1

# Python: names the band each capture shows in the right half of the caption ("r", "g", "b", or
# "?" for a capture that shows none of them, e.g. one taken during a paint), then judges the series.
#   cycle      all three bands show, and each change goes to the next band: r -> g -> b -> r
#   first      only the red band shows
#   any        some band shows
BANDS_PY=$(
  cat <<'EOF'
import struct, sys
path, caption, times, mode = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
data = open(path, "rb").read()
offset, = struct.unpack_from("<I", data, 10)
width, height = struct.unpack_from("<ii", data, 18)
stride = (width * 3 + 3) & ~3
left, top, right, bottom = map(int, caption.split())
frame_height = bottom - top
times = list(map(int, times.split()))
colours = {bytes((0, 0, 255)): "r", bytes((0, 255, 0)): "g", bytes((255, 0, 0)): "b"}  # BGR
x0, x1 = (right - left) // 2, right - left - 56  # frame columns: right half, short of the buttons
names = []
for i in range(len(times)):
    counts = {}
    for y in range(i * frame_height, (i + 1) * frame_height):
        row = data[offset + y * stride: offset + y * stride + width * 3]  # top-down rows
        for x in range(x0, x1):
            name = colours.get(row[3 * x: 3 * x + 3], "?")
            counts[name] = counts.get(name, 0) + 1
    best = max(counts, key=counts.get)
    names.append(best if best != "?" and counts[best] >= 0.9 * frame_height * (x1 - x0) else "?")
seen = [(t, n) for t, n in zip(times, names) if n != "?"]
runs = "".join(n for i, (t, n) in enumerate(seen) if i == 0 or n != seen[i - 1][1])
report = [f"{len(times)} captures over {times[-1]} ms, {len(seen)} show a band, bands in order: {runs or '-'}"]
ok = len(seen) >= len(times) // 2
if not ok:
    report.append("fewer than half the captures show a band")
elif mode != "cycle":
    ok = runs == "r" or (mode == "any" and bool(runs))
else:
    # A change is judged only between captures taken close together: a capture process held up
    # for a whole tick could miss a band without the program skipping one.
    following = {"r": "g", "g": "b", "b": "r"}
    changes, wrong = 0, []
    for (t0, a), (t1, b) in zip(seen, seen[1:]):
        if a != b and t1 - t0 <= 120:
            changes += 1
            if following[a] != b:
                wrong.append(f"{a} to {b} at {t0}..{t1} ms")
    report.append(f"{changes} band changes judged, {len(wrong)} out of order {wrong or ''}".rstrip())
    ok = set(runs) == set("rgb") and changes >= 4 and not wrong
print("; ".join(report))
sys.exit(0 if ok else 1)
EOF
)

# record NAME MS MODE: captures notepad's caption for MS milliseconds and judges the series;
# RECORD_RESULT says what was seen.
RECORD_RESULT=""
record() {
  RECORD_RESULT="no capture"
  probe frames Notepad "$2" "$(winpath "$E2E_DIR/$1.bmp")" || return 1
  [ "$(answer hwnd)" = "$NOTEPAD" ] || { RECORD_RESULT="captured $(answer hwnd), not notepad" && return 1; }
  RECORD_RESULT=$(python3 -c "$BANDS_PY" "$E2E_DIR/$1.bmp" "$(answer caption)" "$(answer times)" "$3")
}
# Some band of the picture in the caption: the program is painting.
any_band() { record wait 200 any; }

start_notepad
start_lumbrel "$dir"
wait_for 30 any_band || fail "the caption shows no band of the picture: $RECORD_RESULT"
record animated 2500 cycle || fail "ANIMATION=1: $RECORD_RESULT"
pass "ANIMATION=1: $RECORD_RESULT"

# ANIMATION=0, and a yellow title that shows when the new instance has painted.
stop_lumbrel "$dir"
ini_set "$ini" DEFAULT ANIMATION=0 COLOR=65535
start_lumbrel "$dir"
yellow_title() {
  snap Notepad still && colour_span "$E2E_DIR/still.bmp" "$SNAP_CAPTION" 255,255,0 >/dev/null
}
wait_for 30 yellow_title || fail "the second instance painted no yellow title"
record still 1500 first || fail "ANIMATION=0: $RECORD_RESULT"
pass "ANIMATION=0: $RECORD_RESULT"

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
