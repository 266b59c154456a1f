#!/usr/bin/env bash
# Fails when a source file includes a folder above its own, or when files include each other in
# a circle (scripts/check_include_cycles.py). The layers, top to bottom:
# app; settings, clock, about, news; render, anim, controls; imaging; config, platform.
python3 "$(dirname "$0")/check_include_cycles.py" "$(dirname "$0")/../src" || exit 1
cd "$(dirname "$0")/../src" && grep -rEo '^#include "[a-z]+/' --include='*.h' --include='*.cpp' . | awk -F'[/"]' '
  BEGIN { n = split("app=5 settings=4 clock=4 about=4 news=4 render=3 anim=3 controls=3 imaging=2 config=1 platform=1", l, " ")
          for (i = 1; i <= n; i++) { split(l[i], kv, "="); level[kv[1]] = kv[2] } }
  !($2 in level) || !($(NF - 1) in level) { print "unknown folder: " $0; bad = 1; next }
  level[$(NF - 1)] > level[$2] { sub(/:.*/, "", $3); print $2 "/" $3 " includes " $(NF - 1) "/, a layer above its own"; bad = 1 }
  END { exit bad }'
