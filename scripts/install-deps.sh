#!/usr/bin/env bash
# Installs what building, running and testing the two programs needs on
# Debian 12 or Ubuntu 24.04. Does nothing when everything is already there.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev qt6-qpa-plugins qt6-translations-l10n
  libgtest-dev libgmock-dev
  libcanberra-dev
  xvfb xauth trayer xdotool x11-utils x11-apps imagemagick faketime python3
  fonts-ipafont-gothic
  clang libclang-rt-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
