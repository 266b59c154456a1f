#!/usr/bin/env bash
# Packs the program folder for users:
#   package.sh BUILD_DIR DIST_DIR [x86|amd64]
# writes DIST_DIR/Lumbrel-VERSION.zip (the folder DIST_DIR/Lumbrel, for portable use) and
# DIST_DIR/Lumbrel-VERSION-setup.exe, the installer built from installer/lumbrel.nsi. The
# installer's stub follows the program: x86-unicode around the 32-bit lumbrel.exe (what we
# ship), amd64-unicode around a 64-bit one. Naming the other target builds the script for it
# as well, as DIST_DIR/Lumbrel-VERSION-TARGET-setup.exe, only to check that it builds.
set -euo pipefail
VERSION=1.2
build=$1 dist=$2
root=$(cd "$(dirname "$0")/.." && pwd)
folder="$dist/Lumbrel"
work="$build/installer"
mkdir -p "$work"

case $(python3 "$root/scripts/package.py" arch "$folder/lumbrel.exe") in
  i686) own=x86 ;;
  x86_64) own=amd64 ;;
esac
target=${3:-$own}
case $target in
  x86 | amd64) ;;
  *) echo "package: unknown target $target (x86 or amd64)" >&2; exit 2 ;;
esac
setup="$dist/Lumbrel-$VERSION-setup.exe"
if [ "$target" != "$own" ]; then
  setup="$dist/Lumbrel-$VERSION-$target-setup.exe"
  echo "package: $target installer around the $own program: for checking the script only"
fi

python3 "$root/scripts/package.py" zip "$folder" "$dist/Lumbrel-$VERSION.zip"
python3 "$root/scripts/package.py" nsh "$folder" "$work/files.nsh"
python3 "$root/scripts/package.py" wizard "$work/wizard.bmp"

defines=(-DLUM_VERSION="$VERSION" -DLUM_FILES="$(realpath "$work/files.nsh")"
  -DLUM_ICON="$(realpath "$build/assets/lumbrel.ico")" -DLUM_WIZARD="$(realpath "$work/wizard.bmp")"
  -DLUM_OUT="$(realpath -m "$setup")")
[ "$target" = amd64 ] && defines+=(-DLUM_AMD64)
if ! makensis -V2 -INPUTCHARSET UTF8 -WX "${defines[@]}" "$root/installer/lumbrel.nsi" >"$work/makensis.log" 2>&1; then
  cat "$work/makensis.log" >&2
  echo "package: makensis failed" >&2
  exit 1
fi
echo "package: $dist/Lumbrel-$VERSION.zip, $setup ($target)"
