#!/usr/bin/env bash
# Installs the Debian packages Kinora needs to build, test and run. Does nothing when all
# of them are present already; uses sudo only when not running as root.
set -euo pipefail

packages=(
  qt6-base-dev
  cmake ninja-build g++ clang libclang-rt-14-dev
  clang-format clang-tidy
  xvfb xauth imagemagick
  xdg-utils shared-mime-info desktop-file-utils
  qt6-translations-l10n
  chromium
  dpkg-dev fakeroot lintian dpkg-repack x11-utils libglib2.0-bin appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
