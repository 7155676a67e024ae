#!/usr/bin/env bash
# Installs everything the build, the program and the test suite need on a
# fresh Debian 12 machine. Safe to run again: apt-get skips what is there.
set -euo pipefail

packages=(
  # build
  g++ cmake make pkg-config libgtest-dev libgmock-dev qt6-base-dev
  # headless display, tray and screenshots for widget and end-to-end tests
  xvfb x11-utils xdotool trayer imagemagick
  # fonts the window asks for (metric-compatible Arial, Tahoma)
  fonts-liberation fonts-wine
  # French regional settings for the locale tests
  locales
  # fuzzing toolchain
  clang libclang-rt-14-dev
  # Windows cross-build check, and Wine to run its tests
  mingw-w64 wine64
  # GPX: the XML reader, the schema check, and another program's reader and writer
  libexpat1-dev libxml2-utils gpsbabel
  # KMZ: zlib's minizip for the zip archive
  libminizip-dev
  # the conversion's picture: rendered back in its tests
  librsvg2-bin
  # the hostile tests' second user (setpriv)
  util-linux
  # packaging and its test: the Debian package (with the file types a desktop
  # reads), the Windows installer and zip
  dpkg-dev file desktop-file-utils shared-mime-info libglib2.0-bin man-db lintian appstream nsis zip unzip
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# fr_FR.UTF-8 for the tests that run under French settings.
if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$'; then
  echo "setup: generating fr_FR.UTF-8"
  $SUDO sed -i 's/^# *\(fr_FR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^fr_FR.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
