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
  python3-pandas locales
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y "${missing[@]}"
fi

# The tests run pages and files under a decimal comma, with the C library's
# locale too (printf and strtod follow it): it must exist.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "Generating the de_DE.UTF-8 locale"
  "${sudo_cmd[@]}" localedef -i de_DE -c -f UTF-8 de_DE.UTF-8
fi
