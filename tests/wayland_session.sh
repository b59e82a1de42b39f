#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# In a headless Wayland session with XWayland (sway): started without a choice, the program comes up on X11;
# with QT_QPA_PLATFORM=wayland it comes up natively, takes typed text (characters outside the BMP too) and saves
# it byte for byte, puts a copy on the Wayland clipboard, lights CAPS after Caps Lock, and File > Exit ends it
# with status 0. sway refuses to run as root: then the session belongs to the unprivileged user "nobody".
set -u
exe="$1"
pointer_tool="$(dirname "$2")/wayland_pointer"
for tool in sway Xwayland grim wl-paste wtype convert; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is needed (tools/setup.sh installs it)"; exit 1; }
done
work="$(mktemp -d)"
mkdir -p "$work/runtime" "$work/home"
# The programs are copied in: the build folder may be closed to the session's user.
cp "$exe" "$work/zendral"; cp "$pointer_tool" "$work/wayland_pointer"
chmod 755 "$work"; chmod 700 "$work/runtime"
as_user=()
if [ "$(id -u)" = 0 ]; then
  chown -R 65534:65534 "$work"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
# Runs a command in the session's environment; started with & it is that command's own process id in $!.
session=("${as_user[@]}" env -i PATH="$PATH" HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" LC_ALL=C.UTF-8)
printf 'xwayland force\noutput HEADLESS-1 resolution 1024x768\nexec env > %s/session.env\n' "$work" > "$work/config"
"${session[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway -c "$work/config" \
  >"$work/sway.log" 2>&1 & sway=$!
pid=
fail() { echo "FAIL: $*"; cat "$work/zendral.log" 2>/dev/null; [ -n "$pid" ] && kill "$pid" 2>/dev/null; kill "$sway" 2>/dev/null; exit 1; }
holders=
display=
# Xwayland outlives sway for a moment: the next test's X server must not find its display still held.
finish() {
  [ -n "$holders" ] && kill $holders 2>/dev/null; kill "$sway" 2>/dev/null; wait "$sway" 2>/dev/null
  for i in $(seq 1 100); do [ -n "$display" ] && [ -e "/tmp/.X${display#:}-lock" ] || break; sleep 0.1; done
  rm -rf "$work"
}
trap finish EXIT
for i in $(seq 1 300); do grep -q '^DISPLAY=' "$work/session.env" 2>/dev/null && break; sleep 0.1; done
grep -q '^DISPLAY=' "$work/session.env" 2>/dev/null || fail "sway did not start: $(tail -3 "$work/sway.log")"
display=$(sed -n 's/^DISPLAY=//p' "$work/session.env")
wayland=$(sed -n 's/^WAYLAND_DISPLAY=//p' "$work/session.env")
swaysock=$(sed -n 's/^SWAYSOCK=//p' "$work/session.env")
session+=(DISPLAY="$display" WAYLAND_DISPLAY="$wayland" SWAYSOCK="$swaysock")
in_session() { "${session[@]}" "$@"; }
# A keyboard and a pointer plugged in for the whole session: without them the seat has neither, and each typing
# or clicking client that comes and goes takes the window's keyboard and pointer away, which closes its menus.
"${session[@]}" wtype -s 86400000 & holders=$!
"${session[@]}" "$work/wayland_pointer" hold & holders="$holders $!"
# The shell ("xwayland" or "xdg_shell") of the window with this title (Zendral), "behind" after it while it does
# not have the keyboard; nothing while there is none.
window_shell() {
  in_session swaymsg -t get_tree | python3 -c '
import json, sys
def walk(n):
    if n.get("name") == sys.argv[1] and n.get("shell"): print(n["shell"] + ("" if n["focused"] else " behind")); sys.exit()
    for c in n.get("nodes", []) + n.get("floating_nodes", []): walk(c)
walk(json.load(sys.stdin))' "${1:-Zendral}"
}
wait_shell() { for i in $(seq 1 300); do [ "$(window_shell "${2:-}")" = "$1" ] && return 0; sleep 0.1; done; return 1; }
# The darkest grey (0 black .. 1 white) of the CAPS panel's text.
caps_ink() {
  in_session grim "$work/shot.png" || return 1
  convert "$work/shot.png" -crop 40x16+866+746 -colorspace gray -format '%[fx:minima]' info:
}

# Both displays there and no choice made: X11, through XWayland.
"${session[@]}" "$work/zendral" >"$work/zendral.log" 2>&1 & pid=$!
wait_shell xwayland || fail "without a choice the window did not come up on X11: $(cat "$work/zendral.log")"
kill "$pid"; wait "$pid" 2>/dev/null
wait_shell "" || fail "the X11 window stayed"

# Natively on Wayland: type, save, copy, Caps Lock, File > Exit.
doc="$work/home/typed.txt"
"${session[@]}" QT_QPA_PLATFORM=wayland "$work/zendral" "$doc" >"$work/zendral.log" 2>&1 & pid=$!
wait_shell xdg_shell || fail "with QT_QPA_PLATFORM=wayland the window is not native: $(cat "$work/zendral.log")"
# Keys at a typist's pace, after a Shift tap: the window takes a new keyboard with its first key, which it does not
# type. A modifier wtype holds (-M) goes with every key it presses until released: Caps Lock's lock too.
press() { in_session wtype -k Shift_L -s 20 -d 20 "$@" -s 20 || fail "could not type"; }
in_session "$work/wayland_pointer" click:100,300 || fail "could not click"
press "plain é a😀b𝄞c" -k Return "second line" -k F2
# The first Save asks for the name, the one given at start already filled in.
wait_shell xdg_shell "Save As" || fail "no Save As dialog"
press -k Return
wait_shell xdg_shell || fail "the main window did not get the keyboard back"
for i in $(seq 1 100); do [ -s "$doc" ] && break; sleep 0.1; done
[ "$(cat "$doc" 2>/dev/null; echo x)" = "$(printf 'plain é a😀b𝄞c\nsecond linex')" ] \
  || fail "saved bytes: $(od -c "$doc" 2>&1 | head -4)"
press -M ctrl -k a -k c -m ctrl
for i in $(seq 1 100); do [ "$(in_session wl-paste -n 2>/dev/null)" = "$(cat "$doc")" ] && break; sleep 0.1; done
[ "$(in_session wl-paste -n 2>/dev/null)" = "$(cat "$doc")" ] || fail "the Wayland clipboard has: $(in_session wl-paste -n 2>&1)"
dark() { awk -v v="$1" -v t="$2" 'BEGIN { exit !(v < t) }'; }
before=$(caps_ink)
dark "$before" 0.3 && fail "CAPS lit before Caps Lock ($before)"
press -M capslock -k Caps_Lock
for i in $(seq 1 50); do after=$(caps_ink); dark "$after" 0.3 && break; sleep 0.1; done
dark "$after" 0.3 || fail "CAPS not lit after Caps Lock ($before, then $after)"
# The menu's popup is mapped a moment after Alt+F: the Exit key waits for Save As's shortcut to show.
press -M alt -k f -m alt
for i in $(seq 1 100); do
  in_session grim "$work/shot.png"
  convert "$work/shot.png" -crop 20x14+130+118 -colorspace gray -format '%[fx:mean]' info: | grep -qv '^1$' && break
  sleep 0.1
done
press x
for i in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "File > Exit did not end the program"
wait "$pid"; status=$?
[ "$status" = 0 ] || fail "File > Exit ended with status $status: $(cat "$work/zendral.log")"
grep -q 'grabbing the mouse' "$work/zendral.log" && fail "Qt warned: $(cat "$work/zendral.log")"
echo "wayland session: passed"
