#!/usr/bin/env bash
# Prints the Windows architecture this machine builds and tests: i686 (the program's own,
# 32-bit) where Wine's 32-bit loader runs, x86_64 where the kernel runs no 32-bit programs
# (some virtual machines have IA-32 emulation switched off; wine64 still runs there).
if /usr/lib/wine/wine --version >/dev/null 2>&1 || ! [ -x /usr/lib/wine/wine64 ]; then
  echo i686
else
  echo x86_64
fi
