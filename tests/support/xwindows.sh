# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced inside the X tests' sessions.
# Waits until a visible window has exactly this title; prints its id.
window() {
  for i in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# Waits for a second visible window titled Zendral: a message box or question has the program's title too.
message() {
  for i in $(seq 1 100); do
    [ "$(xdotool search --onlyvisible --name '^Zendral$' 2>/dev/null | wc -l)" -ge 2 ] && { sleep 0.5; return 0; }
    sleep 0.1
  done
  return 1
}
