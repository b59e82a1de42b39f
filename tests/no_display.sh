#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Without a usable display the program says in one line what is missing and exits 1 (no abort, no core dump);
# --help and --version need no display.
set -u
exe="$1"
runtime="$(mktemp -d)"
trap 'rm -rf "$runtime"' EXIT
failed=0
# A display number nobody serves.
free=90; while [ -e "/tmp/.X11-unix/X$free" ] || [ -e "/tmp/.X$free-lock" ]; do free=$((free + 1)); done
# expect STATUS TEXT VAR=VALUE... [-- ARGUMENT...]: runs the program with only this environment.
expect() {
  local status="$1" text="$2" vars=(); shift 2
  while [ $# -gt 0 ] && [ "$1" != -- ]; do vars+=("$1"); shift; done; shift
  env -i PATH="$PATH" XDG_RUNTIME_DIR="$runtime" LC_ALL=C.UTF-8 "${vars[@]}" timeout 20 "$exe" "$@" \
    >"$runtime/out" 2>"$runtime/err"
  local got=$?
  local lines; lines=$(wc -l <"$runtime/err")
  if [ "$got" != "$status" ] || ! grep -qF -- "$text" "$runtime/err" "$runtime/out" || { [ "$status" = 1 ] && [ "$lines" != 1 ]; }; then
    echo "FAIL: $* gave status $got, stderr:"; cat "$runtime/err"; failed=1
  fi
}
expect 1 "no display (neither DISPLAY nor WAYLAND_DISPLAY is set)"
expect 1 "the X display :$free does not answer" DISPLAY=":$free"
expect 1 "the Wayland display nowhere does not answer" WAYLAND_DISPLAY=nowhere
expect 1 "the X display :$free does not answer; the Wayland display nowhere" DISPLAY=":$free" WAYLAND_DISPLAY=nowhere
expect 1 "DISPLAY is not set" QT_QPA_PLATFORM=xcb
expect 1 'the Qt platform plugin "nosuch" is not installed' QT_QPA_PLATFORM=nosuch
expect 0 "Usage: zendral" -- --help
expect 0 "zendral " -- --version
[ $failed = 0 ] && echo "no display: passed"
exit $failed
