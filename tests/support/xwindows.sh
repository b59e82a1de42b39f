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
