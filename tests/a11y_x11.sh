#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A real screen-reader client: the program on an X server with a private
# session bus and the accessibility registry; a script reads, over AT-SPI, the
# text of a file given on the command line, the caret after key presses, and
# the names of the calculator's keys.
set -u
exe="$1"
. "$(dirname "$0")/support/x11env.sh"
printf 'Hello \xc3\xa9 world\r\nsecond \xf0\x9f\x98\x80 line\n' > "$work/known.txt"

cat > "$work/client.py" <<'PY'
import subprocess, sys, time, warnings
warnings.simplefilter("ignore", DeprecationWarning)
import gi
gi.require_version("Atspi", "2.0")
from gi.repository import Atspi

def wait(what, probe, seconds=30):
    """Polls probe() until it returns something true; fails the test after `seconds`."""
    end = time.monotonic() + seconds
    last = None
    while time.monotonic() < end:
        try:
            last = probe()
            if last:
                return last
        except Exception as e:   # the tree changes under us while windows open
            last = e
        time.sleep(0.1)
    sys.exit(f"FAIL: {what} (last seen: {last!r})")

def walk(node):
    yield node
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child)

def app():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        a = desktop.get_child_at_index(i)
        if a is not None and a.get_name() == "Zendral":
            return a

def frame(title):
    # Without a main loop the library never hears of new windows: ask afresh.
    app().clear_cache()
    return next((w for w in walk(app()) if w.get_role() == Atspi.Role.FRAME and w.get_name() == title), None)

def editor():
    return next((n for n in walk(frame("Zendral")) if n.get_role() == Atspi.Role.TEXT and "Text" in n.get_interfaces()), None)

def text(node):
    return Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))

def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "30", *names], check=True)

expected = "Hello \u00e9 world\r\nsecond \U0001F600 line\n"
box = wait("the editor's text box on the accessibility bus", editor)
wait("the file's text read through the text interface", lambda: text(box) == expected)
# Qt's bridge passes the interface's UTF-16 offsets on: the emoji counts two.
wait("the character count in UTF-16 units", lambda: Atspi.Text.get_character_count(box) == 30)

def activate():
    shown = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Zendral$"], capture_output=True, text=True)
    ids = shown.stdout.split()
    return ids and subprocess.run(["xdotool", "windowactivate", "--sync", ids[0]], capture_output=True).returncode == 0

wait("the main window active", activate)
keys("ctrl+Home", "Right", "Right", "Right")
wait("the caret after three Right presses", lambda: Atspi.Text.get_caret_offset(box) == 3)
keys("Down", "End")
wait("the caret at the end of the second line", lambda: Atspi.Text.get_caret_offset(box) == 29)
# Qt's bridge answers the older call, by boundary.
line = wait("the caret's line", lambda: Atspi.Text.get_text_at_offset(box, 20, Atspi.TextBoundaryType.LINE_START))
if line.content != "second \U0001F600 line\n" or line.start_offset != 15:
    sys.exit(f"FAIL: line at offset 20: {line.content!r} from {line.start_offset}")
keys("x")
wait("the typed character in the text", lambda: text(box) == expected[:-1] + "x\n")

keys("F5")
calc = wait("the calculator window", lambda: frame("My Parvix(Calculator)"))
names = wait("the calculator's keys", lambda: sorted(n.get_name() for n in walk(calc) if n.get_role() == Atspi.Role.PUSH_BUTTON))
want = sorted(["0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "plus", "minus", "times", "divide", "equals", "AC", "OFF"])
if names != want:
    sys.exit(f"FAIL: calculator keys {names}")
print("accessibility client: passed")
PY

xvfb-run -a -s "-screen 0 1024x768x24 -noreset" dbus-run-session -- bash -s "$exe" "$work" <<'SCRIPT'
exe="$1"; work="$2"
pids=()
finish() { kill "${pids[@]}" 2>/dev/null; exit "$1"; }
# The accessibility bus, started through the session bus as a desktop does.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null \
  || { echo "FAIL: no accessibility bus"; finish 1; }
openbox >/dev/null 2>&1 & pids+=($!)
# A window mapped while the window manager starts up can stay unmapped, and only a
# window manager activates windows: wait until it is up (slow beside a loaded machine).
wm_up() { xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW; }
for i in $(seq 1 300); do wm_up && break; sleep 0.1; done
wm_up || { echo "FAIL: no window manager after 30 s"; finish 1; }
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$exe" "$work/known.txt" >"$work/zendral.log" 2>&1 & pids+=($!)
# The distribution's Python: the bindings come as its packages.
timeout 100 /usr/bin/python3 "$work/client.py" || { cat "$work/zendral.log"; finish 1; }
finish 0
SCRIPT
