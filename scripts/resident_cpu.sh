#!/usr/bin/env bash
# Usage: scripts/resident_cpu.sh [SECONDS] [OVERLAY]
#        scripts/resident_cpu.sh SECONDS compare
# What the resident program costs, in a Wine desktop with notepad in front. Its CPU time is read
# from /proc/<pid>/stat (user + system, all threads), as a task manager reads it, and printed as
# a share of one core; the Wine server's share is printed beside it.
#
# The first form: lumbrel.exe from dist/Lumbrel over SECONDS (60 by default) with the default
# picture animating, the clock with seconds and the outline on. OVERLAY, when given, is written
# as [DEFAULT] OVERLAY (1: the caption overlay, 0: the title bar).
#
# compare: nothing changes on notepad's caption (no animation, no clock), and three programs take
# turns, two of SECONDS/6 each: the floor (lumbrel_bench.exe --resident-floor: a window DC and one
# block copy every 180 ms, nothing else), Lumbrel painting the title bar and Lumbrel's overlay.
# Taking turns, they share whatever else the machine does alike; the ratios are of this one run.
# Such small shares are read from the scheduler's exact count rather than in clock ticks.
set -uo pipefail
source "$(dirname "$0")/../tests/e2e/lib.sh"
seconds=${1:-60}
mode=${2:-}
e2e_begin resident_cpu

program_folder Lumbrel
write_ini "$ini" "$dir"
if [ "$mode" = compare ]; then
  ini_set "$ini" DEFAULT ANIMATION=0 CLOCK=0 SHADOW=1 SHADOWCOLOR=0 FIRST=1
else
  ini_set "$ini" DEFAULT ANIMATION=1 CLOCK=1 SHADOW=1 SHADOWCOLOR=0 FIRST=1
  ini_set "$ini" CUSTOMIZE CLOCK=4
  [ -z "$mode" ] || ini_set "$ini" DEFAULT "OVERLAY=$mode"
fi
start_notepad
server=$(pgrep -f "wineserver" | while read -r p; do
  tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$p"; done | head -1)

# Clock ticks of user and system time (fields 14 and 15, after the parenthesised name).
cpu_ticks() { [ -n "$1" ] && sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }' || echo 0; }
# The same in nanoseconds from the scheduler's own count (/proc/<pid>/task/*/schedstat), exact
# where the clock ticks above come in hundredths of a second.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { print sum + 0 }'; }
# measure PID SECONDS: "PROGRAM_TICKS SERVER_TICKS NANOSECONDS PROGRAM_NANOSECONDS" over SECONDS.
measure() {
  local t0 a0 s0 n0
  t0=$(date +%s%N) a0=$(cpu_ticks "$1") s0=$(cpu_ticks "$server") n0=$(cpu_ns "$1")
  sleep "$2"
  [ -e "/proc/$1" ] || fail "the measured program ended during the measurement"
  echo "$(($(cpu_ticks "$1") - a0)) $(($(cpu_ticks "$server") - s0)) $(($(date +%s%N) - t0)) $(($(cpu_ns "$1") - n0))"
}
# share TICKS NANOSECONDS: percent of one core; share_ns CPU_NANOSECONDS NANOSECONDS the same.
share() { awk -v a="$1" -v ns="$2" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", 100 * a / hz / (ns / 1e9) }'; }
share_ns() { awk -v a="$1" -v ns="$2" 'BEGIN { printf "%.3f", 100 * a / ns }'; }

start_painting() {
  start_lumbrel "$dir"
  wait_for 30 caption_painted @foreground "$dir/Lum1.bmp" cpu || fail "notepad's caption was not painted: $IMAGE_RESULT"
  pid=$(lumbrel_pids "$dir" | head -1)
  [ -n "$pid" ] || fail "no lumbrel.exe running"
}

if [ "$mode" != compare ]; then
  start_painting
  read -r a s ns cpu <<<"$(measure "$pid" "$seconds")"
  wall=$(awk -v ns="$ns" 'BEGIN { printf "%.1f", ns / 1e9 }')
  echo "lumbrel.exe: $(share "$a" "$ns") % of one core over $wall s (target <= 0.25 %; the scheduler's exact count: $(share_ns "$cpu" "$ns") %)"
  echo "wineserver:  $(share "$s" "$ns") % of one core"
  exit 0
fi

bench_exe="$LUM_TEST_BUILD/lumbrel_bench.exe"
[ -f "$bench_exe" ] || fail "no $bench_exe: run make bench"
turn=$((seconds / 6))
declare -A used=() nanos=()
for round in 1 2; do
  for program in floor classic overlay; do
    case $program in
      floor)
        in_desktop "$E2E_DIR" "$(winpath "$bench_exe")" --resident-floor
        floor_running() { pid=$(program_pids "$(winpath "$bench_exe")" | head -1) && [ -n "$pid" ]; }
        wait_for 30 floor_running || fail "the floor program did not start"
        sleep 2 ;;
      classic | overlay)
        ini_set "$ini" DEFAULT "OVERLAY=$([ $program = overlay ] && echo 1 || echo 0)"
        start_painting
        sleep 2 ;;
    esac
    read -r _ _ ns cpu <<<"$(measure "$pid" "$turn")"
    used[$program]=$((${used[$program]:-0} + cpu)) nanos[$program]=$((${nanos[$program]:-0} + ns))
    if [ $program = floor ]; then kill "$pid"; wait_for 20 test ! -e "/proc/$pid"; else stop_lumbrel "$dir"; fi
  done
done
floor=$(share_ns "${used[floor]}" "${nanos[floor]}")
classic=$(share_ns "${used[classic]}" "${nanos[classic]}")
overlay=$(share_ns "${used[overlay]}" "${nanos[overlay]}")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
echo "nothing changing on notepad's caption, two turns of $turn s each:"
echo "  floor program (window DC + one block copy):  $floor % of one core"
echo "  lumbrel.exe, title bar:                      $classic % of one core  $(ratio "$classic" "$floor") x floor"
echo "  lumbrel.exe, overlay:                        $overlay % of one core  $(ratio "$overlay" "$classic") x title bar (target <= 1.00)"
