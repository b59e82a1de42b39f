#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Chinese through an input method (IBus with Pinyin) on X11: the candidate window opens at the caret, the
# committed word is saved as its UTF-8 bytes, and one Undo takes the whole word away.
set -u
exe="$1"
for tool in ibus-daemon ibus dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is needed (tools/setup.sh installs it)"; exit 1; }
done
. "$(dirname "$0")/support/x11env.sh"

xvfb-run -a -s "-screen 0 1024x768x24 -noreset" dbus-run-session -- bash -s "$exe" "$work" <<'SCRIPT'
exe="$1"; work="$2"
pid=; daemon=; wm=
fail() { echo "FAIL: $*"; kill $pid $daemon $wm 2>/dev/null; exit 1; }
keys() { xdotool key --delay 30 "$@"; }
# The candidate window's "x y" while it shows; nothing otherwise.
candidates() {
  for id in $(xdotool search --onlyvisible --name '^ibus-ui-gtk3$' 2>/dev/null); do
    xdotool getwindowgeometry --shell "$id" | sed -n 's/^[XY]=//p' | tr '\n' ' '; return 0
  done
}

openbox >/dev/null 2>&1 & wm=$!
wm_up() { xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW; }
for i in $(seq 1 300); do wm_up && break; sleep 0.1; done
wm_up || fail "no window manager after 30 s"
ibus-daemon --replace >"$work/ibus.log" 2>&1 & daemon=$!
for i in $(seq 1 300); do ibus list-engine 2>/dev/null | grep -q libpinyin && break; sleep 0.1; done
ibus list-engine 2>/dev/null | grep -q libpinyin || fail "IBus did not start with Pinyin: $(tail -3 "$work/ibus.log")"
export IBUS_ADDRESS="$(ibus address)"

doc="$work/pinyin.txt"
QT_QPA_PLATFORM=xcb QT_IM_MODULE=ibus "$exe" "$doc" >"$work/zendral.log" 2>&1 & pid=$!
for i in $(seq 1 300); do main=$(xdotool search --onlyvisible --name '^Zendral$' 2>/dev/null | head -1); [ -n "$main" ] && break; sleep 0.1; done
[ -n "$main" ] || fail "no main window"
xdotool windowactivate --sync "$main"
eval "$(xdotool getwindowgeometry --shell "$main")"   # X, Y of the window's client area
for i in $(seq 1 300); do [ "$(xdotool getwindowfocus 2>/dev/null)" = "$main" ] && break; sleep 0.1; done
# IBus takes an engine once an input context has the focus.
for i in $(seq 1 300); do ibus engine libpinyin 2>/dev/null; [ "$(ibus engine 2>/dev/null)" = libpinyin ] && break; sleep 0.1; done
[ "$(ibus engine 2>/dev/null)" = libpinyin ] || fail "Pinyin did not become the engine"

# Composing: the candidates show at the caret, under the first line near the window's left edge.
xdotool type --delay 50 nihao
for i in $(seq 1 100); do [ -n "$(candidates)" ] && break; sleep 0.1; done
read -r cx cy <<<"$(candidates)"
[ -n "${cx:-}" ] || fail "no candidate window"
dx=$((cx - X)); dy=$((cy - Y))
[ "$dx" -ge 0 ] && [ "$dx" -le 150 ] && [ "$dy" -ge 0 ] && [ "$dy" -le 150 ] \
  || fail "candidate window at $cx,$cy, the window at $X,$Y"
keys space
for i in $(seq 1 100); do [ -z "$(candidates)" ] && break; sleep 0.1; done

# Saved as UTF-8 (the first Save asks for the name, the one given already filled in).
keys F2
for i in $(seq 1 100); do xdotool search --onlyvisible --name '^Save As$' >/dev/null 2>&1 && break; sleep 0.1; done
keys Return
for i in $(seq 1 100); do [ -s "$doc" ] && break; sleep 0.1; done
[ "$(od -An -tx1 "$doc" 2>&1 | tr -d ' \n')" = e4bda0e5a5bd ] || fail "saved: $(od -An -tx1 "$doc" 2>&1)"

# One Undo takes the whole word: a line end typed then is all the text there is to copy.
xdotool windowactivate --sync "$main"
keys ctrl+z Return ctrl+a ctrl+c
clip() { xclip -o -selection clipboard 2>/dev/null | od -An -tx1 | tr -d ' \n'; }
for i in $(seq 1 100); do [ "$(clip)" = 0a ] && break; sleep 0.1; done
[ "$(clip)" = 0a ] || fail "after one Undo and Return the text is: $(clip)"
kill $pid $daemon $wm 2>/dev/null
echo "input method: passed"
SCRIPT
