#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what building, running and testing the two programs needs on
# Debian 12 or Ubuntu 24.04. Does nothing when everything is already there.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev libxcb1-dev qt6-qpa-plugins qt6-translations-l10n
  libgtest-dev libgmock-dev
  libcanberra-dev
  xvfb xauth trayer xdotool x11-utils x11-apps imagemagick faketime python3 openbox
  dbus-daemon dbus-bin sound-theme-freedesktop
  qt6-wayland weston lintian man-db
  fonts-ipafont-gothic
  desktop-file-utils appstream dpkg-dev file
  clang libclang-rt-dev
  g++-mingw-w64-x86-64-posix wine wine64 locales
)

# The Windows test runs need a Japanese locale, from which Wine takes the
# ANSI code page 932.
ensure_japanese_locale() {
  if locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    return 0
  fi
  echo "Generating the locale ja_JP.UTF-8"
  $sudo sed -i 's/^# *\(ja_JP\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  if ! grep -q '^ja_JP\.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen >/dev/null
  # Ubuntu's locale-gen takes the locale as an argument instead.
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    $sudo locale-gen ja_JP.UTF-8 >/dev/null
  fi
}

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
ensure_japanese_locale
