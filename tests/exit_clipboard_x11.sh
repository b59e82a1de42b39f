#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# File > Exit on a real X server, without and with a clipboard manager: the process
# ends promptly, and with a manager the text copied in it can still be pasted after
# it has ended.
set -u
exe="$1"; manager="$2"
. "$(dirname "$0")/support/x11env.sh"
pid=; mgr=; wm=; xvfb=
trap 'kill $pid $mgr $wm $xvfb 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; cat "$work/zendral.log" 2>/dev/null; exit 1; }
# Polls a condition for up to 30 s (a loaded machine starts the servers slowly).
eventually() { local end=$((SECONDS + 30)); until "$@"; do [ "$SECONDS" -ge "$end" ] && return 1; sleep 0.05; done; }
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
main_up() { main=$(xdotool search --onlyvisible --name '^Zendral$' 2>/dev/null | head -1); [ -n "$main" ]; }
question_up() { a=$(xdotool getactivewindow 2>/dev/null) && [ "$a" != "$main" ] && [ "$(xdotool getwindowname "$a")" = Zendral ]; }
clipboard_is() { [ "$(timeout 5 xclip -o -selection clipboard 2>/dev/null)" = "$1" ]; }
# A zombie has ended too; only the shell has not reaped it yet.
ended() { local state; read -r _ _ state _ 2>/dev/null </proc/$pid/stat || return 0; [ "$state" = Z ]; }

# Copies the text in a new Zendral, then File > Exit and No to the save question;
# sets ms to the time from that answer to the end of the process.
copy_and_exit() {
  QT_QPA_PLATFORM=xcb "$exe" >>"$work/zendral.log" 2>&1 & pid=$!
  eventually main_up || fail "no main window"
  xdotool windowactivate --sync "$main"
  xdotool type --delay 20 "$1"
  xdotool key --delay 30 shift+Home ctrl+c
  eventually clipboard_is "$1" || fail "the text was not copied"
  xdotool key --delay 30 alt+f x
  eventually question_up || fail "no save question"
  local start=$(date +%s%N)
  xdotool key alt+n
  eventually ended || fail "the process did not end after Exit"
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  wait $pid; pid=
}

# The server picks a free display itself, so parallel tests cannot collide.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" & xvfb=$!
eventually test -s "$work/display" || fail "no X server: $(cat "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"
openbox >/dev/null 2>&1 & wm=$!
eventually wm_up || fail "the window manager did not start"

copy_and_exit "no manager here"
echo "exit without a clipboard manager: $ms ms"
[ "$ms" -lt 600 ] || fail "the process took $ms ms to end"

"$manager" >"$work/manager.out" & mgr=$!
eventually grep -q ready "$work/manager.out" || fail "the clipboard manager did not start"
copy_and_exit "kept after exit"
echo "exit with a clipboard manager: $ms ms"
clipboard_is "kept after exit" || fail "the copied text was lost after exit"
[ "$ms" -lt 600 ] || fail "the process took $ms ms to end"
echo "exit with the clipboard: passed"
