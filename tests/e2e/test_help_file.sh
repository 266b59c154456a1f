#!/usr/bin/env bash
# The shipped help file is a compiled HTML Help file holding our pages.
set -euo pipefail
chm=dist/Lumbrel/lumhelp.chm
[ -f "$chm" ] || { echo "missing $chm"; exit 1; }
[ "$(head -c 4 "$chm")" = ITSF ] || { echo "$chm does not start with ITSF"; exit 1; }
listing=$(python3 scripts/chm_list.py "$chm")
for entry in /#SYSTEM /lumhelp.hhc /index.html /tray.html /settings.html /clock.html /news.html; do
  grep -qxF "$entry" <<<"$listing" || { echo "$chm lacks $entry"; exit 1; }
done
echo "help file: ITSF header and all pages listed"
