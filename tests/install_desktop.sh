#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs into a temporary prefix and checks what a desktop needs to list the editor,
# its manual page, and the installed program's command line.
set -eu
exe="$1"
build="$(cd "$(dirname "$exe")/.." && pwd)"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/zendral share/applications/zendral.desktop share/icons/hicolor/48x48/apps/zendral.png \
         share/metainfo/org.zendral.zendral.metainfo.xml share/man/man1/zendral.1.gz; do
  [ -e "$prefix/$f" ] || { echo "missing $f"; exit 1; }
done
[ -x "$prefix/bin/zendral" ] || { echo "bin/zendral is not executable"; exit 1; }
desktop-file-validate "$prefix/share/applications/zendral.desktop"
grep -q '^Name=Zendral$' "$prefix/share/applications/zendral.desktop"
grep -q '^Categories=Utility;TextEditor;$' "$prefix/share/applications/zendral.desktop"
# One process per file, as a single-document editor wants it.
grep -q '^Exec=zendral %f$' "$prefix/share/applications/zendral.desktop"
grep -q '^MimeType=text/plain;$' "$prefix/share/applications/zendral.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.zendral.zendral.metainfo.xml" >/dev/null \
  || { appstreamcli validate --no-net "$prefix/share/metainfo/org.zendral.zendral.metainfo.xml"; exit 1; }
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/zendral.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "man page: $warnings"; exit 1; }

# The command line answers without a display; an unknown option opens no window.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/zendral" "$@" >"$prefix/out" 2>"$prefix/err"; echo $?; }
[ "$(run --version) $(cat "$prefix/out")" = "0 zendral $version" ] || { echo "--version: $(cat "$prefix/out" "$prefix/err")"; exit 1; }
[ "$(run --help)" = 0 ] && grep -q '^Usage: zendral \[options\] \[FILE\.\.\.\]$' "$prefix/out" \
  && grep -q 'Write -- before a FILE' "$prefix/out" \
  || { echo "--help: $(cat "$prefix/out" "$prefix/err")"; exit 1; }
[ "$(run -dash.txt notes.txt)" = 2 ] && [ ! -s "$prefix/out" ] \
  && grep -q "^zendral: unknown option -dash.txt$" "$prefix/err" && grep -q '^Usage: zendral' "$prefix/err" \
  || { echo "unknown option: $(cat "$prefix/out" "$prefix/err")"; exit 1; }
[ "$(run --encoding=no-such-thing notes.txt)" = 2 ] && [ ! -s "$prefix/out" ] \
  && grep -q '^zendral: unknown encoding "no-such-thing"' "$prefix/err" \
  || { echo "--encoding: $(cat "$prefix/out" "$prefix/err")"; exit 1; }
[ "$(run --help)" = 0 ] && grep -q -- '--encoding <NAME>' "$prefix/out" || { echo "--help: no --encoding"; exit 1; }
file_type=$(head -c 8 "$prefix/share/icons/hicolor/48x48/apps/zendral.png" | od -An -c | tr -d ' ')
[ "$file_type" = '211PNG\r\n032\n' ] || { echo "icon is not a PNG"; exit 1; }
echo "installed and valid under $prefix"
