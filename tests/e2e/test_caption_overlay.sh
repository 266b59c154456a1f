#!/usr/bin/env bash
# With OVERLAY=1 Lumbrel shows notepad's caption in an overlay window of its own (Wine has no
# desktop composition, so the key forces it): the band up to the caption buttons shows the
# picture while the buttons and the rest of notepad look as before, on the X screen too, also
# after a restart with notepad taking the focus back by a click. Mouse input goes through the
# overlay: a drag on the caption moves notepad and a double click maximises it, and the
# overlay follows both; minimised, notepad has no overlay. The overlay goes with the program,
# and without the key no overlay window exists.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_begin

program_folder Lumbrel
write_ini "$dir/LUM.ini" "$dir" FIRST=1 OVERLAY=1

start_notepad
wait_for 30 notepad_settled || fail "notepad's window did not settle"
before_caret=$SNAP_CARET
pass "notepad in front, caption $SNAP_CAPTION"

start_lumbrel "$dir"
wait_for 30 overlay_over_notepad any || fail "no overlay over notepad: $(cat "$PROBE_ANSWER")"
overlay_spans "$SNAP_CAPTION" || fail "overlay at $OVERLAY_RECT, caption $SNAP_CAPTION"
read -r cl ct cr cb <<<"$SNAP_CAPTION"
pass "overlay over notepad's caption up to the buttons: $OVERLAY_RECT (caption $SNAP_CAPTION)"

IMAGE_RESULT=""
shown() { snap Notepad after && IMAGE_RESULT=$(image shows "$E2E_DIR/after.bmp" "$OVERLAY_RECT" "$dir/Lum1.bmp"); }
wait_for 30 shown || fail "the overlay does not show Lum1.bmp: $IMAGE_RESULT"
pass "$IMAGE_RESULT"
# And X shows it too, as the user sees the desktop (a window can hold the right pixels for Wine
# and still not reach the screen).
on_screen() {
  probe find Notepad && read -r wl wt wr wb <<<"$(answer window)" &&
    import -window "$(desktop_xwindow)" -crop "$((wr - wl))x$((wb - wt))+$wl+$wt" +repage -type TrueColor \
      "bmp3:$E2E_DIR/on-screen.bmp" 2>/dev/null &&
    IMAGE_RESULT=$(image shows "$E2E_DIR/on-screen.bmp" "$OVERLAY_RECT" "$dir/Lum1.bmp")
}
wait_for 10 on_screen || fail "the screen does not show the overlay: $IMAGE_RESULT"
pass "on the screen: $IMAGE_RESULT"
# Buttons, frame and everything else are notepad's own pixels still.
result=$(image same-outside "$E2E_DIR/before.bmp" "$E2E_DIR/after.bmp" "$OVERLAY_RECT" "$(grow "$before_caret" 2)" \
  "$(grow "$SNAP_CARET" 2)") || fail "$result"
pass "$result"

# Started again, then notepad made inactive and active again with two clicks. Wine raises the
# window that takes the focus over every other on the X screen, whatever their z-order, so the
# overlay (made before that, and with the taskbar ahead of it) has to be raised there again.
stop_lumbrel "$dir"
start_lumbrel "$dir"
wait_for 30 probe find LumbrelCaptionOverlay || fail "no overlay window after a restart"
not_in_front() { probe find @foreground && [ "$(answer class)" != Notepad ]; }
click_desktop 1 900 400
wait_for 10 not_in_front || fail "notepad stayed in front after a click beside it"
probe find Notepad && read -r nl nt nr nb <<<"$(answer window)"
click_desktop 1 $(((nl + nr) / 2)) $(((nt + nb) / 2))
wait_for 10 notepad_in_front "" || fail "notepad did not come back in front"
sleep 0.5 # notepad raises itself on the X screen as it takes the focus
wait_for 10 on_screen || fail "after a restart and two clicks the screen does not show the overlay: $IMAGE_RESULT"
pass "after a restart, a click beside notepad and one on it, on the screen: $IMAGE_RESULT"

