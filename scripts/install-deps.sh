#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need, when missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-svg-dev libgl-dev
  libqcustomplot-dev libqcustomplot2.1-qt6 libsimpleini-dev
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  xvfb xauth fonts-liberation2 imagemagick poppler-utils
  dbus dbus-bin at-spi2-core python3-pyatspi
  desktop-file-utils appstream dpkg-dev file
  python3-pandas
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y "${missing[@]}"
fi
