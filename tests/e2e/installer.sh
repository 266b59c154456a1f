# Helpers of the installer's end-to-end tests (sourced after lib.sh): running the installer and
# the uninstaller in the test's Wine desktop, where they can see the running Lumbrel's window,
# and reading what they left: the installed folder, the registry, the setup log.

# The installer around the program the tests run: the shipped 32-bit one, or where only 64-bit
# programs run, the same script built with the amd64 stub around the 64-bit program.
SETUP_EXE="${LUM_SETUP_EXE:-$(dirname "$LUM_TEST_DIST")/Lumbrel-1.2-setup.exe}"
RUN_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumbrel'

# installer_begin: the test's scratch folder, display and fresh prefix (e2e_begin), and where a
# default install lands: INSTALL_WIN (its Windows path), INSTALL_DIR (the same on this side),
# LOG_FILE (the setup log) and SHORTCUT (the Start menu entry).
installer_begin() {
  [ -f "$SETUP_EXE" ] || fail "no $SETUP_EXE: run make dist"
  e2e_begin "$@"
  local local_app_data temp programs
  local_app_data=$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
  temp=$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
  programs=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')'\Microsoft\Windows\Start Menu\Programs'
  INSTALL_WIN="$local_app_data\\Programs\\Lumbrel"
  INSTALL_DIR=$(unix_path "$INSTALL_WIN")
  LOG_FILE=$(unix_path "$temp")/Lumbrel-setup.log
  SHORTCUT=$(unix_path "$programs")/Lumbrel.lnk
  [ -n "$local_app_data" ] && [ -d "$(unix_path "$local_app_data")" ] || fail "no %LOCALAPPDATA% in the prefix"
}

unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }

# run_setup EXE ARGS...: runs EXE (a Unix or a Windows path) with ARGS in the test's desktop and
# waits until it has ended (2 minutes at most); SETUP_STATUS is its exit status and SETUP_MS how
# long it ran.
SETUP_RUNS=0
run_setup() {
  local exe=$1 status bat t0
  shift
  [[ $exe == [A-Za-z]:\\* ]] || exe=$(winpath "$exe")
  SETUP_RUNS=$((SETUP_RUNS + 1))
  status="$E2E_DIR/setup-$SETUP_RUNS.status"
  bat="$E2E_DIR/setup-$SETUP_RUNS.bat"
  rm -f "$status"
  # cmd's start /wait keeps the exit status of a windowed program, which explorer would not.
  # The redirection goes first: "echo 2> file" would send the 2 nowhere.
  printf '@echo off\r\nstart "" /wait "%s" %s\r\n>"%s" echo %%ERRORLEVEL%%\r\n' \
    "$exe" "$*" "$(winpath "$status")" >"$bat"
  t0=$(date +%s%N)
  in_desktop "$E2E_DIR" cmd /c "$(winpath "$bat")"
  wait_for 120 test -s "$status" || fail "$exe $* did not end within 2 minutes"
  SETUP_MS=$(elapsed_ms "$t0")
  SETUP_STATUS=$(tr -dc 0-9 <"$status")
}

# last_log_line: the setup log's last line (the log is UTF-16 with CR LF).
last_log_line() { [ -f "$LOG_FILE" ] && iconv -f UTF-16 -t UTF-8 "$LOG_FILE" | tr -d '\r' | tail -1; }
log_says() { last_log_line | grep -qF "$1"; }

# reg_value KEY NAME: the value's data as `reg query` prints it; fails when there is none.
reg_value() {
  local out
  out=$(wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r') || return 1
  sed -n "s/^    $2    REG_[A-Z_]*    //p" <<<"$out" | grep .
}
reg_key_exists() { wine reg query "$1" >/dev/null 2>&1; }

# lumbrel_running_from WINDOWS_DIR: the Unix pids of a lumbrel.exe started from that folder.
lumbrel_running_from() { program_pids "$1\\lumbrel.exe"; }

# lumbrel_window: a Lumbrel's hidden window is on the desktop; LUMBREL_HWND and LUMBREL_PID
# (its Windows process id) name it.
lumbrel_window() {
  probe find LumbrelForm1 || return 1
  LUMBREL_HWND=$(answer hwnd) LUMBREL_PID=$(answer pid)
}

# same_files DIR_A DIR_B [IGNORED_NAME...]: both folders hold the same files with the same bytes
# (names compared as they are), apart from the names given.
same_files() {
  local a=$1 b=$2
  shift 2
  local excludes=()
  for name in "$@"; do excludes+=(-x "$name"); done
  diff -r "${excludes[@]}" "$a" "$b"
}

# program_files: the program folder's files, relative paths (channels in News/ are the user's).
program_files() { (cd "$DIST_DIR" && find . -type f ! -path './News/*' | sed 's|^\./||' | sort); }
