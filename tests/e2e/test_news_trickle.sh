#!/usr/bin/env bash
# A news server that trickles its answer (one byte a second): while Lumbrel's fetch waits on it,
# the caption's seconds clock keeps changing every second, a right click on the tray icon shows
# the menu within 1 s, and quitting from that menu ends the program within 2 s.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_begin
program_folder Lumbrel

# The server logs "get SECONDS" when the request arrives and "gone SECONDS" when the client hangs
# up (or "done" when all 60 bytes went out), times from the epoch.
log="$E2E_DIR/server.log"
: >"$log"
serve_python "$E2E_DIR/server.out" "$E2E_DIR/port" "$log" <<'PY'
import os, socket, sys, time
port_file, log = sys.argv[1:]
def note(text):
    with open(log, "a") as f:
        f.write(f"{text} {time.time():.3f}\n")
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(4)
with open(port_file + ".part", "w") as f:
    f.write(str(listener.getsockname()[1]))
os.rename(port_file + ".part", port_file)
while True:
    client, _ = listener.accept()
    request = b""
    while b"\r\n\r\n" not in request:
        chunk = client.recv(4096)
        if not chunk:
            break
        request += chunk
    note("get")
    try:
        client.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 60\r\n\r\n")
        for _ in range(60):
            client.sendall(b"t")
            time.sleep(1)
        note("done")
    except OSError:
        note("gone")
    client.close()
PY
port=$PORT

python3 "$here/channel_picture.py" "$E2E_DIR/channel.bmp" || fail "channel_picture.py failed"
probe channel "$(winpath "$E2E_DIR/channel.bmp")" "Test#http://example.test/#127.0.0.1:$port/news.txt" \
  "$(winpath "$dir/News/Test.news")" || fail "the probe could not write the channel file: $(cat "$PROBE_ANSWER")"
# News on and online; the clock in its fifth format (seconds shown) after the right-aligned title.
write_ini "$ini" "$dir"
ini_set "$ini" DEFAULT ANIMATION=0 NEWS=1 CONNECT=1 CHANNEL=1 SCROLL=1 CLOCK=1 TIMER=3 FIRST=1
ini_set "$ini" CUSTOMIZE CLOCK=4

place_notepad 20 20 900 400
start_notepad
grab_desktop tray-before "$tray_area" || fail "no picture of the desktop's corner"
start_lumbrel "$dir"
wait_for 20 grep -q '^get ' "$log" || fail "no request reached the news server"
get_time=$(awk '/^get /{print $2; exit}' "$log")
pass "the fetch began; the server trickles one byte a second"

# (a) The clock: 3.5 s of caption frames; the 40 pixels before the minimise button hold the end
# of the clock (its seconds), which must change about every second.
probe frames Notepad 3500 "$(winpath "$E2E_DIR/frames.bmp")" || fail "no caption frames: $(cat "$PROBE_ANSWER")"
result=$(python3 - "$E2E_DIR/frames.bmp" "$(answer caption)" "$(answer frames)" "$(answer times)" <<'PY'
import sys
from bmp24 import load
path, caption, count, times = sys.argv[1], sys.argv[2], int(sys.argv[3]), list(map(int, sys.argv[4].split()))
left, top, right, bottom = map(int, caption.split())
width, height, rows = load(path)
h = bottom - top
x0, x1 = (right - left) - 54 - 40, (right - left) - 54
region = [b"".join(rows[i * h + y][3 * x0: 3 * x1] for y in range(h)) for i in range(count)]
changes = [times[i] for i in range(1, count) if region[i] != region[i - 1]]
gaps = [b - a for a, b in zip([0] + changes, changes + [times[-1]])]
print(f"{count} frames over {times[-1]} ms; the clock changed at {changes} ms; longest still {max(gaps)} ms")
sys.exit(0 if len(changes) >= 3 and max(gaps) <= 1300 else 1)
PY
) || fail "the caption's clock stood still during the fetch: $result"
pass "$result"

# (b) The tray menu within 1 s of a right click: the menu's own X window appears among the
# desktop's children (watched from X, which answers in milliseconds).
wait_for 20 tray_icon_found || fail "no tray icon: $ICON_RESULT"
read -r icon_x icon_y _ <<<"$ICON"
children() { xwininfo -children -id "$(desktop_xwindow)" 2>/dev/null | awk '$1 ~ /^0x/ {print $1}' | sort; }
before=$(children)
t0=$(date +%s%N)
click_desktop 3 "$icon_x" "$icon_y"
new_child() { [ -n "$(comm -13 <(echo "$before") <(children))" ]; }
deadline=$(($(date +%s) + 5))
until new_child || [ "$(date +%s)" -ge "$deadline" ]; do sleep 0.02; done
shown_ms=$(elapsed_ms "$t0")
wait_for 5 popup_menu_open || fail "no tray menu after a right click"
[ "$shown_ms" -le 1000 ] || fail "the tray menu took $shown_ms ms to show"
pass "the tray menu showed $shown_ms ms after the right click, at $MENU_RECT"

# (c) Quitting from the menu while the fetch still waits: the program ends within 2 s.
grep -q '^\(gone\|done\) ' "$log" && fail "the fetch ended before the quit: $(cat "$log")"
wait_for 5 focus_popup_menu || fail "could not give the menu the keyboard focus"
t0=$(date +%s%N)
quit_time=$(date +%s.%N)
xdotool key q
deadline=$(($(date +%s) + 10))
until [ -z "$(lumbrel_pids "$dir")" ] || [ "$(date +%s)" -ge "$deadline" ]; do sleep 0.05; done
ended_ms=$(elapsed_ms "$t0")
[ -z "$(lumbrel_pids "$dir")" ] || fail "lumbrel.exe still runs 10 s after 終了"
[ "$ended_ms" -le 2000 ] || fail "lumbrel.exe took $ended_ms ms to end"
awk -v q="$quit_time" -v g="$get_time" '/^gone /{exit !($2 >= q - 0.5 && q - g < 15)} END{}' "$log" ||
  fail "the server did not see the fetch cut off by the quit: $(cat "$log")"
crash_seen && fail "a Wine debugger started (crash)"
pass "lumbrel.exe ended $ended_ms ms after 終了, $(awk -v g="$get_time" -v q="$quit_time" 'BEGIN{printf "%.1f", q - g}') s into the fetch; no crash"
