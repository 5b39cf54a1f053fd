#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the viewer and the tests need, when any is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  libsdl2-dev libepoxy-dev liblua5.4-dev libstb-dev libfreetype-dev libfontconfig-dev
  libassimp-dev libocct-data-exchange-dev libocct-ocaf-dev libocct-modeling-algorithms-dev
  libx11-dev fonts-liberation fonts-dejavu libgl1-mesa-dri
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick
  desktop-file-utils xdg-utils libfile-mimeinfo-perl shared-mime-info
  clang libclang-rt-14-dev valgrind
  # The Windows cross-build and its tests under Wine (64-bit Wine alone: no i386 architecture).
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev googletest wine wine64 zip
)

missing=()
for package in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  if [[ "$status" != "installed" ]]; then
    missing+=("$package")
  fi
done

if (( ${#missing[@]} == 0 )); then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
SUDO=()
if (( EUID != 0 )); then
  SUDO=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update
"${SUDO[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
