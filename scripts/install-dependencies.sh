#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing the launcher need,
# skipping the update and install when every one of them is already there.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  xvfb xauth imagemagick  # a virtual display and a screenshot tool
  util-linux          # setpriv, to run a test step as another user
  dpkg-dev desktop-file-utils appstream  # the Debian package and its validators
  binutils-mingw-w64-x86-64              # windres, to check the Windows resource file
  python3-xlib                           # closing a window on the virtual display
  clang libclang-rt-14-dev               # the fuzzer
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
