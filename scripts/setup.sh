#!/bin/bash
# Installs what building and testing Bralto needs on Debian 12 (as root).
# Does nothing when everything is already there.
set -e
PACKAGES=(
    cmake ninja-build make g++ python3
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    libwine-dev libz-mingw-w64-dev zlib1g-dev googletest libgtest-dev
    wine wine64 xvfb xauth x11-utils xdotool imagemagick locales
    fonts-wine fonts-dejavu-core zip unzip 7zip clang libclang-rt-14-dev
    fp-utils nsis
)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
