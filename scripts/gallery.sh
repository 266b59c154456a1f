#!/usr/bin/env bash
# make gallery: runs Lumbrel in a Wine desktop and saves a PNG of every window a user can see
# into out/gallery/, at 96, 144 and 192 dots per inch: notepad's caption painted in the title bar
# and under the overlay, the tray menu and its 設定 submenu, the settings window in both font
# weights and without channels, the clock window, the about box, the news window and the channel
# set-up dialog. Usage: scripts/gallery.sh [DPI...] (default 96 144 192).
set -uo pipefail
LUM_ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT="$LUM_ROOT/out/gallery"

if [ "${1:-}" != --one ]; then
  mkdir -p "$OUT"
  status=0
  for dpi in "${@:-96}" $([ $# -eq 0 ] && echo 144 192); do
    bash "$0" --one "$dpi" || status=1
  done
  ls "$OUT"
  exit $status
fi

DPI=$2
source "$LUM_ROOT/tests/e2e/lib.sh"
e2e_begin "gallery-$DPI"
px() { echo $(($1 * DPI / 1440)); } # twips as pixels
export TRAY_DPI=$DPI
if [ "$DPI" != 96 ]; then
  for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$DPI" /f >/dev/null 2>&1 || fail "could not set the display's scale"
  done
fi
SHOTS=0

# shot NAME [CLASS]: the desktop, or the rectangle of the window of CLASS, as out/gallery/DPI-NAME.png.
shot() {
  local file="$OUT/$DPI-$1.png" crop="" l t r b window
  if [ -n "${2:-}" ]; then
    probe find "$2" && [ "$(answer visible)" = 1 ] || fail "no window $2 for $1"
    read -r l t r b <<<"$(answer window)"
    crop="-crop $((r - l))x$((b - t))+$l+$t +repage"
  fi
  window=$(desktop_xwindow)
  # shellcheck disable=SC2086
  import -window "$window" $crop "$file" 2>/dev/null || fail "could not save $file"
  SHOTS=$((SHOTS + 1))
  echo "saved $file"
}
shown() { probe find "$1" && [ "$(answer visible)" = 1 ]; }
gone() { ! shown "$1"; }
# close_box CLASS: a click on the close box at the right end of the window's title bar.
close_box() {
  local l t r b
  probe find "$1" || return 0
  read -r l t r b <<<"$(answer window)"
  click_desktop 1 $((r - 8 - 6 * DPI / 96)) $((t + 6 + 6 * DPI / 96))
  wait_for 10 gone "$1" || fail "$1 did not close"
}

program_folder Lumbrel --with-sample
write_ini "$ini" "$dir"
ini_set "$ini" DEFAULT FIRST=1 ANIMATION=0 CLOCK=1 FONT=1 NEWS=1 CONNECT=2 CHANNEL=1 OVERLAY=0
start_notepad
wait_for 10 grab_desktop tray-before "$tray_area" || fail "could not grab the desktop"
start_lumbrel "$dir"
# Lum1.bmp's bands are 18 px, the caption's height at 96 dpi: stretched at any other scale.
wait_for 30 caption_painted Notepad "$dir/Lum1.bmp" painted 18 || fail "notepad's caption was not painted: $IMAGE_RESULT"
shot caption-titlebar Notepad
wait_for 20 tray_icon_found || fail "no tray icon: $ICON_RESULT"
read -r icon_x icon_y _ <<<"$ICON"

# The tray menu, then its 設定 submenu.
for _ in 1 2 3; do
  click_desktop 3 "$icon_x" "$icon_y"
  wait_for 5 popup_menu_open && break
done
wait_for 5 focus_popup_menu || fail "no tray menu"
sleep 1
shot tray-menu
xdotool key s
sleep 1
shot tray-menu-settings
xdotool key Escape Escape
sleep 1

# 時計の設定, from the tray.
menu s d
wait_for 10 shown LumbrelClockDialog || fail "no clock window"
sleep 1
shot clock LumbrelClockDialog
xdotool key Escape
wait_for 10 gone LumbrelClockDialog || close_box LumbrelClockDialog

# ﾊﾞｰｼﾞｮﾝ情報, from the tray.
menu v
wait_for 10 shown LumbrelAboutBox || fail "no about box"
sleep 1
shot about LumbrelAboutBox
close_box LumbrelAboutBox

# The settings window (bold, as stored), then 通常表示 chosen with a click.
click_desktop 1 "$icon_x" "$icon_y"
wait_for 10 shown LumbrelSettingsDialog || fail "no settings window"
sleep 1
shot settings-bold LumbrelSettingsDialog
read -r cl ct _ _ <<<"$(answer client)"
click_desktop 1 $((cl + $(px $((2790 + 150))))) $((ct + $(px $((1590 + 120)))))
sleep 1
shot settings-normal LumbrelSettingsDialog

# Its News button opens the news window.
click_desktop 1 $((cl + $(px $((90 + 1200))))) $((ct + $(px $((3630 + 240)))))
wait_for 10 shown LumbrelFrmText || fail "the News button opened no news window"
sleep 1
shot news LumbrelFrmText
close_box LumbrelFrmText

# ﾁｬﾝﾈﾙｾｯﾄｱｯﾌﾟ(&C) from the settings window's menu: the file dialog it owns.
click_desktop 1 $((cl + 20)) $((ct + 20))
xdotool key --delay 300 alt+p c
wait_for 10 shown '#32770' || fail "ﾁｬﾝﾈﾙｾｯﾄｱｯﾌﾟ opened no file dialog"
sleep 1
shot channel-setup '#32770'
xdotool key Escape
wait_for 10 gone '#32770' || fail "the file dialog stayed open"
close_box LumbrelSettingsDialog

# Without channels, the settings window has no news page.
stop_lumbrel "$dir"
rm -f "$dir"/News/*.news
start_lumbrel "$dir"
wait_for 20 tray_icon_found || fail "no tray icon: $ICON_RESULT"
read -r icon_x icon_y _ <<<"$ICON"
click_desktop 1 "$icon_x" "$icon_y"
wait_for 10 shown LumbrelSettingsDialog || fail "no settings window"
sleep 1
shot settings-no-channels LumbrelSettingsDialog
close_box LumbrelSettingsDialog

# The overlay mode: the caption shown in Lumbrel's own window over notepad's title bar.
stop_lumbrel "$dir"
ini_set "$ini" DEFAULT OVERLAY=1
start_lumbrel "$dir"
click_desktop 1 100 690 # away from every window, so that notepad comes back in front below
probe find Notepad && read -r nl nt nr nb <<<"$(answer window)"
click_desktop 1 $(((nl + nr) / 2)) $(((nt + nb) / 2))
wait_for 30 overlay_over_notepad any || fail "no overlay over notepad"
sleep 1
shot caption-overlay Notepad
crash_seen && fail "a Wine debugger started (crash)"
echo "gallery at $DPI dpi: $SHOTS pictures"
