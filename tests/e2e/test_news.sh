#!/usr/bin/env bash
# One news channel, served from a loopback HTTP server: Lumbrel fetches its document with the
# agent "GetHtml", runs it through the horizontal ticker on the foreground caption (notepad's),
# and shows the channel's picture in the tray menu.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
for helper in click_desktop popup_menu_open focus_popup_menu; do
  declare -F "$helper" >/dev/null || fail "lib.sh has no $helper"
done

# news_check ticker "L T R B" SNAP...: the caption's left part (all of it but the 200 pixels at its
#   right, where the title and the buttons are) holds white text pixels in every snapshot and
#   differs between each two in a row, while the right part stays as it was.
# news_check picture SNAP PICTURE: the whole picture, pixel for pixel, appears in SNAP.
news_check() { python3 -c "$NEWS_CHECK_PY" "$@"; }
NEWS_CHECK_PY=$(
  cat <<'EOF'
import struct, sys

from bmp24 import load

WHITE = b"\xff\xff\xff"

def ticker(caption, *snaps):
    left, top, right, bottom = map(int, caption.split())
    split = right - 200
    shots = [load(s)[2] for s in snaps]
    def cells(rows):
        return [rows[y][3 * x: 3 * x + 3] for y in range(top, bottom) for x in range(left, split)]
    def title_part(rows):
        return [rows[y][3 * split: 3 * right] for y in range(top, bottom)]
    width = split - left
    whites = [[i % width + left for i, c in enumerate(cells(rows)) if c == WHITE] for rows in shots]
    changes = [sum(p != q for p, q in zip(cells(a), cells(b))) for a, b in zip(shots, shots[1:])]
    print(f"white pixels left of x={split}: {[len(w) for w in whites]}, leftmost at x="
          f"{[min(w, default=None) for w in whites]}; pixels changed from snapshot to snapshot: {changes}")
    if any(len(w) < 20 for w in whites) or any(c < 20 for c in changes):
        return False
    if title_part(shots[0]) != title_part(shots[-1]):
        print("the title part changed too")
        return False
    return True

def picture(snap, picture):
    # A copied bitmap arrives unchanged on a 24-bit screen: compare exactly.
    sw, sh, srows = load(snap)
    pw, ph, prows = load(picture)
    for y in range(sh - ph + 1):
        x = srows[y].find(prows[0])
        while x >= 0:
            if x % 3 == 0 and all(srows[y + r][x: x + 3 * pw] == prows[r] for r in range(ph)):
                print(f"the {pw}x{ph} picture shows at ({x // 3}, {y}) of the {sw}x{sh} snapshot")
                return True
            x = srows[y].find(prows[0], x + 1)
    print(f"the {pw}x{ph} picture shows nowhere in the {sw}x{sh} snapshot")
    return False

checks = {"ticker": ticker, "picture": picture}
sys.exit(0 if checks[sys.argv[1]](*sys.argv[2:]) else 1)
EOF
)

e2e_begin
program_folder Lumbrel

# The news server: plain files from www/, every request line and its User-Agent logged to
# requests.log. It binds a free port and tells it through a file, so no port is guessed.
www="$E2E_DIR/www" requests="$E2E_DIR/requests.log"
mkdir -p "$www"
: >"$requests"
news="Lumbrelニュース速報：本日は晴天なり。ティッカーのテストです。"
printf '%s%s%s\r\n' "$news" "$news" "$news" | iconv -f UTF-8 -t CP932 >"$www/news.txt"
serve_python "$E2E_DIR/server.log" "$www" "$requests" "$E2E_DIR/port" <<'PY'
import functools, http.server, os, sys
root, log, port_file = sys.argv[1:]

class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        with open(log, "a") as f:
            f.write(f"{self.requestline}\tUser-Agent={self.headers.get('User-Agent', '')}\n")
        super().do_GET()

