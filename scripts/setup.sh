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
    fp-utils nsis dpkg-dev libssl-dev
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

# The decoders of the archives other tools write come from Debian's source
# packages (no mingw build of them exists): bzip2's libbz2 and xz's liblzma,
# and libdeflate for whole members, compiled into the Zip core by
# libs/thirdparty. Fetched once into
# build/deps, where the build looks for them.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DEPS="$ROOT/build/deps"
SOURCE_PACKAGES=(bzip2 xz-utils libdeflate)
need_sources=()
for p in "${SOURCE_PACKAGES[@]}"; do
    [ -f "$DEPS/$p.ready" ] || need_sources+=("$p")
done
if [ ${#need_sources[@]} -gt 0 ]; then
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
    LIST=/etc/apt/sources.list.d/bralto-deb-src.sources
    if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm' 'Components: main' \
            'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' | $SUDO tee "$LIST" >/dev/null
        $SUDO apt-get update -q
    fi
    mkdir -p "$DEPS"
    for p in "${need_sources[@]}"; do
        echo "Fetching the source package $p"
        rm -rf "$DEPS/$p" && mkdir -p "$DEPS/$p"
        (cd "$DEPS/$p" && apt-get source -q "$p" >/dev/null 2>&1 || { apt-get update -q && apt-get source -q "$p"; })
        touch "$DEPS/$p.ready"
    done
fi
