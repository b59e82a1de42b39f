#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Nothing typed is lost: the real program is typed into, then ended by a signal,
# killed outright, or cut off from its X server; the next start asks to bring the
# text back, Yes does, and Save As writes exactly what was typed.
set -u
exe="$1"
. "$(dirname "$0")/support/x11env.sh"

xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash -s "$exe" "$work" <<'SCRIPT'
exe="$1"; work="$2"
journals="$HOME/.local/state/zendral"
fail() { echo "FAIL: $*"; kill $pid $wm $xother 2>/dev/null; exit 1; }
pid=; xother=
. "$ZENDRAL_TEST_SUPPORT/xwindows.sh"
ended() { for i in $(seq 1 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done; return 1; }
start() {
  QT_QPA_PLATFORM=xcb "$exe" "$@" >>"$work/zendral.log" 2>&1 & pid=$!
  main=$(window Zendral) || fail "no main window"
  xdotool windowactivate --sync "$main"; sleep 0.5
}
# Every key typed has reached the program once a copy of the whole text ends with what was typed last.
seen() {
  for i in $(seq 1 100); do
    xdotool key ctrl+a ctrl+c
    [ "$(xclip -o -selection clipboard 2>/dev/null | tail -n 1)" = "$1" ] && { xdotool key ctrl+End; return 0; }
    sleep 0.1
  done
  fail "$what: the program never showed \"$1\""
}
typed() { xdotool key ctrl+End Return; xdotool type --delay 20 "$1"; seen "$1"; }
# The next start asks; Yes (the default, Enter) brings the text back as unsaved.
recovers() {
  start "$@"
  message || fail "$what: no question at the next start"
  xdotool key Return; sleep 0.5
}
# Save As writes exactly what was typed across the ends, and takes the journal with it.
saves() {
  xdotool key F4; window "Save As" >/dev/null || fail "$what: no Save As dialog"; sleep 0.5
  rm -f "$work/out.txt"
  xdotool type --delay 20 "$work/out.txt"; xdotool key Return
  for i in $(seq 1 50); do [ -e "$work/out.txt" ] && break; sleep 0.1; done
  cmp -s "$work/out.txt" <(printf "$1") || fail "$what: saved $(od -c "$work/out.txt" 2>&1 | head -3)"
  [ "$(ls "$journals" | wc -l)" = 0 ] || fail "$what: a journal is left after Save: $(ls "$journals")"
  xdotool key alt+F4; ended $pid || fail "$what: no end after Save"
}

openbox >/dev/null 2>&1 & wm=$!
wm_up() { xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW; }
for i in $(seq 1 300); do wm_up && break; sleep 0.1; done
wm_up || fail "no window manager after 30 s"

# The X server goes away under the program: it ends, the journal is on the disk.
what="lost display"
Xvfb -displayfd 3 -screen 0 800x600x24 -noreset 3>"$work/display" >/dev/null 2>&1 & xother=$!
for i in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
other=":$(cat "$work/display")"
for i in $(seq 1 100); do DISPLAY=$other xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$other QT_QPA_PLATFORM=xcb "$exe" >>"$work/zendral.log" 2>&1 & pid=$!
for i in $(seq 1 100); do id=$(DISPLAY=$other xdotool search --onlyvisible --name '^Zendral$' 2>/dev/null | head -1); [ -n "$id" ] && break; sleep 0.1; done
[ -n "$id" ] || fail "no window on the second display: $(tail -3 "$work/zendral.log")"
DISPLAY=$other xdotool windowfocus --sync "$id"; sleep 0.3
DISPLAY=$other xdotool type --delay 20 "lost display"; DISPLAY=$other seen "lost display"
kill -KILL $xother; wait $xother 2>/dev/null; xother=
ended $pid || fail "the program did not end with its display"
text="lost display"

# Each end keeps what was typed; each next start brings it back, and more is typed.
for sig in TERM HUP INT KILL; do
  what="SIG$sig"
  recovers
  typed "by $sig"; text="$text\\nby $sig"
  kill -$sig $pid; wait $pid; status=$?
  case $sig in KILL) [ $status = 137 ] ;; *) [ $status = 0 ] ;; esac || fail "$what: status $status"
  [ "$(ls "$journals" | wc -l)" = 1 ] || fail "$what: not one journal kept: $(ls "$journals")"
  [ "$(stat -c %a "$journals" "$journals"/*.journal | tr '\n' ' ')" = "700 600 " ] || fail "$what: modes"
done
recovers
import -window root "$work/recovered.png"
saves "$text"

# A named file: `zendral FILE` offers its journal before opening it, under its name.
what="FILE"
printf 'base\n' > "$work/doc.txt"
start "$work/doc.txt"
xdotool key ctrl+End; xdotool type --delay 20 "more"; seen "more"
kill -TERM $pid; wait $pid
recovers "$work/doc.txt"
xdotool search --onlyvisible --name '^Zendral$' >/dev/null
saves 'base\nmore'
cmp -s "$work/doc.txt" <(printf 'base\n') || fail "the document's file was touched"

kill $wm 2>/dev/null
echo "recovery: passed"
SCRIPT
