#!/usr/bin/env bash
# The silent installer and uninstaller stop before they change anything, say why in the setup log
# and end with status 2, when the target folder cannot be written or made, or when the running
# Lumbrel does not end within 5 s of being asked to close.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/installer.sh"
installer_begin

# Nothing registered and no Start menu entry: nothing was installed anywhere.
nothing_registered() {
  ! reg_value "$RUN_KEY" Lumbrel >/dev/null && ! reg_key_exists "$UNINSTALL_KEY" && [ ! -e "$SHORTCUT" ]
}

# 1. Folders that cannot take the program: TARGET (Windows path), what the log must say, and
# the Unix folder that must stay empty (or must not come to be).
locked="$E2E_DIR/locked"
mkdir -p "$locked"
chmod 555 "$locked"
# Root writes into folders without write permission (Wine run by root too): make it immutable.
if [ "$(id -u)" = 0 ]; then chattr +i "$locked" || fail "cannot make $locked read-only here (chattr)"; fi
while IFS='|' read -r target says untouched; do
  run_setup "$SETUP_EXE" /S "/D=$target"
  [ "$SETUP_STATUS" = 2 ] || fail "/D=$target: status $SETUP_STATUS, not 2 ($(last_log_line))"
  log_says "$says" || fail "/D=$target: the log says '$(last_log_line)', nothing of '$says'"
  [ -z "$(ls -A "$untouched" 2>/dev/null)" ] || fail "/D=$target: files written: $(ls -A "$untouched" | xargs)"
  nothing_registered || fail "/D=$target: something was registered"
  pass "/D=$target: status 2, the log says \"$(last_log_line)\", nothing written or registered"
done <<EOF
$(winpath "$locked")|「$(winpath "$locked")」に書き込めません|$locked
$(winpath "$locked")\\Lumbrel|「$(winpath "$locked")\\Lumbrel」を作成できません|$locked
Q:\\Programs\\Lumbrel|「Q:\\Programs\\Lumbrel」を作成できません|$WINEPREFIX/dosdevices/q:
EOF
[ ! -e "$WINEPREFIX/dosdevices/q:" ] || fail "there is a drive Q: in the prefix"

# By hand, the folder page says so in a message box and keeps the user there to choose another.
in_desktop "$E2E_DIR" "$(winpath "$SETUP_EXE")" "/D=$(winpath "$locked")"
page_in_front() { probe find @foreground && [[ "$(answer title)" == "Lumbrel セットアップ"* ]] && [ "$(answer same_class)" = "$1" ]; }
press() { xdotool windowfocus --sync "$(desktop_xwindow)" && xdotool key "$1"; }
wait_for 30 page_in_front 1 || fail "no installer window"
press Return # to the folder page
press Return # on to the options page: refused
wait_for 20 page_in_front 2 || fail "no message box about the folder: $(cat "$PROBE_ANSWER" | xargs)"
snap @foreground message-box && import -window root "$E2E_DIR/message-box.png"
# The warning sign, an orange triangle, at the message box's left and nowhere in its text.
sign=$(colour_span "$E2E_DIR/message-box.bmp" "0 0 $(answer window | awk '{ print $3 - $1 }') 100" 245,121,0) &&
  [ "$(echo "$sign" | cut -d' ' -f2)" -lt 60 ] || fail "no warning sign at the message box's left: ${sign:-none}"
press Return # OK: back on the folder page
wait_for 20 page_in_front 1 || fail "the installer did not stay on its folder page"
press Escape && wait_for 20 page_in_front 2 && press Return # cancel, and yes to the question
wait_for 20 eval '! probe find "#32770"' || fail "the installer did not end when cancelled"
[ -z "$(ls -A "$locked")" ] && nothing_registered || fail "the cancelled installer changed something"
pass "by hand: a message box with a warning sign (columns $sign) about $(winpath "$locked"), the folder page again, nothing changed"

# 2. A Lumbrel that does not close in time: installed and running, then stopped (it takes no
# messages any more). Installing again and uninstalling must both give up and leave it all be.
run_setup "$SETUP_EXE" /S
[ "$SETUP_STATUS" = 0 ] || fail "the install to stop against failed: $(last_log_line)"
wait_for 30 lumbrel_window || fail "no Lumbrel window after the install"
wait_for 30 test -f "$INSTALL_DIR/LUM.ini" || fail "Lumbrel wrote no LUM.ini"
pid=$(lumbrel_running_from "$INSTALL_WIN")
[ "$(echo "$pid" | wc -w)" = 1 ] || fail "lumbrel.exe processes: ${pid:-none}"
state() {
  (cd "$INSTALL_DIR" && find . -type f -exec stat -c '%n %s %Y' {} + | sort && sha256sum $(find . -type f | sort))
  wine reg query "$UNINSTALL_KEY" 2>&1
  reg_value "$RUN_KEY" Lumbrel
  ls "$SHORTCUT"
}
kill -STOP "$pid"
trap 'kill -CONT "$pid" 2>/dev/null; e2e_end' EXIT
before=$(state)

run_setup "$SETUP_EXE" /S
[ "$SETUP_STATUS" = 2 ] || fail "install over a stuck Lumbrel: status $SETUP_STATUS, not 2"
log_says "実行中の Lumbrel が 5 秒以内に終了しませんでした" || fail "the log says: $(last_log_line)"
[ "$SETUP_MS" -ge 5000 ] || fail "the installer gave up after $SETUP_MS ms, before the 5 s were over"
[ "$(state)" = "$before" ] || fail "the installer changed files or registry entries"
kill -0 "$pid" || fail "the stuck Lumbrel is gone"
pass "install over a Lumbrel that does not close: status 2 after $SETUP_MS ms, \"$(last_log_line)\", nothing changed"

run_setup "$INSTALL_WIN\\uninst.exe" /S
wait_for 60 log_says "アンインストールは行われませんでした" || fail "the uninstaller did not give up: $(last_log_line)"
[ "$(state)" = "$before" ] || fail "the uninstaller changed files or registry entries"
pass "uninstall with a Lumbrel that does not close: \"$(last_log_line)\", nothing changed"

# Let run again, it takes the close requests it was sent and ends as its own quit command would.
kill -CONT "$pid"
wait_for 20 eval '! kill -0 "$pid" 2>/dev/null' || fail "Lumbrel let run again did not end"
! lumbrel_window || fail "a Lumbrel window is left"
pass "Lumbrel let run again took the close it was sent and ended"

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
