#!/usr/bin/env bash
# Lays out the program folder: the executable, the default picture, the Texture pictures,
# the first-run guide and the News folder with our sample channel (its local news text beside the
# program). LUM.ini is never shipped.
set -euo pipefail
build=$1 dest=$2
rm -rf "$dest"
mkdir -p "$dest/Texture" "$dest/News"
cp "$build/lumbrel.exe" "$dest/"
assets="$build/assets"
cp "$assets/Lum1.bmp" "$dest/"
cp "$assets/はじめに.txt" "$dest/"
cp "$assets"/Texture/* "$dest/Texture/"
python3 "$(dirname "$0")/sample_channel.py" "$dest"
bash "$(dirname "$0")/build_help.sh" "$dest" >/dev/null
echo "dist: $dest ($(ls "$dest" | tr '\n' ' '))"
