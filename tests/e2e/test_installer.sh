#!/usr/bin/env bash
# The portable zip holds the program folder; the silent installer puts it in place for the user
# alone, registers the start with Windows, the Start menu entry and the uninstaller, and starts
# Lumbrel; installing again over the running program closes it, keeps the user's settings and
# channels, replaces the rest and starts the new one; the silent uninstaller ends Lumbrel and
# removes everything but the settings and channels.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/installer.sh"
installer_begin

# The zip: unpacked, the folder Lumbrel with the same files and bytes as the program folder, names
# stored in UTF-8 and marked so (はじめに.txt keeps its name on every system).
zip_file="$(dirname "$DIST_DIR")/Lumbrel-1.2.zip" # beside the program folder under test
zip_report=$(python3 - "$zip_file" "$E2E_DIR/unzipped" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    infos = archive.infolist()
    unmarked = [i.filename for i in infos if not i.filename.isascii() and not i.flag_bits & 0x800]
    outside = [i.filename for i in infos if not i.filename.startswith("Lumbrel/")]
    if unmarked or outside:
        sys.exit(f"names not marked UTF-8: {unmarked}; outside the folder Lumbrel/: {outside}")
    archive.extractall(sys.argv[2])
    print(f"{len(infos)} entries")
EOF
) || fail "zip: $zip_report"
same_files "$E2E_DIR/unzipped/Lumbrel" "$DIST_DIR" >"$E2E_DIR/zip.diff" || fail "the zip differs from the program folder: $(head -5 "$E2E_DIR/zip.diff")"
pass "the zip unpacks to the program folder ($zip_report, UTF-8 names)"

# 1. Silent install into the fresh prefix.
run_setup "$SETUP_EXE" /S
[ "$SETUP_STATUS" = 0 ] || fail "silent install ended with status $SETUP_STATUS: $(last_log_line)"
log_says "インストールしました: $INSTALL_WIN" || fail "the log says: $(last_log_line)"
same_files "$DIST_DIR" "$INSTALL_DIR" uninst.exe LUM.ini >"$E2E_DIR/install.diff" ||
  fail "installed files differ from the program folder: $(head -5 "$E2E_DIR/install.diff")"
[ -f "$INSTALL_DIR/uninst.exe" ] && [ -f "$SHORTCUT" ] || fail "no uninstaller or no Start menu shortcut"
pass "silent install: status 0, the program folder's files in $INSTALL_WIN, uninst.exe and the shortcut"

[ "$(reg_value "$RUN_KEY" Lumbrel)" = "\"$INSTALL_WIN\\lumbrel.exe\"" ] ||
  fail "Run value: '$(reg_value "$RUN_KEY" Lumbrel)'"
check_uninstall_value() {
  [ "$(reg_value "$UNINSTALL_KEY" "$1")" = "$2" ] || fail "uninstall key $1: '$(reg_value "$UNINSTALL_KEY" "$1")', not '$2'"
}
check_uninstall_value DisplayName Lumbrel
check_uninstall_value DisplayVersion 1.2
check_uninstall_value Publisher "The Lumbrel Project"
check_uninstall_value DisplayIcon "$INSTALL_WIN\\lumbrel.exe,0"
check_uninstall_value InstallLocation "$INSTALL_WIN"
check_uninstall_value UninstallString "\"$INSTALL_WIN\\uninst.exe\""
check_uninstall_value QuietUninstallString "\"$INSTALL_WIN\\uninst.exe\" /S"
size=$(($(reg_value "$UNINSTALL_KEY" EstimatedSize)))
files_kb=$(($(du -sk --apparent-size "$INSTALL_DIR" | cut -f1)))
[ "$size" -gt $((files_kb / 2)) ] && [ "$size" -le $((files_kb + 64)) ] || fail "EstimatedSize $size KB for $files_kb KB of files"
pass "Run value and uninstall key hold the right strings (EstimatedSize $size KB)"

wait_for 30 lumbrel_window || fail "no Lumbrel window after the install"
first_pid=$LUMBREL_PID first_hwnd=$LUMBREL_HWND
[ -n "$(lumbrel_running_from "$INSTALL_WIN")" ] || fail "the Lumbrel running is not the installed one"
ini="$INSTALL_DIR/LUM.ini"
wait_for 30 test -f "$ini" || fail "the installed Lumbrel wrote no LUM.ini"
pass "the installed Lumbrel runs (window $first_hwnd, process $first_pid) and wrote its LUM.ini"

