#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End to end, as a person would: the real program on an X server with a window
# manager, driven only by X input events; results read from the file system and
# from what X shows of the windows.
set -u
exe="$1"
. "$(dirname "$0")/support/x11env.sh"

xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash -s "$exe" "$work" <<'SCRIPT'
exe="$1"; work="$2"
fail() { echo "FAIL: $*"; kill $pid $wm 2>/dev/null; exit 1; }
. "$ZENDRAL_TEST_SUPPORT/xwindows.sh"
gone() {
  for i in $(seq 1 50); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
keys() { xdotool key --delay 30 "$@"; sleep 0.3; }
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
# Keys for two characters outside the BMP before the program starts: xdotool would map a spare key for each
# and unmap it at once, and a program that reads the new map only then sees a key without text.
xkbcomp -xkb "$DISPLAY" "$work/keys.xkb" 2>/dev/null
sed -i 's/\[ *XF86DisplayOff *\]/[ U1F600 ]/; s/\[ *XF86WWAN *\]/[ U1D11E ]/' "$work/keys.xkb"
xkbcomp "$work/keys.xkb" "$DISPLAY" 2>/dev/null || fail "keyboard map not loaded"
QT_QPA_PLATFORM=xcb "$exe" >"$work/zendral.log" 2>&1 & pid=$!
main=$(window Zendral) || fail "no main window"
xdotool windowactivate --sync "$main"; sleep 0.5

# With the text empty, Find, Replace and Save are disabled: their keys do nothing.
keys ctrl+f ctrl+r F2
sleep 0.5
xdotool search --onlyvisible --name '^(Find|Form2|Save As)$' >/dev/null 2>&1 && fail "disabled items answered their keys"

# Characters outside the BMP typed as keys go in like any other.
type "alpha beta a😀b𝄞c"; keys Return
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
type "gamma"; keys Tab ctrl+a; type "delta😀"; keys alt+r
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
# Its frame request names neither minimize nor maximize (Motif functions 0x8/0x10, decorations 0x20/0x40), as its
# definition says; openbox itself keeps both buttons on every normal window whatever a program asks.
read -r _ _ _ funcs decor _ <<<"$(xprop -id "$calc" _MOTIF_WM_HINTS | tr -d ,)"
(( (funcs & 0x18) == 0 && (decor & 0x60) == 0 )) || fail "the calculator's frame asks for minimize or maximize"
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
expected=$'alpha BETA a😀b𝄞c\ndelta😀 beta\n'
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

# A Shift_JIS file opens as Japanese; a typed 日 is saved in Shift_JIS, the rest byte for byte.
sentence='日本語のテキストを正しく読み込めるかどうかを確かめるための文です。東京は晴れています。'
printf '%s\r\n' "$sentence" | iconv -t SHIFT_JIS > "$work/sjis.txt"
printf '日%s\r\n' "$sentence" | iconv -t SHIFT_JIS > "$work/sjis-expected.txt"
open_file "$work/sjis.txt"
gone Open || fail "the Open dialog stayed open"
keys ctrl+Home
# A character outside the keymap: xdotool maps it to a spare key first, which the program must see.
xdotool type --delay 150 "日"; sleep 0.5
save_as "$work/sjis-typed"
for i in $(seq 1 50); do [ -s "$work/sjis-typed.txt" ] && break; sleep 0.1; done
cmp -s "$work/sjis-expected.txt" "$work/sjis-typed.txt" \
  || fail "Shift_JIS not kept: $(od -An -tx1 "$work/sjis-typed.txt" | head -2)"

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

# Save over a name without an extension writes that file, after asking to replace it: no NAME.txt beside it.
printf 'first\n' > "$work/hosts"
QT_QPA_PLATFORM=xcb "$exe" "$work/hosts" >>"$work/zendral.log" 2>&1 & pid=$!
main=$(window Zendral) || fail "no main window for hosts"
xdotool windowactivate --sync "$main"; sleep 0.5
keys ctrl+End; type "second"
keys F2; window "Save As" >/dev/null || fail "no Save dialog for hosts"; sleep 0.5
keys Return; sleep 0.5; keys alt+y
gone "Save As" || fail "the Save dialog stayed open for hosts"
[ "$(cat "$work/hosts")" = $'first\nsecond' ] && [ ! -e "$work/hosts.txt" ] || fail "hosts not saved over: $(ls "$work")"

# No to the save question, then Esc in the Open dialog: the text stays.
xdotool windowactivate --sync "$main"; sleep 0.3
type " kept"
keys F3; message || fail "no save question before Open"; keys alt+n
window Open >/dev/null || fail "no Open dialog after No"; sleep 0.5
keys Escape; gone Open || fail "the Open dialog stayed open"
xdotool windowactivate --sync "$main"; sleep 0.3
# Copy and Cut with nothing selected leave what another program copied.
printf outside | xclip -selection clipboard; sleep 0.3
keys ctrl+c ctrl+x
[ "$(xclip -o -selection clipboard)" = outside ] || fail "Copy with nothing selected emptied the clipboard"
# The text area's own menu, by the right button: Select All, then Copy.
xdotool mousemove --window "$main" 200 200 click 3; sleep 0.5; keys a
xdotool mousemove --window "$main" 200 200 click 3; sleep 0.5; keys c
[ "$(xclip -o -selection clipboard)" = $'first\nsecond kept' ] || fail "the text menu did not copy: $(xclip -o -selection clipboard)"
keys alt+F4; message || fail "no save question on close"; keys alt+n
for i in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "the hosts process did not end"

# Text dragged from another program is a copy there (the source keeps it); a drag within the box moves it.
printf 'alpha ' > "$work/a.txt"; printf 'dragme' > "$work/b.txt"
QT_QPA_PLATFORM=xcb "$exe" "$work/a.txt" >>"$work/zendral.log" 2>&1 & pid=$!
a=$(window Zendral) || fail "no window for a.txt"
QT_QPA_PLATFORM=xcb "$exe" "$work/b.txt" >>"$work/zendral.log" 2>&1 & pid2=$!
message
b=$(xdotool search --onlyvisible --name '^Zendral$' | grep -vx "$a" | head -1)
[ -n "$b" ] || fail "no window for b.txt"
xdotool windowmove --sync "$a" 0 0; xdotool windowmove --sync "$b" 520 0
xdotool windowactivate --sync "$b"; sleep 0.3; keys ctrl+a
drag() {   # from window $1 at $2,$3 to window $4 at $5,$6, in steps
  xdotool mousemove --window "$1" "$2" "$3" mousedown 1; sleep 0.3
  for f in 1 2 3 4 5 6 7 8; do xdotool mousemove --window "$4" $(( $5 + (8 - f) * 40 )) "$6"; sleep 0.1; done
  sleep 0.3; xdotool mouseup 1; sleep 0.8
}
drag "$b" 20 30 "$a" 100 30
drag "$a" 80 30 "$a" 3 30
xdotool windowactivate --sync "$b"; sleep 0.3; save_as "$work/b-copy"
xdotool windowactivate --sync "$a"; sleep 0.3; save_as "$work/a-copy"
[ "$(cat "$work/b-copy.txt")" = dragme ] || fail "the drag's source lost its text: '$(cat "$work/b-copy.txt")'"
[ "$(cat "$work/a-copy.txt")" = "dragmealpha " ] || fail "dropped and moved: '$(cat "$work/a-copy.txt")'"
kill $pid $pid2

# One line of minified JSON named on the command line (5 MB, shown as rows): typed
# at its end, Home and End go to the ends of the line, not of a row, Find selects a
# hit near its end across rows in other letter case, and Save As writes its bytes and
# what was typed, no line break added.
python3 -c 'import sys; sys.stdout.write("[" + ",".join("{\"id\":%d,\"name\":\"item %d\",\"tags\":[\"a\",\"b\"],\"ok\":true}" % (i, i) for i in range(85000)) + "]")' > "$work/min.json"
across='"ok":true},{"id":84998,"name":"item 84998","tags":["a","b"],"ok":true},{"id":84999,"name":"item 84999"'
python3 -c 'import sys; a = open(sys.argv[1], "rb").read(); sys.stdout.buffer.write(b"X" + a.replace(sys.argv[2].encode(), b"Z") + b"ok!")' \
    "$work/min.json" "$across" > "$work/min-expected"
QT_QPA_PLATFORM=xcb "$exe" "$work/min.json" >>"$work/zendral.log" 2>&1 & pid=$!
main=$(window Zendral) || fail "no main window with a one-line file"
xdotool windowactivate --sync "$main"; sleep 0.5
keys ctrl+End; type "ok"; keys Home; type "X"; keys End; type "!"
keys ctrl+f; window Find >/dev/null || fail "no Find on the one-line file"; type "${across^^}"; keys Return
for i in $(seq 1 100); do [ "$(xdotool getactivewindow)" = "$main" ] && break; sleep 0.1; done
type "Z"; keys F4
for i in $(seq 1 600); do xdotool search --onlyvisible --name '^Save As$' >/dev/null 2>&1 && break; sleep 0.1; done
window "Save As" >/dev/null || fail "no Save As dialog after typing on the one-line file"
sleep 0.5; type "$work/min-saved.txt"; keys Return
gone "Save As" || fail "the Save As dialog stayed open"
for i in $(seq 1 300); do cmp -s "$work/min-saved.txt" "$work/min-expected" && break; sleep 0.1; done
cmp -s "$work/min-saved.txt" "$work/min-expected" || fail "the one-line file was not saved as typed: $(cmp "$work/min-saved.txt" "$work/min-expected" 2>&1)"
xdotool windowactivate --sync "$(window Find)"; keys Escape; gone Find || fail "Find did not close"
xdotool windowactivate --sync "$main"; sleep 0.3; xdotool key alt+F4
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
# Another program changes the open file while the calculator is active: back in the main window,
# the question comes once; Yes (the default) reads the file again.
printf 'first\n' > "$work/changing.txt"
QT_QPA_PLATFORM=xcb "$exe" "$work/changing.txt" >>"$work/zendral.log" 2>&1 & pid=$!
main=$(window Zendral) || fail "no main window for the changing file"
xdotool windowactivate --sync "$main"; sleep 0.5
keys F5
calc=$(window 'My Parvix\(Calculator\)') || fail "no calculator"
printf 'second\n' >> "$work/changing.txt"
xdotool windowactivate --sync "$main"
message || fail "no question after another program changed the file"
keys Return
gone_message() {
  for i in $(seq 1 50); do
    [ "$(xdotool search --onlyvisible --name '^Zendral$' | wc -l)" -lt 2 ] && return 0
    sleep 0.1
  done
  return 1
}
gone_message || fail "the question stayed"
keys ctrl+a ctrl+c
shown=$(xclip -o -selection clipboard)
[ "$shown" = $'first\nsecond' ] || fail "Yes did not read the file again: $shown"
# With unsaved changes No is the default and keeps them; Save then asks before writing over the change.
keys ctrl+End; type "mine"
xdotool windowactivate --sync "$calc"; sleep 0.3
printf 'third\n' >> "$work/changing.txt"
xdotool windowactivate --sync "$main"
message || fail "no question with unsaved changes"
keys Return
gone_message || fail "the question with unsaved changes stayed"
keys F2
window "Save As" >/dev/null || fail "no Save dialog"; sleep 0.5
keys Return
sleep 0.5; keys alt+y   # the file dialog's own question: replace the existing file
message || fail "Save did not ask before writing over the changed file"
keys alt+y
for i in $(seq 1 50); do grep -q mine "$work/changing.txt" && break; sleep 0.1; done
[ "$(cat "$work/changing.txt"; echo x)" = $'first\nsecond\nminex' ] ||
  fail "Save after No wrote: $(od -c "$work/changing.txt" | head -3)"
kill $pid
kill $wm 2>/dev/null
echo "end to end: passed"
SCRIPT
