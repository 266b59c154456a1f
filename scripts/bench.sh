#!/usr/bin/env bash
# Runs the benchmarks under Wine on a private display; they print ratios measured in one run.
set -euo pipefail
LUM_ROOT=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build/win}
source "$LUM_ROOT/scripts/wine-env.sh"
lum_display
lum_prefix bench
trap lum_cleanup EXIT
cd "$LUM_ROOT/$build"
wine lumbrel_bench.exe
