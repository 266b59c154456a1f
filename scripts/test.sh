#!/usr/bin/env bash
# Runs the three test layers: native unit tests, Win32 tests under Wine, end-to-end tests of
# the real program in a Wine desktop. Ends with one line "N passed, N failed".
set -uo pipefail
LUM_ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$LUM_ROOT"
mkdir -p out/test
passed=0 failed=0

# Adds the counts from a GoogleTest log.
count_gtest() {
  local log=$1 p f
  p=$(grep -oE '^\[  PASSED  \] [0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1)
  # Each failed test is named twice (where it fails and in the closing list): count names.
  f=$(grep -oE '^\[  FAILED  \] [A-Za-z0-9_/.]+\.[A-Za-z0-9_/.]+' "$log" | sort -u | wc -l)
  passed=$((passed + ${p:-0}))
  failed=$((failed + ${f:-0}))
}

# Runs one GoogleTest program (the command in "$@") and adds its counts; a crash or a
# sanitizer report without a failed test still counts as a failure.
run_gtest() {
  local log=$1; shift
  "$@" > "$log" 2>&1
  local status=$?
  grep -E '^\[  (PASSED|FAILED) |tests ran|ERROR: |runtime error|^architecture: ' "$log"
  count_gtest "$log"
  if [ $status -ne 0 ] && ! grep -qE '^\[  FAILED  \] [A-Za-z0-9_/.]+\.' "$log"; then
    echo "ended with status $status (see $log)"
    failed=$((failed + 1))
  fi
}

win32_tests() {
  source scripts/wine-env.sh
  # LUM_TEST_LOCALE: another Unix locale, which gives the Wine processes another code page.
  if [ -n "${LUM_TEST_LOCALE:-}" ]; then export LANG=$LUM_TEST_LOCALE LC_ALL=$LUM_TEST_LOCALE; fi
  lum_display && lum_prefix win32
  # The https tests' server on loopback, with a test CA the tests trust in their own prefix only.
  export LUM_TLS_DIR="$LUM_ROOT/out/test/tls"
  rm -f "$LUM_TLS_DIR/ports" "$LUM_TLS_DIR/sent.log"
  python3 tests/win32/tls_server.py "$LUM_TLS_DIR" &
  local tls=$!
  trap 'kill $tls 2>/dev/null; lum_cleanup' EXIT
  for _ in $(seq 1 100); do [ -s "$LUM_TLS_DIR/ports" ] && break; sleep 0.1; done
  cd "$LUM_TEST_BUILD" && timeout 900 wine lumbrel_win32_tests.exe "$@"
}

# Which Windows build the Wine layers run (the environment itself stays untouched here).
read -r run_arch test_build test_dist <<<"$(
  source scripts/wine-env.sh >/dev/null
  echo "$LUM_RUN_ARCH ${LUM_TEST_BUILD#"$LUM_ROOT"/} ${LUM_TEST_DIST#"$LUM_ROOT"/}"
)"
# Cheap and about the machine itself: set-up on machines it cannot fully serve.
echo "== set-up (scripts/setup.sh with stand-ins for apt-get and dpkg)"
if bash tests/setup/test_setup.sh > out/test/setup.log 2>&1; then echo "[ ok ] test_setup"; passed=$((passed + 1)); else
  echo "[FAIL] test_setup (out/test/setup.log):"; grep FAIL out/test/setup.log | sed 's/^/    /'; failed=$((failed + 1)); fi

echo "== include layers (no file includes a folder above its own)"
if bash scripts/check_layers.sh; then echo "[ ok ] check_layers"; passed=$((passed + 1)); else echo "[FAIL] check_layers"; failed=$((failed + 1)); fi

echo "== unit tests (native $(uname -m), ASan + UBSan)"
run_gtest out/test/unit.log build/native/lumbrel_unit_tests

# The shipped program is 32-bit; the Windows layers run it where Wine's 32-bit loader works.
echo "== Win32 tests (Wine, $run_arch build: $test_build)"
run_gtest out/test/win32.log bash -c "$(declare -f win32_tests); win32_tests"
# LUM.ini and the program folder once more on an English Windows' code page, 1252 (C.UTF-8).
echo "== Win32 tests on code page 1252"
LUM_TEST_LOCALE=C.UTF-8 run_gtest out/test/win32-cp1252.log \
  bash -c "$(declare -f win32_tests); win32_tests --gtest_filter='LumIni.*'"

echo "== end-to-end tests (lumbrel.exe in a Wine desktop, $run_arch build: $test_dist)"
for t in tests/e2e/test_*.sh; do
  [ -e "$t" ] || continue
  name=$(basename "$t" .sh)
  if timeout 600 bash "$t" > "out/test/$name.log" 2>&1; then
    echo "[ ok ] $name"
    passed=$((passed + 1))
  else
    echo "[FAIL] $name (out/test/$name.log):"
    tail -15 "out/test/$name.log" | sed 's/^/    /'
    failed=$((failed + 1))
  fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
