# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the X tests: a scratch folder in $work, with a private runtime folder
# and home, so that the program's settings and sockets never touch the user's.
work="$(mktemp -d)"
# Gone at the end; a test with more to clean up sets its own trap, which removes it too.
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
# The scripts the tests' sessions source.
export ZENDRAL_TEST_SUPPORT
ZENDRAL_TEST_SUPPORT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# Their X servers run with -noreset: a server resets when its last client leaves, so a probe (xprop, xdotool) that
# came and went before the window manager connected could take the manager's start with it. The smoke test keeps
# the reset: there the program is the first client, as in a bare X session.
