#!/usr/bin/env bash
# Usage: scripts/resident_cpu.sh [SECONDS] [ROUNDS]
# What the resident program costs against the floor of any caption painter, in a Wine desktop
# with notepad in front, after make dist and make bench (or the lumbrel and lumbrel_bench targets).
#
# The floor is lumbrel_bench.exe --resident-floor: every 180 ms it asks for the foreground window
# and its rectangle, takes the window DC and copies one ready caption-sized bitmap into it, which
# any caption painter must do. Four cases of lumbrel.exe are measured against it:
#   title bar, nothing changing   no animation, a clock without seconds (changes once a minute)
#   title bar, busy               the default picture animating, the clock with seconds, the outline
#   overlay, both of the same     in the caption overlay ([DEFAULT] OVERLAY=1)
# Each program runs alone, as a user runs it: two painters ticking beside each other every 180 ms
# share the window system's wake-ups in whichever order their timers happen to fall, and that
# order alone moved two copies of the floor 13 % apart. So a run takes ROUNDS (3) rounds, each of
# one turn of the floor and one of every case, SECONDS/ROUNDS each (SECONDS: 60 per program); the
# rounds interleave the floor with the cases, so that whatever else the machine does falls on
# both alike. Each figure is a program's CPU time (all threads) from the scheduler's exact count
# (/proc/<pid>/task/*/schedstat) as a share of one core; each ratio is the case's over the
# floor's, from the same run. The Wine server's share is printed beside.
set -uo pipefail
source "$(dirname "$0")/../tests/e2e/lib.sh"
seconds=${1:-60}
rounds=${2:-3}
e2e_begin resident_cpu

bench_exe="$LUM_TEST_BUILD/lumbrel_bench.exe"
[ -f "$bench_exe" ] || fail "no $bench_exe: run make bench"
program_folder Lumbrel
write_ini "$ini" "$dir"
ini_set "$ini" DEFAULT SHADOW=1 SHADOWCOLOR=0 FIRST=1
start_notepad
server=$(pgrep -f "wineserver" | while read -r p; do
  tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$p"; done | head -1)

# The scheduler's count of a process's CPU time in nanoseconds, all its threads.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%.0f\n", sum }'; }
# measure PID SECONDS: "WALL PROGRAM SERVER", nanoseconds over SECONDS.
measure() {
  local t0 n0 s0
  t0=$(date +%s%N) n0=$(cpu_ns "$1") s0=$(cpu_ns "$server")
  sleep "$2"
  [ -e "/proc/$1" ] || fail "the measured program ended during the measurement"
  echo "$(($(date +%s%N) - t0)) $(($(cpu_ns "$1") - n0)) $(($(cpu_ns "$server") - s0))"
}

# configure CASE: LUM.ini for one of the four cases.
configure() {
  case $1 in
    bar_*) ini_set "$ini" DEFAULT OVERLAY=0 ;;
    overlay_*) ini_set "$ini" DEFAULT OVERLAY=1 ;;
  esac
  case $1 in
    *_still) ini_set "$ini" DEFAULT ANIMATION=0 CLOCK=1 && ini_set "$ini" CUSTOMIZE CLOCK=3 ;;
    *_busy) ini_set "$ini" DEFAULT ANIMATION=1 CLOCK=1 && ini_set "$ini" CUSTOMIZE CLOCK=4 ;;
  esac
}
floor_running() { floor_pid=$(program_pids "$(winpath "$bench_exe")" | head -1) && [ -n "$floor_pid" ]; }

cases="bar_still bar_busy overlay_still overlay_busy"
turn=$((seconds / rounds))
declare -A used=() wall=() served=()
# account CASE PID: one measured turn of PID, started a moment ago, added to CASE's figures.
account() {
  sleep 2 # past the program's start-up
  read -r ns cpu srv <<<"$(measure "$2" "$turn")"
  used[$1]=$((${used[$1]:-0} + cpu)) wall[$1]=$((${wall[$1]:-0} + ns)) served[$1]=$((${served[$1]:-0} + srv))
}
for round in $(seq 1 "$rounds"); do
  # The floor paints notepad's title bar as Lumbrel does, each alone.
  in_desktop "$E2E_DIR" "$(winpath "$bench_exe")" --resident-floor
  wait_for 30 floor_running || fail "the floor program did not start"
  account floor "$floor_pid"
  kill "$floor_pid"
  wait_for 20 test ! -e "/proc/$floor_pid"
  for c in $cases; do
    configure "$c"
    start_lumbrel "$dir"
    wait_for 30 caption_painted @foreground "$dir/Lum1.bmp" "$c" || fail "$c: notepad's caption was not painted: $IMAGE_RESULT"
    pid=$(lumbrel_pids "$dir" | head -1)
    [ -n "$pid" ] || fail "no lumbrel.exe running"
    account "$c" "$pid"
    stop_lumbrel "$dir"
  done
done

share() { awk -v a="$1" -v ns="$2" 'BEGIN { printf "%.3f", 100 * a / ns }'; }
echo "notepad in front; $rounds rounds of $turn s per program, each alone; % of one core from the scheduler's count"
printf '  %-37s %6s %%                                         wineserver %s %%\n' "the floor" \
  "$(share "${used[floor]}" "${wall[floor]}")" "$(share "${served[floor]}" "${wall[floor]}")"
status=0
for c in $cases; do
  case $c in
    bar_still) label="title bar, nothing changing" target=1.10 ;;
    bar_busy) label="title bar, animation+seconds+outline" target=1.30 ;;
    overlay_still) label="overlay, nothing changing" target=1.10 ;;
    overlay_busy) label="overlay, animation+seconds+outline" target=1.30 ;;
  esac
  # Shares, not sums: a turn's wall time differs a little from the floor's.
  ratio=$(awk -v a="${used[$c]}" -v na="${wall[$c]}" -v b="${used[floor]}" -v nb="${wall[floor]}" \
    'BEGIN { printf "%.2f", (b > 0 ? (a / na) / (b / nb) : 0) }')
  awk -v r="$ratio" -v t="$target" 'BEGIN { exit !(r <= t) }' || status=1
  printf '  %-37s %6s %%  %5s x floor (target <= %s)  wineserver %s %%\n' "$label" \
    "$(share "${used[$c]}" "${wall[$c]}")" "$ratio" "$target" "$(share "${served[$c]}" "${wall[$c]}")"
done
echo "$([ $status = 0 ] && echo "all four at or under target" || echo "some over target")"
exit $status
