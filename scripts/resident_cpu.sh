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
# The cases take ROUNDS (2) turns of SECONDS/ROUNDS each (SECONDS: 60 per case), and the floor
# runs beside each turn, so both are measured over the same seconds and share whatever else the
# machine does alike. Each figure is a program's CPU time (all threads) from the scheduler's
# exact count (/proc/<pid>/task/*/schedstat) as a share of one core; each ratio is the case's
# time over the floor's in the same turns. The Wine server's share is printed beside.
set -uo pipefail
source "$(dirname "$0")/../tests/e2e/lib.sh"
seconds=${1:-60}
rounds=${2:-2}
e2e_begin resident_cpu

bench_exe="$LUM_ROOT/build/win/lumbrel_bench.exe"
[ -f "$bench_exe" ] || fail "no $bench_exe: run make bench"
program_folder Lumbrel
write_ini "$ini" "$dir"
ini_set "$ini" DEFAULT SHADOW=1 SHADOWCOLOR=0 FIRST=1
start_notepad
server=$(pgrep -f "wineserver" | while read -r p; do
  tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$p"; done | head -1)

# The scheduler's count of a process's CPU time in nanoseconds, all its threads.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%.0f\n", sum }'; }
# measure PID FLOOR_PID SECONDS: "WALL PROGRAM FLOOR SERVER", nanoseconds over SECONDS.
measure() {
  local t0 n0 f0 s0
  t0=$(date +%s%N) n0=$(cpu_ns "$1") f0=$(cpu_ns "$2") s0=$(cpu_ns "$server")
  sleep "$3"
  [ -e "/proc/$1" ] && [ -e "/proc/$2" ] || fail "a measured program ended during the measurement"
  echo "$(($(date +%s%N) - t0)) $(($(cpu_ns "$1") - n0)) $(($(cpu_ns "$2") - f0)) $(($(cpu_ns "$server") - s0))"
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
declare -A used=() wall=() floor_used=() served=()
for round in $(seq 1 "$rounds"); do
  for c in $cases; do
    configure "$c"
    start_lumbrel "$dir"
    wait_for 30 caption_painted @foreground "$dir/Lum1.bmp" "$c" || fail "$c: notepad's caption was not painted: $IMAGE_RESULT"
    pid=$(lumbrel_pids "$dir" | head -1)
    [ -n "$pid" ] || fail "no lumbrel.exe running"
    # The floor paints notepad's title bar too, so it starts once Lumbrel's caption has been seen.
    in_desktop "$E2E_DIR" "$(winpath "$bench_exe")" --resident-floor
    wait_for 30 floor_running || fail "the floor program did not start"
    sleep 2 # past both programs' start-up
    read -r ns cpu floor_cpu srv <<<"$(measure "$pid" "$floor_pid" "$turn")"
    used[$c]=$((${used[$c]:-0} + cpu)) floor_used[$c]=$((${floor_used[$c]:-0} + floor_cpu))
    wall[$c]=$((${wall[$c]:-0} + ns)) served[$c]=$((${served[$c]:-0} + srv))
    kill "$floor_pid"
    wait_for 20 test ! -e "/proc/$floor_pid"
    stop_lumbrel "$dir"
  done
done

share() { awk -v a="$1" -v ns="$2" 'BEGIN { printf "%.3f", 100 * a / ns }'; }
echo "notepad in front; $rounds turns of $turn s per case; % of one core from the scheduler's count"
echo "(the floor runs beside each case, so both are measured over the same seconds)"
status=0
for c in $cases; do
  case $c in
    bar_still) label="title bar, nothing changing" target=1.10 ;;
    bar_busy) label="title bar, animation+seconds+outline" target=1.30 ;;
    overlay_still) label="overlay, nothing changing" target=1.10 ;;
    overlay_busy) label="overlay, animation+seconds+outline" target=1.30 ;;
  esac
  ratio=$(awk -v a="${used[$c]}" -v b="${floor_used[$c]}" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
  awk -v r="$ratio" -v t="$target" 'BEGIN { exit !(r <= t) }' || status=1
  printf '  %-37s %6s %%  floor %6s %%  %5s x floor (target <= %s)  wineserver %s %%\n' "$label" \
    "$(share "${used[$c]}" "${wall[$c]}")" "$(share "${floor_used[$c]}" "${wall[$c]}")" "$ratio" "$target" \
    "$(share "${served[$c]}" "${wall[$c]}")"
done
echo "$([ $status = 0 ] && echo "all four at or under target" || echo "some over target")"
exit $status
