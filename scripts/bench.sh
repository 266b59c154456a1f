#!/usr/bin/env bash
# Runs the benchmarks under Wine on a private display, inside a Wine desktop (where Wine draws
# every window frame itself, so captions painted on another process's window really land);
# they print ratios measured in one run. What the resident program costs over a minute is
# measured apart: scripts/resident_cpu.sh (after make dist).
set -euo pipefail
LUM_ROOT=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build/win}
source "$LUM_ROOT/scripts/wine-env.sh"
lum_display
lum_prefix bench
trap lum_cleanup EXIT
cd "$LUM_ROOT/$build"
result=$(mktemp)
# A program started through the desktop does not write to this terminal: it leaves its figures in a file.
wine explorer /desktop=LumbrelBench,1024x700 lumbrel_bench.exe "$(winepath -w "$result")" >/dev/null 2>&1 || true
status=0
[ -s "$result" ] && cat "$result" || { echo "bench: the benchmark left no figures" >&2; status=1; }
rm -f "$result"
exit $status
