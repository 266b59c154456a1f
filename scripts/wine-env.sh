# Sourced by the scripts that run Windows programs: one private Wine prefix for the project,
# a Japanese ANSI code page, and a private Xvfb display when none is given.
: "${LUM_ROOT:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
LUM_TEMPLATE_PREFIX="$LUM_ROOT/out/wineprefix"
export WINEARCH=win32
# The architecture the Windows programs run as here, and where the tests find them: the shipped
# 32-bit build, or the 64-bit build of the same sources where Wine runs no 32-bit programs.
LUM_RUN_ARCH=$(bash "$LUM_ROOT/scripts/win_arch.sh") || exit 1
LUM_TEST_BUILD="$LUM_ROOT/build/win"
LUM_TEST_DIST="$LUM_ROOT/dist/Lumbrel"
# Where the kernel runs no 32-bit programs the 64-bit build runs under wine64 in a 64-bit
# prefix; `wine` on the PATH then names wine64 (Debian's wrapper would try the 32-bit loader).
if [ "$LUM_RUN_ARCH" = x86_64 ]; then
  LUM_TEST_BUILD="$LUM_ROOT/build/win64"
  LUM_TEST_DIST="$LUM_ROOT/out/dist-x86_64/Lumbrel"
  LUM_TEMPLATE_PREFIX="$LUM_ROOT/out/wineprefix64"
  export WINEARCH=win64
  export WINELOADER=/usr/lib/wine/wine64
  mkdir -p "$LUM_ROOT/out/wine-bin"
  for lum_tool in wine wine-stable; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$LUM_ROOT/out/wine-bin/$lum_tool"
    chmod +x "$LUM_ROOT/out/wine-bin/$lum_tool"
  done
  case ":$PATH:" in *":$LUM_ROOT/out/wine-bin:"*) ;; *) export PATH="$LUM_ROOT/out/wine-bin:$PATH" ;; esac
fi
export WINEPREFIX="${WINEPREFIX:-$LUM_TEMPLATE_PREFIX}"
export WINEDEBUG=-all
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Creates the template prefix once (Marlett has to sit in the prefix's own Fonts folder or
# Wine draws caption buttons as letters), then gives the caller a fresh private copy
# out/wine/NAME (NAME defaults to the calling script's name). `lum_prefix NAME win10` copies a
# variant of the template that claims Windows 10 instead of Wine's default Windows 7 (there
# Wine's DwmIsCompositionEnabled answers TRUE). Each copy has its own
# wineserver, so runs that stop theirs with lum_cleanup never touch another's programs.
# The copy hard-links the template's files, which Wine only reads, and copies the registry.
lum_prefix() {
  local name=${1:-$(basename "$0" .sh)}
  name=${name//[^A-Za-z0-9_.-]/_}
  [ -n "$name" ] && [ "$name" != . ] && [ "$name" != .. ] || name=default
  mkdir -p "$LUM_ROOT/out"
  # One script builds the template while any other waits for it.
  exec {lum_lock}>"$LUM_ROOT/out/wineprefix.lock"
  flock "$lum_lock"
  if [ ! -f "$LUM_TEMPLATE_PREFIX/.lumbrel-ready-2" ]; then
    echo "wine: creating the prefix $LUM_TEMPLATE_PREFIX"
    rm -rf "$LUM_TEMPLATE_PREFIX"
    mkdir -p "$LUM_TEMPLATE_PREFIX"
    WINEPREFIX="$LUM_TEMPLATE_PREFIX" wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX="$LUM_TEMPLATE_PREFIX" wineserver -w || true
    mkdir -p "$LUM_TEMPLATE_PREFIX/drive_c/windows/Fonts"
    cp -f /usr/share/wine/fonts/marlett.ttf "$LUM_TEMPLATE_PREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # Wine defines the text-file type but does not map .txt to it; the first-run guide needs it.
    WINEPREFIX="$LUM_TEMPLATE_PREFIX" wine reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1 || true
    WINEPREFIX="$LUM_TEMPLATE_PREFIX" wineserver -w || true
    touch "$LUM_TEMPLATE_PREFIX/.lumbrel-ready-2"
  fi
  local template=$LUM_TEMPLATE_PREFIX
  if [ "${2:-}" = win10 ]; then
    template="$LUM_TEMPLATE_PREFIX-win10"
    if [ ! -f "$template/.lumbrel-win10-ready" ]; then
      echo "wine: creating the Windows 10 prefix $template"
      rm -rf "$template"
      cp -a "$LUM_TEMPLATE_PREFIX" "$template"
      WINEPREFIX="$template" wine winecfg /v win10 >/dev/null 2>&1 || true
      WINEPREFIX="$template" wineserver -w || true
      touch "$template/.lumbrel-win10-ready"
    fi
  fi
  flock -u "$lum_lock"
  exec {lum_lock}>&-
  export WINEPREFIX="$LUM_ROOT/out/wine/$name"
  WINEPREFIX="$WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$LUM_ROOT/out/wine"
  cp -al "$template" "$WINEPREFIX"
  local reg
  for reg in "$WINEPREFIX"/*.reg; do cp --remove-destination "$template/$(basename "$reg")" "$reg"; done
}

LUM_XVFB_PID=""
# Starts a private Xvfb unless LUM_USE_DISPLAY=1 and a display is set.
lum_display() {
  if [ "${LUM_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then return 0; fi
  # Xvfb picks a free display itself and reports it, so runs started together never share one.
  local numberFile n="" i
  numberFile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
  LUM_XVFB_PID=$!
  for i in $(seq 1 100); do
    n=$(tr -dc 0-9 <"$numberFile")
    [ -n "$n" ] && break
    sleep 0.1
  done
  rm -f "$numberFile"
  if [ -z "$n" ]; then
    echo "wine-env: Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$n"
}

lum_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$LUM_XVFB_PID" ]; then kill "$LUM_XVFB_PID" 2>/dev/null || true; wait "$LUM_XVFB_PID" 2>/dev/null || true; fi
}
