#!/usr/bin/env bash
# Installs the Debian packages the program and its tests need, when any is missing.
set -euo pipefail
packages=(g++ cmake ninja-build qt6-base-dev qt6-serialport-dev qt6-multimedia-dev
          libgtest-dev libgmock-dev xvfb xauth xdotool fonts-ipafont-gothic clang-format
          dpkg-dev file lintian desktop-file-utils appstream clang libclang-rt-14-dev
          qt6-translations-l10n qt6-websockets-dev liblo-dev chromium)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
