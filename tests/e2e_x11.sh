#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End to end, as a person would: the real program on an X server with a window
# manager, driven only by X input events; results read from the file system and
# from what X shows of the windows.
set -u
exe="$1"
. "$(dirname "$0")/support/x11env.sh"
trap 'rm -rf "$work"' EXIT

xvfb-run -a -s "-screen 0 1024x768x24" bash -s "$exe" "$work" <<'SCRIPT'
exe="$1"; work="$2"
fail() { echo "FAIL: $*"; kill $pid $wm 2>/dev/null; exit 1; }
# Waits until a visible window has exactly this title; prints its id.
window() {
  for i in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
gone() {
  for i in $(seq 1 50); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
keys() { xdotool key --delay 30 "$@"; sleep 0.3; }
# Waits for a message box: it has the program's title too, a second such window.
message() {
  for i in $(seq 1 50); do
    [ "$(xdotool search --onlyvisible --name '^Zendral$' 2>/dev/null | wc -l)" -ge 2 ] && { sleep 0.3; return 0; }
    sleep 0.1
  done
  return 1
}
type() { xdotool type --delay 20 "$1"; sleep 0.2; }
# The Open and Save As dialogs, the path typed: Open leaves waiting for what follows.
open_file() { keys F3; window Open >/dev/null || fail "no Open dialog"; sleep 0.5; type "$1"; keys Return; }
save_as() {
  keys F4; window "Save As" >/dev/null || fail "no Save As dialog"; sleep 0.5
  type "$1"; keys Return
  gone "Save As" || fail "the Save As dialog stayed open"
}

pid=; openbox >/dev/null 2>&1 & wm=$!
# Only a window manager activates windows: wait until it is up (slow beside a loaded machine).
wm_up() { xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW; }
for i in $(seq 1 300); do wm_up && break; sleep 0.1; done
wm_up || fail "no window manager after 30 s"
QT_QPA_PLATFORM=xcb "$exe" >"$work/zendral.log" 2>&1 & pid=$!
main=$(window Zendral) || fail "no main window"
xdotool windowactivate --sync "$main"; sleep 0.5

# With the text empty, Find, Replace and Save are disabled: their keys do nothing.
keys ctrl+f ctrl+r F2
sleep 0.5
xdotool search --onlyvisible --name '^(Find|Form2|Save As)$' >/dev/null 2>&1 && fail "disabled items answered their keys"

type "alpha beta"; keys Return
type "gamma beta"; keys Return

# Find: Ctrl+F now opens it; Enter in its box finds the first "beta", selected in the editor.
keys ctrl+f
find=$(window Find) || fail "Find did not open after typing"
type "beta"; keys Return
sleep 0.5
[ "$(xdotool getactivewindow)" = "$main" ] || fail "the main window did not get the focus after a hit"
type "BETA"   # replaces the selection, so it shows where the hit was

# Replace: "gamma" by "delta".
keys ctrl+r
rep=$(window Form2) || fail "Replace did not open"
type "gamma"; keys Tab ctrl+a; type "delta"; keys alt+r
sleep 0.5
[ "$(xdotool getactivewindow)" = "$main" ] || fail "the main window did not get the focus after Replace"

# Enter on a focused button presses it: Find's "Find" button takes the editor to the hit.
keys ctrl+f
find=$(window Find) || fail "Find did not open again"
keys ctrl+a; type "delta"; keys Tab Return
sleep 0.5
[ "$(xdotool getactivewindow)" = "$main" ] || fail "Enter on the Find button did not find"

# A minimized calculator comes back at its command; Enter on OFF closes it.
keys F5
calc=$(window 'My Parvix\(Calculator\)') || fail "no calculator"
xdotool windowminimize --sync "$calc"; sleep 0.3
xdotool windowactivate --sync "$main"; sleep 0.3
keys F5
sleep 0.5
[ "$(xdotool getactivewindow)" = "$calc" ] || fail "the minimized calculator did not come back active"
xprop -id "$calc" WM_STATE | grep -q Normal || fail "the calculator stayed minimized"
keys shift+Tab shift+Tab shift+Tab Return
gone 'My Parvix\(Calculator\)' || fail "Enter on OFF did not close the calculator"
xdotool windowactivate --sync "$main"; sleep 0.3

# The editing component's programmer keys (lowercase, duplicate, cut or swap
# lines, Ctrl+digit) change nothing: the file saved next has the text as typed.
keys ctrl+a ctrl+u ctrl+d ctrl+l ctrl+t ctrl+1 ctrl+semicolon ctrl+period ctrl+End

# Save As through the real file dialog, typing the path.
save_as "$work/notes"
expected=$'alpha BETA\ndelta beta\n'
[ "$(cat "$work/notes.txt" 2>/dev/null; echo x)" = "${expected}x" ] || fail "saved bytes: $(od -c "$work/notes.txt" 2>&1 | head -3)"

# Type more, then File > Exit and No: the process ends, the file keeps the saved bytes.
xdotool windowactivate --sync "$main"; sleep 0.3
type "more"
keys alt+f x
message || fail "no save question"
sleep 0.3
keys alt+n
for i in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "the process did not end after Exit"
[ "$(cat "$work/notes.txt"; echo x)" = "${expected}x" ] || fail "the file changed after Exit"

# Lines wider than the window: End brings the line's end into view with room
# to spare, so the column at the right edge shows no text.
for i in $(seq 10 69); do printf 'line %s %0120d\xe2\x96\x88\xe2\x96\x88\xe2\x96\x88\xe2\x96\x88\xe2\x96\x88\xe2\x96\x88\n' "$i" 0; done > "$work/wide.txt"
QT_QPA_PLATFORM=xcb "$exe" >>"$work/zendral.log" 2>&1 & pid=$!
main=$(window Zendral) || fail "no main window the second time"
xdotool windowactivate --sync "$main"; sleep 0.5

# A FIFO is refused at once with a message, and the program goes on; a name
# without an extension opens as typed, byte for byte (Save As writes it back).
mkfifo "$work/fifo"
printf 'plain\r\nlines \xc3\xa9\r\n' > "$work/README"
open_file "$work/fifo"
message || fail "no message for a FIFO"
keys Return
open_file "$work/README"
gone Open || fail "the Open dialog stayed open for a name without an extension"
save_as "$work/copy"
sleep 0.5
cmp -s "$work/README" "$work/copy.txt" || fail "README did not open as typed: $(od -c "$work/copy.txt" 2>&1 | head -2)"

# Read in pieces: megabytes of UTF-8 that turn out to be Windows-1252 only near the
# end open as Windows-1252 and are written back byte for byte.
yes 'Grüße, ça va — 😀 ok' | head -c 6000000 > "$work/late.txt"; printf 'caf\xe9\r\n' >> "$work/late.txt"
open_file "$work/late.txt"
gone Open || fail "the Open dialog stayed open"
save_as "$work/late-copy"
for i in $(seq 1 50); do [ "$(stat -c %s "$work/late-copy.txt" 2>/dev/null)" = "$(stat -c %s "$work/late.txt")" ] && break; sleep 0.1; done
cmp -s "$work/late.txt" "$work/late-copy.txt" || fail "a file read in pieces did not come back: $(cmp "$work/late.txt" "$work/late-copy.txt" 2>&1)"

open_file "$work/wide.txt"
gone Open || fail "the Open dialog stayed open"
sleep 0.5
keys End Down Down End
sleep 0.5
import -window "$main" "$work/wide.png"
width=$(identify -format %w "$work/wide.png")
edge=$(convert "$work/wide.png" -crop "8x100+$((width - 12))+60" -colorspace gray -format '%[fx:minima]' info:)
inside=$(convert "$work/wide.png" -crop "30x100+$((width - 60))+60" -colorspace gray -format '%[fx:minima]' info:)
awk -v e="$edge" -v i="$inside" 'BEGIN { exit !(e > 0.9 && i < 0.3) }' || fail "line ends not in view after End (edge $edge, inside $inside)"
xdotool key alt+F4
for i in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "the second process did not end"

# One line of minified JSON named on the command line (1 MB: each key typed on it
# still costs a layout of the whole line): typed at its end, End and Home on it,
# and Save As writes its bytes and what was typed, nothing else.
python3 -c 'import sys; sys.stdout.write("[" + ",".join("{\"id\":%d,\"name\":\"item %d\",\"tags\":[\"a\",\"b\"],\"ok\":true}" % (i, i) for i in range(17000)) + "]")' > "$work/min.json"
{ cat "$work/min.json"; printf 'ok'; } > "$work/min-expected"
QT_QPA_PLATFORM=xcb "$exe" "$work/min.json" >>"$work/zendral.log" 2>&1 & pid=$!
main=$(window Zendral) || fail "no main window with a one-line file"
xdotool windowactivate --sync "$main"; sleep 0.5
keys ctrl+End; type "ok"; keys Home End F4
# Each key waits for a layout of the line: the dialog comes when they are done.
for i in $(seq 1 600); do xdotool search --onlyvisible --name '^Save As$' >/dev/null 2>&1 && break; sleep 0.1; done
window "Save As" >/dev/null || fail "no Save As dialog after typing on the one-line file"
sleep 0.5; type "$work/min-saved.txt"; keys Return
gone "Save As" || fail "the Save As dialog stayed open"
for i in $(seq 1 300); do cmp -s "$work/min-saved.txt" "$work/min-expected" && break; sleep 0.1; done
cmp -s "$work/min-saved.txt" "$work/min-expected" || fail "the one-line file was not saved as typed: $(cmp "$work/min-saved.txt" "$work/min-expected" 2>&1)"
xdotool key alt+F4
for i in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "the process with the one-line file did not end"

# Started from an installed prefix as its desktop entry says, %f a name with blanks
# and non-ASCII letters: Save without a dialog writes the shown text back to that name.
cmake --install "$(dirname "$exe")/.." --prefix "$work/prefix" >/dev/null || fail "install failed"
doc="$work/dossier été/notes ü 1.txt"
mkdir -p "$(dirname "$doc")"; printf 'première ligne\r\nzweite Zeile\n' > "$doc"; cp "$doc" "$work/expected"
read -ra cmd <<<"$(sed -n 's/^Exec=//p' "$work/prefix/share/applications/zendral.desktop")"
for i in "${!cmd[@]}"; do [ "${cmd[$i]}" = %f ] && cmd[$i]="$doc"; done
PATH="$work/prefix/bin:$PATH" QT_QPA_PLATFORM=xcb "${cmd[@]}" >>"$work/zendral.log" 2>&1 & pid=$!
main=$(window Zendral) || fail "no main window from the desktop entry's command"
xdotool windowactivate --sync "$main"; sleep 0.5
rm "$doc"
keys F2
for i in $(seq 1 50); do [ -e "$doc" ] && break; sleep 0.1; done
cmp -s "$doc" "$work/expected" || fail "the file given by the desktop entry was not shown: $(od -c "$doc" 2>&1 | head -2)"
xdotool key alt+F4
for i in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "the process started by the desktop entry did not end"
kill $wm 2>/dev/null
echo "end to end: passed"
SCRIPT
