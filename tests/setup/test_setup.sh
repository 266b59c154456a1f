#!/usr/bin/env bash
# scripts/setup.sh on machines it cannot fully serve, with apt-get, dpkg and dpkg-query replaced
# by stand-ins on the PATH (nothing real is installed or changed):
#   a package list that never updates and a wine32:i386 that cannot be installed: set-up goes on,
#     installs the rest and the 64-bit compiler, says so, and win_arch.sh answers x86_64;
#   the same with everything installable: the 32-bit path, and no 64-bit compiler;
#   a package it needs that cannot be installed: it stops, naming the package.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir -p "$work/bin"
# apt-get: records each call; LIST_FAILS, REFUSE (a package that cannot be installed) steer it.
# An installed package is a file in installed/, and Wine's loaders land in wine/.
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/bash
echo "$*" >>"$STANDIN/apt.log"
[ "$1" = update ] && { [ -n "$LIST_FAILS" ] || exit 0
  echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
  exit 100; }
for p in "$@"; do
  [ "$p" = "$REFUSE" ] && { echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100; }
done
for p in "$@"; do
  case $p in
    -*) continue ;;
    wine64) printf '#!/bin/sh\necho wine-8.0\n' >"$STANDIN/wine/wine64" ;;
    wine32:i386) printf '#!/bin/sh\necho wine-8.0\n' >"$STANDIN/wine/wine" ;;
  esac
  chmod +x "$STANDIN"/wine/* 2>/dev/null
  touch "$STANDIN/installed/$p"
done
EOF
cat >"$work/bin/dpkg-query" <<'EOF'
#!/bin/bash
[ -e "$STANDIN/installed/${!#}" ] && echo "install ok installed"
EOF
cat >"$work/bin/dpkg" <<'EOF'
#!/bin/bash
case $1 in
  --print-foreign-architectures) cat "$STANDIN/arches" ;;
  --add-architecture) echo "$2" >>"$STANDIN/arches" ;;
esac
EOF
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
printf '#!/bin/sh\necho ja_JP.utf8\n' >"$work/bin/locale"
chmod +x "$work/bin"/*

# scenario NAME LIST_FAILS REFUSE: a fresh stand-in machine, set-up run on it; sets status, out.
scenario() {
  export STANDIN="$work/$1" LIST_FAILS=$2 REFUSE=$3
  rm -rf "$STANDIN" && mkdir -p "$STANDIN/installed" "$STANDIN/wine" && : >"$STANDIN/arches"
  out=$(env -u LUM_WIN_ARCH PATH="$work/bin:$PATH" LUM_WINE_DIR="$STANDIN/wine" LUM_APT_PAUSE=0 \
    bash "$root/scripts/setup.sh" 2>&1)
  status=$?
  arch=$(env -u LUM_WIN_ARCH LUM_WINE_DIR="$STANDIN/wine" bash "$root/scripts/win_arch.sh")
  echo "--- $1: status $status, win_arch $arch"
  sed 's/^/    /' <<<"$out"
}
asked() { grep '^install ' "$STANDIN/apt.log" | tr ' ' '\n' | grep -qxF "$1"; }

scenario mirror_mid_sync 1 wine32:i386
[ "$status" = 0 ] || fail "set-up stopped (status $status)"
grep -qE 'apt-get update failed 3 times .*Mirror sync in progress.*going on' <<<"$out" ||
  fail "set-up does not say in one line that the lists could not be updated"
[ "$(grep -c '^update' "$STANDIN/apt.log")" = 3 ] || fail "apt-get update tried $(grep -c '^update' "$STANDIN/apt.log") times, not 3"
grep -qx i386 "$STANDIN/arches" || fail "the i386 architecture was not added"
grep -q 'tests will run the 64-bit build.*32-bit Wine (wine32:i386.*) cannot be installed' <<<"$out" ||
  fail "set-up does not name the 64-bit path and why"
[ "$arch" = x86_64 ] || fail "win_arch.sh answers $arch afterwards"
for p in wine wine64 g++-mingw-w64-i686 xvfb nsis g++-mingw-w64-x86-64; do asked "$p" || fail "$p was not installed"; done

scenario all_installable "" ""
[ "$status" = 0 ] && [ "$arch" = i686 ] || fail "a machine that can have everything: status $status, win_arch $arch"
asked wine32:i386 || fail "wine32:i386 was not installed"
! asked g++-mingw-w64-x86-64 && ! grep -q 64-bit <<<"$out" || fail "the 32-bit path installed or named the 64-bit one"

scenario needed_package_missing 1 nsis
[ "$status" != 0 ] || fail "set-up went on without nsis"
grep -q 'cannot install .*nsis.*held broken packages' <<<"$out" || fail "no clear message naming nsis"

[ "$failures" = 0 ] && echo "set-up: all three machines as expected"
exit $((failures > 0))
