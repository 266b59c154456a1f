#!/usr/bin/env bash
# First run in a folder without LUM.ini: Lumbrel writes the default settings (CP932, CR LF) and
# marks the first run with FIRST=1. A later start, with FIRST present, leaves the file alone.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

program_folder Lumbrel
[ ! -e "$ini" ] || fail "the copied program folder already holds LUM.ini"
# The guide the first run opens reads right on any code page: UTF-8 with a byte-order mark.
python3 - "$dir/はじめに.txt" <<'EOF' || fail "the guide is not UTF-8 with a byte-order mark"
import sys
data = open(sys.argv[1], "rb").read()
assert data.startswith(b"\xef\xbb\xbf"), data[:8]
text = data[3:].decode("utf-8")
assert text.startswith("Lumbrel はじめに\r\n") and text.endswith("\r\n") and "\ufeff" not in text
EOF
pass "the guide is UTF-8 with a byte-order mark"

start_notepad
start_lumbrel "$dir"
t0=$(date +%s%N)
# The caption timer starts last, so a painted caption means the start-up (and its writes) is over.
# The first-run guide may have opened in front of our notepad: whatever is in front gets painted.
wait_for 30 caption_painted @foreground "$dir/Lum1.bmp" first ||
  fail "no caption painted with the default picture after the first start: $IMAGE_RESULT"
pass "start-up over $(elapsed_ms "$t0") ms after the start ($IMAGE_RESULT)"

# Decoding, line ends, sections and values.
result=$(python3 - "$ini" "$(winpath "$dir")\\Lum1.bmp" <<'EOF'
import sys
path, picture = sys.argv[1], sys.argv[2]
data = open(path, "rb").read()
problems = []
try:
    text = data.decode("cp932")
except UnicodeDecodeError as error:
    sys.exit(f"LUM.ini is not CP932: {error}")
bare = text.replace("\r\n", "")
if not text.endswith("\r\n") or "\r" in bare or "\n" in bare:
    problems.append("not every line ends with CR LF")
sections, current = {}, None
for line in text.split("\r\n"):
    if line.startswith("["):
        current = sections.setdefault(line.strip("[]"), {})
    elif "=" in line and not line.startswith(";") and current is not None:
        key, value = line.split("=", 1)
        current.setdefault(key, value)
expected = {
    "DEFAULT": {"PICTURE": picture, "COLOR": "16777215", "ALIGENMENT": "1", "FONT": "1", "TIMER": "1",
                "ANIMATION": "1", "NEWS": "0", "CONNECT": "0", "FIRST": "1"},
    "CUSTOMIZE": {"TOP": "1", "LEFT": "0"},
}
for section, keys in expected.items():
    for key, value in keys.items():
        found = sections.get(section, {}).get(key)
        # Windows paths compare without regard to case.
        if found is None or (found.lower() != value.lower() if key == "PICTURE" else found != value):
            problems.append(f"[{section}] {key}={found!r}, expected {value!r}")
if problems:
    sys.exit("; ".join(problems))
print(f"{len(data)} bytes, CP932, CR LF, {sum(map(len, sections.values()))} keys as expected, FIRST=1")
EOF
) || fail "LUM.ini after the first run: $result"
pass "LUM.ini: $result"

# Second start. Other values than the defaults and a blank line between the sections (which
# Wine's profile writer drops) show any rewrite of the file.
stop_lumbrel "$dir"
write_ini "$ini" "$dir" FIRST=1
sed -i 's/^COLOR=16777215\r$/COLOR=255\r/; s/^TOP=1\r$/TOP=30\r/' "$ini"
before=$(stamp "$ini")
start_lumbrel "$dir"
t0=$(date +%s%N)
# A notepad that comes to the front now has a caption that only the new instance can have painted.
start_notepad
wait_for 30 caption_painted @foreground "$dir/Lum1.bmp" second ||
  fail "the second start painted no caption: $IMAGE_RESULT"
pass "second start over $(elapsed_ms "$t0") ms after the start ($IMAGE_RESULT)"
[ "$(stamp "$ini")" = "$before" ] || fail "the second start wrote LUM.ini: $(tr -d '\r' <"$ini" | iconv -f CP932 -t UTF-8)"
pass "the second start left LUM.ini as it was (bytes and modification time)"

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
