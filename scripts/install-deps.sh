#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages the build, the tests and the main job need,
# when any is missing. Runs as root (or through sudo) on Debian 12.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libx11-dev xvfb xauth
    python3 python3-numpy python3-pytest dpkg-dev file doxygen lintian
    libpng-dev libjpeg62-turbo-dev libtiff-dev
    pngcheck libtiff-tools python3-pil
    ffmpeg
    libgtk-3-dev fonts-noto-cjk imagemagick x11-utils xdotool
    python3-pyatspi at-spi2-core dbus-daemon
    clang-14 libclang-rt-14-dev clang-format git
    libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-tools gstreamer1.0-plugins-base
    gstreamer1.0-plugins-good gstreamer1.0-libav python3-gi gir1.2-gstreamer-1.0
    libusb-1.0-0-dev umockdev libumockdev-dev
    g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wine
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