server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=root))
with open(port_file + ".part", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(port_file + ".part", port_file)
server.serve_forever()
PY
port=$PORT

channel="$dir/News/Test.news"
python3 "$here/channel_picture.py" "$E2E_DIR/channel.bmp" || fail "channel_picture.py failed"
probe channel "$(winpath "$E2E_DIR/channel.bmp")" "Test#http://example.test/#127.0.0.1:$port/news.txt" \
  "$(winpath "$channel")" || fail "the probe could not write the channel file: $(cat "$PROBE_ANSWER")"
# News on, online, channel 1, horizontal ticker; no animation, so that only the ticker moves.
{
  printf '%s\r\n' "[DEFAULT]" "PICTURE=$(winpath "$dir")\\Lum1.bmp" COLOR=16777215 ALIGENMENT=1 FONT=1 TIMER=3 \
    ANIMATION=0 NEWS=1 CONNECT=1 CHANNEL=1 SCROLL=1 FIRST=1 "" "[CUSTOMIZE]" TOP=1 LEFT=0
} | iconv -f UTF-8 -t CP932 >"$dir/LUM.ini"
pass "channel $channel for 127.0.0.1:$port/news.txt"

# Notepad remembers its place and size; 900 pixels put the ticker area's right edge well past x = 380.
place_notepad 20 20 900 400
start_notepad
snap Notepad before || fail "no snapshot of notepad"
pass "notepad in front, caption $SNAP_CAPTION (window coordinates)"

start_lumbrel "$dir"
t0=$(date +%s%N)

# (a) The fetch: a GET of the channel's document with the program's agent.
wait_for 20 grep -q $'^GET /news.txt HTTP/1.[01]\tUser-Agent=GetHtml$' "$requests" ||
  fail "no GET /news.txt with User-Agent GetHtml; the server saw: $(cat "$requests")"
pass "GET /news.txt by GetHtml $(elapsed_ms "$t0") ms after the start"

# (b) The ticker: once Lumbrel paints notepad's caption and the news has begun to enter (a new
# text restarts the ticker from an empty frame), it runs through the part left of the
# right-aligned title. The snapshots come some 400 ms apart, two ticker steps or more.
painted() {
  snap Notepad painted && image changed "$E2E_DIR/before.bmp" "$E2E_DIR/painted.bmp" "$SNAP_CAPTION" >/dev/null &&
    news_check ticker "$SNAP_CAPTION" "$E2E_DIR/painted.bmp" >/dev/null
}
wait_for 20 painted || fail "notepad's caption was not repainted with a ticker"
caption=$SNAP_CAPTION
shots=()
for i in 1 2 3 4 5; do
  wait_for 5 snap Notepad "ticker-$i" || fail "no snapshot of notepad"
  [[ $SNAP_HWND == "$NOTEPAD" && $(answer foreground) == 1 ]] || fail "notepad is no longer in front"
  [ "$SNAP_CAPTION" = "$caption" ] || fail "notepad's caption moved: $caption -> $SNAP_CAPTION"
  shots+=("$E2E_DIR/ticker-$i.bmp")
done
result=$(news_check ticker "$caption" "${shots[@]}") || fail "the ticker does not run: $result"
pass "$result"

# (c) The tray menu: a right click on the icon (the rightmost of the taskbar's tray) opens it, and
# the channel's entry shows the channel's picture at its own size.
probe find Shell_TrayWnd || fail "no taskbar in the desktop"
read -r _ tray_top tray_right tray_bottom <<<"$(answer window)"
icon_x=$((tray_right - 10)) icon_y=$(((tray_top + tray_bottom) / 2))
click_desktop 3 "$icon_x" "$icon_y"
wait_for 20 popup_menu_open || fail "no tray menu after a right click at $icon_x,$icon_y"
snap '#32768' menu || fail "no snapshot of the tray menu"
result=$(news_check picture "$E2E_DIR/menu.bmp" "$channel") || fail "no channel picture in the tray menu: $result"
pass "tray menu at $MENU_RECT: $result"
focus_popup_menu && xdotool key Escape
menu_closed() { ! popup_menu_open; }
wait_for 10 menu_closed || fail "the tray menu did not close on Escape"
pass "Escape closed the tray menu"

[ -n "$(lumbrel_pids "$dir")" ] || fail "lumbrel.exe is no longer running"
crash_seen && fail "a Wine debugger started (crash)"
[ "$(grep -c . "$requests")" = 1 ] || fail "not one request but: $(cat "$requests")"
pass "lumbrel.exe still running, no crash, one request ($(elapsed_ms) ms in all)"
