#!/usr/bin/env bash
# A broken LUM.ini does not stop Lumbrel: random bytes, a 1 MB file of junk lines and a read-only
# file each let the start-up finish, and the program goes on painting captions without crashing.
# A read-only file stays as it was.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin
start_notepad

# random_bytes FILE: 4 KB of random bytes (fixed seed).
random_bytes() { python3 -c 'import random, sys; sys.stdout.buffer.write(random.Random(7).randbytes(4096))' >"$1"; }

# junk_lines FILE PICTURE: about 1 MB. Valid [DEFAULT] keys first (the profile reader takes the
# first of duplicate keys), then random printable lines, duplicate keys with nonsense values,
# made-up sections and one line far longer than any buffer. No FIRST, so Lumbrel writes into it.
junk_lines() {
  python3 - "$2" >"$1" <<'EOF'
import random, string, sys
rng = random.Random(11)
chars = string.ascii_letters + string.digits + string.punctuation + " "
lines = ["[DEFAULT]", "PICTURE=" + sys.argv[1], "COLOR=16777215", "ALIGENMENT=1", "ANIMATION=1"]
size = 0
while size < 1 << 20:
    roll = rng.random()
    if roll < 0.02:
        line = rng.choice(["COLOR", "ALIGENMENT", "FONT", "TIMER", "ANIMATION", "PICTURE", "NEWS"]) + "=" + \
            rng.choice(["-1", "99999999999", "abc", "", "\u0001", "1e9"])
    elif roll < 0.025:
        line = "[" + "".join(rng.choice(string.ascii_letters) for _ in range(8)) + "]"
    else:
        line = "".join(rng.choice(chars) for _ in range(rng.randrange(0, 120)))
    lines.append(line)
    size += len(line) + 2
lines.insert(len(lines) // 2, "X" * 70000)
sys.stdout.buffer.write(("\r\n".join(lines) + "\r\n").encode("ascii", "replace"))
EOF
}

# check_case NAME EXPECTED_CAPTION: starts Lumbrel in the prepared folder $E2E_DIR/NAME and waits
# until a new notepad in front gets its caption painted (PICTURE file or "black").
check_case() {
  local name=$1 expected=$2 dir="$E2E_DIR/$1" t0
  t0=$(date +%s%N)
  start_lumbrel "$dir"
  wait_for 30 probe find LumbrelForm1 || fail "$name: no LumbrelForm1 window"
  start_notepad
  wait_for 30 caption_painted @foreground "$expected" "$name" || fail "$name: no caption painted: $IMAGE_RESULT"
  [ -n "$(lumbrel_pids "$dir")" ] || fail "$name: lumbrel.exe is gone"
  probe find LumbrelForm1 || fail "$name: the LumbrelForm1 window is gone"
  crash_seen && fail "$name: a Wine debugger started (crash)"
  pass "$name: running, caption painted $(elapsed_ms "$t0") ms after the start ($IMAGE_RESULT), no crash"
}

# Random bytes: no key can be read, so there is no picture and the caption falls back to black.
program_folder random
random_bytes "$E2E_DIR/random/LUM.ini"
check_case random black
stop_lumbrel "$E2E_DIR/random"

program_folder large
junk_lines "$E2E_DIR/large/LUM.ini" "$(winpath "$E2E_DIR/large")\\Lum1.bmp"
check_case large "$E2E_DIR/large/Lum1.bmp"
stop_lumbrel "$E2E_DIR/large"

# Read-only: writing FIRST fails; the file must stay as it was.
program_folder readonly
write_ini "$ini" "$E2E_DIR/readonly"
locked=1
lock_file "$ini" || locked=0
before=$(stamp "$ini")
check_case readonly "$E2E_DIR/readonly/Lum1.bmp"
if [ "$locked" = 1 ]; then
  [ "$(stamp "$ini")" = "$before" ] || fail "readonly: LUM.ini was changed"
  pass "readonly: LUM.ini unchanged"
else
  echo "note: readonly: root without chattr +i here, so LUM.ini was writable after all; not checked for changes"
fi
pass "all three cases ($(elapsed_ms) ms in all)"
