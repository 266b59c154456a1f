#!/usr/bin/env bash
# Usage: scripts/resident_cpu.sh [SECONDS] [OVERLAY]
# What the resident program costs: lumbrel.exe from dist/Lumbrel in a Wine desktop with notepad in
# front, the default picture animating, the clock with seconds and the outline on. Its CPU time is
# read from /proc/<pid>/stat (user + system, all threads), as a task manager reads it, over SECONDS
# (60 by default) and printed as a share of one core; the Wine server's share is printed beside it.
# OVERLAY, when given, is written as [DEFAULT] OVERLAY (1: the caption overlay, 0: the title bar).
set -uo pipefail
source "$(dirname "$0")/../tests/e2e/lib.sh"
seconds=${1:-60}
overlay=${2:-}
e2e_begin resident_cpu

program_folder Lumbrel
write_ini "$ini" "$dir"
ini_set "$ini" DEFAULT ANIMATION=1 CLOCK=1 SHADOW=1 SHADOWCOLOR=0 FIRST=1
ini_set "$ini" CUSTOMIZE CLOCK=4
[ -z "$overlay" ] || ini_set "$ini" DEFAULT "OVERLAY=$overlay"
start_notepad
start_lumbrel "$dir"
wait_for 30 caption_painted @foreground "$dir/Lum1.bmp" cpu || fail "notepad's caption was not painted: $IMAGE_RESULT"
pid=$(lumbrel_pids "$dir" | head -1)
server=$(pgrep -f "wineserver" | while read -r p; do
  tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$p"; done | head -1)
[ -n "$pid" ] || fail "no lumbrel.exe running"

# Clock ticks of user and system time (fields 14 and 15, after the parenthesised name).
cpu_ticks() { [ -n "$1" ] && sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }' || echo 0; }
t0=$(date +%s%N) a0=$(cpu_ticks "$pid") s0=$(cpu_ticks "$server")
sleep "$seconds"
t1=$(date +%s%N) a1=$(cpu_ticks "$pid") s1=$(cpu_ticks "$server")
[ -e "/proc/$pid" ] || fail "lumbrel.exe ended during the measurement"
hz=$(getconf CLK_TCK)
awk -v a=$((a1 - a0)) -v s=$((s1 - s0)) -v hz="$hz" -v ns=$((t1 - t0)) 'BEGIN {
  wall = ns / 1e9
  printf "lumbrel.exe: %.2f s of CPU in %.1f s = %.2f %% of one core (target <= 0.25 %%)\n", a / hz, wall, 100 * a / hz / wall
  printf "wineserver:  %.2f s of CPU in %.1f s = %.2f %% of one core\n", s / hz, wall, 100 * s / hz / wall
}'
