#!/usr/bin/env bash
# Compiles the help file OUTDIR/lumhelp.chm from help/ with chmcmd (Debian package fp-utils).
# The sources are kept in UTF-8; the help is compiled in code page 932 (Shift_JIS), the code
# page the viewer reads a Japanese (0x411) help file's contents, index and title in, so each
# text file is converted into a scratch folder (with its charset line changed to match) and
# compiled there. Needs no network. Running it again replaces the file with an equivalent one
# (chmcmd stamps the time into it, so the bytes are not identical from run to run).
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 OUTDIR" >&2
  exit 2
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
src="$root/help"
out=$1
command -v chmcmd >/dev/null || { echo "build_help: chmcmd not found (install fp-utils)" >&2; exit 1; }
command -v iconv >/dev/null || { echo "build_help: iconv not found" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

to_cp932() {
  iconv -f UTF-8 -t CP932 "$1" || { echo "build_help: $1 has a character outside code page 932" >&2; return 1; }
}
for f in "$src"/*; do
  [ -f "$f" ] || continue
  name=$(basename "$f")
  case "$name" in
    *.html | *.htm | *.hhc | *.hhk)
      to_cp932 "$f" | sed 's/charset=utf-8/charset=Shift_JIS/I' >"$work/$name" ;;
    *.hhp | *.css)
      to_cp932 "$f" >"$work/$name" ;;
    *)
      cp "$f" "$work/$name" ;;
  esac
done

log="$work/chmcmd.log"
if ! (cd "$work" && chmcmd --verbosity 1 lumhelp.hhp) >"$log" 2>&1; then
  cat "$log" >&2
  echo "build_help: chmcmd failed" >&2
  exit 1
fi
# chmcmd exits 0 after a missing page or a broken link: its warnings count as failures here.
if grep -qiE '^(warning|error|fatal)|unhandled exception|can.t find' "$log"; then
  cat "$log" >&2
  echo "build_help: chmcmd reported problems" >&2
  exit 1
fi
chm="$work/lumhelp.chm"
if [ ! -s "$chm" ] || [ "$(head -c 4 "$chm")" != ITSF ]; then
  cat "$log" >&2
  echo "build_help: chmcmd wrote no valid lumhelp.chm" >&2
  exit 1
fi

mkdir -p "$out"
cp "$chm" "$out/lumhelp.chm"
pages=$(cd "$src" && ls *.html | wc -l)
echo "build_help: $out/lumhelp.chm ($(stat -c %s "$out/lumhelp.chm") bytes, $pages pages)"
