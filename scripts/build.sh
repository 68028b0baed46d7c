#!/bin/bash
# Configures and builds Bralto.
#   scripts/build.sh            all three builds
#   scripts/build.sh x86_64     64-bit Windows (run and tested under Wine)
#   scripts/build.sh i686       32-bit Windows (compiled and linked only)
#   scripts/build.sh native     Linux build of the portable Zip core (tests, fuzzing)
set -e
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${BRALTO_JOBS:-$(nproc)}"
GENERATOR=()
command -v ninja >/dev/null && GENERATOR=(-G Ninja)

build() {
    local arch="$1" dir="$ROOT/build/$1" toolchain=()
    [ "$arch" != native ] && toolchain=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$arch-w64-mingw32.cmake")
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$dir" "${GENERATOR[@]}" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release
    fi
    cmake --build "$dir" -j "$JOBS"
}

targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(x86_64 i686 native)
for t in "${targets[@]}"; do
    echo "=== build $t"
    build "$t"
done
