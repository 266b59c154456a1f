#!/usr/bin/env bash
# Installs everything Lumbrel needs to build, run and test on Debian. Safe to run again:
# it only installs what is missing and says what it does.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

PKGS=(wine wine32:i386 wine64 g++-mingw-w64-i686 xvfb xdotool imagemagick fonts-wine
      fonts-ipafont-gothic locales cmake make g++ python3 fp-utils nsis)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture (for wine32)"
  $SUDO dpkg --add-architecture i386
  NEED_UPDATE=1
fi

missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ! -d /usr/src/googletest ]; then missing+=(googletest); fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi

if ! locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  $SUDO sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
# Some kernels run no 32-bit programs at all (IA-32 emulation off): there the project builds
# and tests the 64-bit program under wine64 instead.
if [ "$(bash "$(dirname "$0")/win_arch.sh")" = x86_64 ] &&
   ! dpkg-query -W -f='${Status}' g++-mingw-w64-x86-64 2>/dev/null | grep -q 'install ok installed'; then
  echo "setup: this kernel runs no 32-bit programs; installing the 64-bit Windows compiler"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends g++-mingw-w64-x86-64
fi
echo "setup: done"