# Dragged by its caption (through the overlay): within half a second of the last move the
# overlay stands over the new place, and it stays there.
probe find Notepad
read -r nl nt nr nb <<<"$(answer window)"
x=$(((nl + nr) / 2)) y=$((nt + (ct + cb) / 2))
probe_start follow Notepad LumbrelCaptionOverlay 3000
wait_for 30 test -e "$PROBE_ANSWER.sampling" || fail "the probe did not begin to watch: $(cat "$PROBE_ANSWER" 2>/dev/null)"
xdotool mousemove --window "$(desktop_xwindow)" $x $y mousedown 1
for step in 1 2 3 4; do
  sleep 0.1
  xdotool mousemove --window "$(desktop_xwindow)" $((x + 20 * step)) $((y + 15 * step))
done
xdotool mouseup 1
probe_wait || fail "the overlay was not watched: $(cat "$PROBE_ANSWER")"
[ "$(answer moved)" = 1 ] || fail "notepad was not dragged"
lag=$(answer lag)
[ "$lag" -ge 0 ] && [ "$lag" -le 500 ] && [ "$(answer stray)" = 0 ] ||
  fail "the overlay did not follow the drag within half a second: $(tr '\n' ' ' <"$PROBE_ANSWER")"
probe find Notepad
read -r l t _ _ <<<"$(answer window)"
# Where the drag ends depends on how many of the motions Wine's move loop took in; that it moved
# down and right is what matters here.
[ "$l" -gt "$nl" ] && [ "$t" -gt "$nt" ] || fail "notepad was not dragged down and right from $nl $nt: at $l $t"
pass "notepad dragged by $((l - nl)), $((t - nt)); the overlay stood over its caption again $lag ms after the last move"

# A double click on the caption's middle reaches notepad through the overlay.
probe find Notepad
read -r nl nt nr nb <<<"$(answer window)"
xdotool mousemove --window "$(desktop_xwindow)" $(((nl + nr) / 2)) $((nt + (ct + cb) / 2)) click --repeat 2 --delay 80 1
maximised() {
  probe find Notepad || return 1
  local l t r b
  read -r l t r b <<<"$(answer window)"
  [ "$((r - l))" -gt "$((nr - nl + 100))" ]
}
wait_for 20 maximised || fail "notepad was not maximised by a double click on its caption: $(cat "$PROBE_ANSWER")"
probe find Notepad
max_window=$(answer window)
follows() {
  overlay_over_notepad any || return 1
  read -r l _ r _ <<<"$max_window"
  read -r ol _ or _ <<<"$OVERLAY_RECT"
  [ "$((or - ol))" -gt "$((r - l - 150))" ]
}
wait_for 10 follows || fail "the overlay did not follow to the maximised caption: $OVERLAY_RECT, window $max_window"
pass "double click maximised notepad ($max_window); the overlay followed: $OVERLAY_RECT"

# Minimised by its own button (right of the overlay): the overlay goes.
probe find Notepad
read -r nl nt nr nb <<<"$(answer window)"
button=$(($(printf %s "$OVERLAY_RECT" | cut -d' ' -f3) + 8))
click_desktop 1 $((nl + button)) $((nt + (ct + cb) / 2))
overlay_gone() { ! probe find LumbrelCaptionOverlay || [ "$(answer visible)" = 0 ]; }
wait_for 10 overlay_gone || fail "the overlay stays after notepad was minimised: $(cat "$PROBE_ANSWER")"
pass "notepad minimised by its own button, the overlay hidden"

crash_seen && fail "a Wine debugger started (crash)"
stop_lumbrel "$dir"
probe find LumbrelCaptionOverlay && fail "the overlay outlived lumbrel.exe"
pass "the overlay went with lumbrel.exe"

# Without the key: Wine has no composition, so the title bar is painted and no overlay exists.
write_ini "$dir/LUM.ini" "$dir" FIRST=1
start_notepad
start_lumbrel "$dir"
painted() { snap @foreground plain && image shows "$E2E_DIR/plain.bmp" "$SNAP_CAPTION" "$dir/Lum1.bmp" >/dev/null; }
wait_for 30 painted || fail "without OVERLAY the title bar was not painted"
probe find LumbrelCaptionOverlay && fail "an overlay window exists without OVERLAY"
pass "without OVERLAY the title bar is painted and there is no overlay ($(elapsed_ms) ms in all)"
