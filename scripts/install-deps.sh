#!/usr/bin/env bash
# Installs every system package Kelvo needs to build, run and test on Debian 12.
# Quiet and quick when everything is there already. Run as root (or with sudo available).
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git clang llvm libclang-rt-dev ccache clang-format-14
  # Qt 6: widgets, web engine with its helper process, web channel, SVG for our artwork
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-webengine-dev qt6-webengine-dev-tools libqt6webenginecore6-bin qt6-webchannel-dev
  qt6-svg-dev libqt6svg6 qt6-image-formats-plugins
  # Qt's own translations: its dialogs (the file dialog, the standard buttons) in Russian
  qt6-translations-l10n
  # archives and numbers (unzip and bsdtar are also what the extraction benchmark compares with)
  libzip-dev zlib1g-dev zip unzip libarchive-tools
  # fontconfig, asked which installed family draws a Windows font name
  libfontconfig-dev
  # window tests and screenshots
  xvfb xauth xdotool x11-utils imagemagick poppler-utils openbox
  # the accessibility bus and a client of it, for the screen reader's test
  at-spi2-core python3-pyatspi dbus
  # fonts the layouts are drawn for, and a Russian locale for the regional-format runs
  fonts-liberation fonts-dejavu locales
  # the Debian package and its test: icons drawn from SVG, lint and metadata checks, a fresh system
  librsvg2-bin lintian appstream desktop-file-utils mmdebstrap
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  as_root sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
