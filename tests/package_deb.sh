#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from the built tree, checks what it holds and says,
# and runs lintian on it: no errors or warnings.
set -eu
exe="$1"
build="$(cd "$(dirname "$exe")/.." && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; fail "cpack failed"; }
deb="$out/zendral_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb: $(ls "$out")"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package) $(field Version) $(field Section)" = "zendral $version editors" ] || fail "control: $(dpkg-deb -f "$deb")"
for dep in qt6-qpa-plugins libqscintilla2-qt6 libqt6widgets6 libc6; do
  field Depends | grep -q "$dep" || fail "Depends lacks $dep: $(field Depends)"
done
contents=$(dpkg-deb -c "$deb")
for f in usr/bin/zendral usr/share/applications/zendral.desktop usr/share/icons/hicolor/48x48/apps/zendral.png \
         usr/share/metainfo/org.zendral.zendral.metainfo.xml usr/share/man/man1/zendral.1.gz \
         usr/share/doc/zendral/copyright; do
  grep -q " \./$f\$" <<<"$contents" || fail "the package lacks /$f"
done
grep -q 'rwxr-xr-x root/root .* \./usr/bin/zendral$' <<<"$contents" || fail "the program is not root's and executable"
report=$(lintian --fail-on error,warning "$deb" 2>&1) || fail "lintian: $report"
echo "package $(basename "$deb") built and clean"
