#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Logout under an X session manager (a stand-in, $3): an unmodified document
# lets the session end; typed text brings the save question, whose Cancel keeps
# the program and cancels the logout; without interaction it ends unasked, the journal kept;
# the program never asks to be restarted.
set -u
exe="$1"; manager="$3"
. "$(dirname "$0")/support/x11env.sh"

xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash -s "$exe" "$work" "$manager" <<'SCRIPT'
exe="$1"; work="$2"; manager="$3"
journals="$HOME/.local/state/zendral"
pid=
fail() { echo "FAIL: $*"; kill $pid $wm $SM_PID 2>/dev/null; exit 1; }
. "$ZENDRAL_TEST_SUPPORT/xwindows.sh"
ended() { for i in $(seq 1 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done; return 1; }
# The manager's next lines, until one is exactly $1.
expect() {
  while read -r -t 20 line <&"${SM[0]}"; do
    echo "manager: $line" >>"$work/manager.log"
    [ "$line" = "$1" ] && return 0
  done
  fail "the manager never saw '$1': $(cat "$work/manager.log")"
}
start() {
  QT_QPA_PLATFORM=xcb "$exe" >>"$work/zendral.log" 2>&1 & pid=$!
  main=$(window Zendral) || fail "no main window"
  xdotool windowactivate --sync "$main"; sleep 0.5
  expect registered
  expect "restart-hint 3"   # never
  expect save-done
}

openbox >/dev/null 2>&1 & wm=$!
wm_up() { xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW; }
for i in $(seq 1 300); do wm_up && break; sleep 0.1; done
wm_up || fail "no window manager after 30 s"
coproc SM { "$manager"; }
read -r -t 10 address <&"${SM[0]}" || fail "no session manager"
export SESSION_MANAGER="$address"

# Nothing typed: the session ends, and so does the program.
start
echo logout >&"${SM[1]}"
expect die
ended $pid || fail "the program outlived the session"

# Typed text: the save question; Cancel keeps the program and cancels the logout.
start
xdotool type --delay 20 "keep me"
# Unsaved once the program has a key: its journal appears.
for i in $(seq 1 100); do [ "$(ls "$journals" 2>/dev/null | wc -l)" = 1 ] && break; sleep 0.1; done
echo logout >&"${SM[1]}"
expect interact-request
message || fail "no save question at logout"
xdotool key Escape
expect cancel
expect shutdown-cancelled
sleep 1; kill -0 $pid || fail "the program ended after Cancel"

# Without interaction: nothing is asked, the program ends with the session, the journal kept.
echo logout-quiet >&"${SM[1]}"
expect die
ended $pid || fail "the program outlived a session that could not ask"
wait $pid || fail "status $? after the session's end"
[ "$(ls "$journals" | wc -l)" = 1 ] || fail "no journal kept at a logout without interaction"
kill $SM_PID $wm 2>/dev/null
echo "logout: passed"
SCRIPT
