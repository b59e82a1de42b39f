#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program on an X server and waits for its main window: proves
# the xcb platform plugin and its libraries are installed.
set -u
exe="$1"
if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null; then
  echo "xvfb-run and xdotool are needed"; exit 1
fi
. "$(dirname "$0")/support/x11env.sh"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  QT_QPA_PLATFORM=xcb "$0" & pid=$!
  for i in $(seq 1 300); do
    if xdotool search --onlyvisible --name "^Zendral$" >/dev/null 2>&1; then
      echo "window \"Zendral\" is up"; kill $pid; wait $pid 2>/dev/null; exit 0
    fi
    kill -0 $pid 2>/dev/null || { echo "zendral exited early"; exit 1; }
    sleep 0.1
  done
  echo "no window titled Zendral appeared"; kill $pid; exit 1
' "$exe"
