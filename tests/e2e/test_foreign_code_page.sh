#!/usr/bin/env bash
# An English Windows (code page 1252; Wine takes it from the C.UTF-8 locale) running Lumbrel from
# a program folder named ルンブル, which that code page cannot write. The first run writes LUM.ini
# as UTF-16 with a byte-order mark, the picture's path and the Japanese comment whole, and marks
# FIRST; the caption shows Lum1.bmp.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
e2e_begin

program_folder ルンブル
start_notepad
start_lumbrel "$dir"
wait_for 30 caption_painted @foreground "$dir/Lum1.bmp" first ||
  fail "no caption painted with Lum1.bmp from the folder ルンブル: $IMAGE_RESULT"
pass "the caption shows Lum1.bmp ($IMAGE_RESULT)"

check_ini() {
  python3 - "$ini" "$(winpath "$dir")\\Lum1.bmp" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
if not data.startswith(b"\xff\xfe"):
    sys.exit(f"LUM.ini is not UTF-16 with a byte-order mark: {data[:24]!r}")
lines = data[2:].decode("utf-16-le").split("\r\n")
keys = dict(line.split("=", 1) for line in lines if "=" in line and not line.startswith(";"))
if keys.get("PICTURE", "").lower() != sys.argv[2].lower() or keys.get("FIRST") != "1":
    sys.exit(f"PICTURE={keys.get('PICTURE')!r} FIRST={keys.get('FIRST')!r}")
if not any(line.startswith(";;TIMER") and "表示" in line for line in lines):
    sys.exit("the Japanese comment line was lost")
print(f"LUM.ini is UTF-16: PICTURE={keys['PICTURE']}, FIRST=1, the comment whole")
PY
}
result=$(check_ini) || fail "$result"
pass "$result"

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
