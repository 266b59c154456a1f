#!/usr/bin/env bash
# Installs everything Lumbrel needs to build, run and test on Debian. Safe to run again:
# it only installs what is missing and says what it does.
#
# A package index that will not update (a mirror caught mid-sync can fail one list for hours)
# does not stop it: it goes on with the lists it has. The 32-bit Wine is the one package it can
# do without: where wine32:i386 cannot be installed (or the i386 architecture cannot be added),
# it installs the 64-bit Windows compiler instead and the tests run the 64-bit build under wine64,
# as they do where the kernel runs no 32-bit programs. The shipped program and installer are
# 32-bit either way: building them needs only the i686 compiler, an amd64 package.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
# How often and how far apart apt-get update is tried (the set-up test makes the pause 0).
tries=${LUM_APT_TRIES:-3}
pause=${LUM_APT_PAUSE:-3}

PKGS=(wine wine64 g++-mingw-w64-i686 xvfb xdotool imagemagick fonts-wine
      fonts-ipafont-gothic locales cmake make g++ python3 fp-utils nsis openssl)
# The 32-bit Wine, with the TLS library its Schannel loads (only recommended, so asked for here).
WINE32=(wine32:i386 libgnutls30:i386)
COMPILER64=g++-mingw-w64-x86-64

installed() {
  local p
  for p in "$@"; do dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || return 1; done
}
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
# apt's first error line from the last command, for a message of one line.
first_error() { grep -m1 '^E:' "$errors" | cut -c1-200 || true; }

lists_fresh=0
update_lists() {
  [ "$lists_fresh" = 1 ] && return 0
  lists_fresh=1
  local i
  for ((i = 1; i <= tries; i++)); do
    $SUDO apt-get update -qq 2>"$errors" && return 0
    [ "$i" -lt "$tries" ] && sleep "$pause"
  done
  echo "setup: apt-get update failed $tries times ($(first_error)); going on with the package lists there are"
}
apt_install() {
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@" 2>"$errors"
}
# need PACKAGE...: installs them or stops, since nothing can be built or tested without them.
need() {
  update_lists
  echo "setup: installing $*"
  if ! apt_install "$@"; then
    cat "$errors" >&2
    echo "setup: cannot install $* ($(first_error)); Lumbrel cannot be built and tested without them" >&2
    exit 1
  fi
}

missing=()
for p in "${PKGS[@]}"; do installed "$p" || missing+=("$p"); done
if [ ! -d /usr/src/googletest ]; then missing+=(googletest); fi

# Why the tests will run the 64-bit build, when they will.
no_wine32=""
if ! installed "${WINE32[@]}"; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture (for wine32)"
    if $SUDO dpkg --add-architecture i386 2>"$errors"; then
      lists_fresh=0
    else
      no_wine32="the i386 architecture cannot be added"
    fi
  fi
fi

if [ ${#missing[@]} -gt 0 ]; then need "${missing[@]}"; fi

if [ -z "$no_wine32" ] && ! installed "${WINE32[@]}"; then
  update_lists
  echo "setup: installing ${WINE32[*]}"
  apt_install "${WINE32[@]}" || no_wine32="the 32-bit Wine (${WINE32[*]}) cannot be installed: $(first_error)"
fi

if [ ${#missing[@]} -eq 0 ] && installed "${WINE32[@]}"; then echo "setup: all packages present"; fi

if ! locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  $SUDO sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi

# Where Wine runs no 32-bit programs, the tests build and run the 64-bit program under wine64.
if [ "$(bash "$here/win_arch.sh")" = x86_64 ]; then
  if [ -n "${LUM_WIN_ARCH:-}" ]; then
    why="LUM_WIN_ARCH=$LUM_WIN_ARCH asks for it"
  elif [ -n "$no_wine32" ]; then
    why=$no_wine32
  else
    why="this kernel runs no 32-bit programs"
  fi
  installed "$COMPILER64" || need "$COMPILER64"
  echo "setup: the tests will run the 64-bit build (build/win64) under wine64: $why"
fi
echo "setup: done"
