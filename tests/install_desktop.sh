#!/usr/bin/env bash
# Installs into a temporary prefix and checks what a desktop needs to list the editor.
set -eu
exe="$1"
build="$(cd "$(dirname "$exe")/.." && pwd)"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/zendral share/applications/zendral.desktop share/icons/hicolor/48x48/apps/zendral.png; do
  [ -e "$prefix/$f" ] || { echo "missing $f"; exit 1; }
done
[ -x "$prefix/bin/zendral" ] || { echo "bin/zendral is not executable"; exit 1; }
desktop-file-validate "$prefix/share/applications/zendral.desktop"
grep -q '^Name=Zendral$' "$prefix/share/applications/zendral.desktop"
grep -q '^Categories=Utility;TextEditor;$' "$prefix/share/applications/zendral.desktop"
file_type=$(head -c 8 "$prefix/share/icons/hicolor/48x48/apps/zendral.png" | od -An -c | tr -d ' ')
[ "$file_type" = '211PNG\r\n032\n' ] || { echo "icon is not a PNG"; exit 1; }
echo "installed and valid under $prefix"