# 2. Silent install again over the running program. What the user made is kept: a setting, a
# channel of their own and their copy of the sample channel (dated back, so that a copy put over
# it would show); a damaged program file is replaced.
wait_for 10 test -n "$(iconv -f CP932 -t UTF-8 "$ini" | grep -a FIRST=1)" || fail "LUM.ini has no FIRST=1"
ini_set "$ini" DEFAULT COLOR=255
cp "$INSTALL_DIR/News/Lumbrel.news" "$INSTALL_DIR/News/Mine.news"
touch -d '2020-01-02 03:04:05' "$INSTALL_DIR/News/Lumbrel.news"
printf 'damaged' >>"$INSTALL_DIR/Texture/Wood.bmp"
kept_ini=$(stamp "$ini") kept_sample=$(stamp "$INSTALL_DIR/News/Lumbrel.news") kept_mine=$(stamp "$INSTALL_DIR/News/Mine.news")
run_setup "$SETUP_EXE" /S
[ "$SETUP_STATUS" = 0 ] || fail "the second install ended with status $SETUP_STATUS: $(last_log_line)"
wait_for 30 lumbrel_window || fail "no Lumbrel window after the second install"
[ "$LUMBREL_PID" != "$first_pid" ] && [ "$LUMBREL_HWND" != "$first_hwnd" ] ||
  fail "the first Lumbrel still runs (process $LUMBREL_PID, window $LUMBREL_HWND)"
[ "$(lumbrel_running_from "$INSTALL_WIN" | wc -w)" = 1 ] || fail "lumbrel.exe processes: $(lumbrel_running_from "$INSTALL_WIN" | xargs)"
pass "the second install closed the running Lumbrel and started the new one (process $first_pid -> $LUMBREL_PID)"
[ "$(stamp "$ini")" = "$kept_ini" ] || fail "LUM.ini changed"
[ "$(stamp "$INSTALL_DIR/News/Lumbrel.news")" = "$kept_sample" ] && [ "$(stamp "$INSTALL_DIR/News/Mine.news")" = "$kept_mine" ] ||
  fail "the user's channels changed"
same_files "$DIST_DIR" "$INSTALL_DIR" uninst.exe LUM.ini Mine.news >/dev/null || fail "the damaged program file was not replaced"
pass "LUM.ini bytes and time unchanged, the user's channels kept, the damaged Texture/Wood.bmp replaced"

# 3. Silent uninstall (the uninstaller hands over to a copy of itself and returns at once).
lumbrel_unix_pid=$(lumbrel_running_from "$INSTALL_WIN")
run_setup "$INSTALL_WIN\\uninst.exe" /S
[ "$SETUP_STATUS" = 0 ] || fail "the uninstaller ended with status $SETUP_STATUS"
wait_for 60 log_says "アンインストールしました: $INSTALL_WIN" || fail "the uninstaller did not finish: $(last_log_line)"
lumbrel_gone() { ! kill -0 "$lumbrel_unix_pid" 2>/dev/null && ! lumbrel_window; }
wait_for 10 lumbrel_gone || fail "Lumbrel still runs after the uninstall (pid $lumbrel_unix_pid: $(ps -o stat=,args= -p "$lumbrel_unix_pid"); $(cat "$PROBE_ANSWER" | head -3 | xargs))"
left=$(program_files | while read -r f; do [ -e "$INSTALL_DIR/$f" ] && echo "$f"; done)
[ -z "$left" ] && [ ! -e "$INSTALL_DIR/uninst.exe" ] && [ ! -e "$INSTALL_DIR/Texture" ] || fail "files left: $left"
[ ! -e "$SHORTCUT" ] || fail "the Start menu shortcut is left"
! reg_value "$RUN_KEY" Lumbrel >/dev/null && ! reg_key_exists "$UNINSTALL_KEY" || fail "the Run value or the uninstall key is left"
[ "$(stamp "$ini")" = "$kept_ini" ] && [ -f "$INSTALL_DIR/News/Mine.news" ] || fail "LUM.ini or the channels were not kept"
pass "silent uninstall: Lumbrel ended; program files, shortcut, Run value and uninstall key gone; LUM.ini and News kept"

crash_seen && fail "a Wine debugger started (crash)"
pass "no crash ($(elapsed_ms) ms in all)"
