#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs whatever the build and the tests need that this Debian machine lacks.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkgconf libuchardet-dev zlib1g-dev libsm-dev libice-dev
  qt6-base-dev qt6-base-private-dev qt6-qpa-plugins libqscintilla2-qt6-dev libx11-dev libxcb1-dev
  xvfb xauth xdotool xclip x11-utils openbox imagemagick desktop-file-utils fonts-dejavu-core
  acl attr at-spi2-core dbus-daemon dbus-bin python3-gi gir1.2-atspi-2.0
  appstream man-db groff-base dpkg-dev file lintian
  sway xwayland grim wl-clipboard wtype qt6-wayland libwayland-dev pkg-config ibus ibus-libpinyin
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
