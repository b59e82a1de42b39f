#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's screenshot: the main window with some text, under Xvfb.
# Usage: tools/screenshot.sh [path/to/zendral] [output.png]
set -euo pipefail
exe="${1:-build/app/zendral}"
out="${2:-docs/screenshot.png}"
export XDG_RUNTIME_DIR="$(mktemp -d)"
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
  set -e
  openbox >/dev/null 2>&1 & wm=$!
  sleep 0.5
  QT_QPA_PLATFORM=xcb "$0" & pid=$!
  for i in $(seq 1 100); do
    win=$(xdotool search --onlyvisible --name "^Zendral$" 2>/dev/null | head -1) && [ -n "$win" ] && break
    sleep 0.1
  done
  xdotool windowactivate --sync "$win"
  sleep 0.5
  xdotool type --delay 5 "Zendral keeps every byte of your text."
  xdotool key Return
  xdotool type --delay 5 "Big files open fast."
  xdotool key Return
  xdotool type --delay 5 "Line ends stay as the file has them."
  xdotool key Return Return
  xdotool type --delay 5 "Find, Replace and a calculator are one menu away."
  sleep 0.5
  import -window "$win" -frame "$1"
  kill $pid $wm
' "$exe" "$out"
rm -rf "$XDG_RUNTIME_DIR"
echo "wrote $out"
