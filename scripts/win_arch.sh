#!/usr/bin/env bash
# Prints the Windows architecture this machine RUNS under Wine: i686 (the program's own,
# 32-bit) where Wine's 32-bit loader runs, x86_64 where the kernel runs no 32-bit programs
# (some virtual machines have IA-32 emulation switched off; wine64 still runs there). The
# shipped program is always the i686 build; this only chooses what the tests run.
# LUM_WIN_ARCH=x86_64 (or i686) overrides the guess, so the 64-bit path can be tried anywhere.
# LUM_WINE_DIR names another folder of Wine's loaders (the set-up test's stand-ins).
case "${LUM_WIN_ARCH:-}" in
  i686 | x86_64) echo "$LUM_WIN_ARCH"; exit 0 ;;
  "") ;;
  *) echo "win_arch: LUM_WIN_ARCH must be i686 or x86_64, not '$LUM_WIN_ARCH'" >&2; exit 1 ;;
esac
wine_dir=${LUM_WINE_DIR:-/usr/lib/wine}
if "$wine_dir/wine" --version >/dev/null 2>&1 || ! [ -x "$wine_dir/wine64" ]; then
  echo i686
else
  echo x86_64
fi
