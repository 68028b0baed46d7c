#!/usr/bin/env bash
# Compares the portable zip writer (the core of qnrz320.dll) at level 6 with
# Info-ZIP "zip -6" and "7zz a -tzip -mx5" on the same corpus, in one run:
# wall time, archive size, throughput and the ratios against zip.
#
#   bench/zip_bench.sh [FOLDER...]
#
# Default corpus: the mingw-w64 headers and Wine's 64-bit Windows DLLs.
# Needs build/native/bin/zipcore_cli (scripts/build.sh native, or
# cmake --build build/native --target zipcore_cli); ZIPCORE_CLI overrides it.
# When build/x86_64/bin/zip_dll_driver.exe exists (ZIP_DLL_DRIVER overrides
# it), qnrz320.dll itself is measured too, under Wine ("qnrz320" row): the
# same code plus Wine's file system layer.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cli=${ZIPCORE_CLI:-$root/build/native/bin/zipcore_cli}
if [[ ! -x $cli ]]; then
    echo "zipcore_cli not found at $cli: build the native tree first" >&2
    exit 1
fi
if (($# == 0)); then
    set -- /usr/share/mingw-w64/include /usr/lib/x86_64-linux-gnu/wine/x86_64-windows
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Link the folders side by side so every tool stores the same names.
mkdir "$work/corpus"
for folder in "$@"; do
    ln -s "$(cd "$folder" && pwd)" "$work/corpus/$(basename "$folder")"
done
input_bytes=$(du -sLb "$work/corpus" | cut -f1)
# Read everything once so no tool pays for a cold cache.
find -L "$work/corpus" -type f -exec cat {} + >/dev/null

now() { date +%s.%N; }
declare -A seconds size
measure() {
    local name=$1 archive=$2
    shift 2
    rm -f "$archive"
    local start end
    start=$(now)
    (cd "$work/corpus" && "$@") >/dev/null 2>&1 </dev/null
    end=$(now)
    seconds[$name]=$(echo "$end - $start" | bc -l)
    size[$name]=$(stat -c %s "$archive")
}

folders=()
for folder in "$@"; do folders+=("$(basename "$folder")"); done

measure bralto "$work/bralto.zip" "$cli" -6 "$work/bralto.zip" "${folders[@]}"
tools=(bralto)
driver=${ZIP_DLL_DRIVER:-$root/build/x86_64/bin/zip_dll_driver.exe}
if [[ -f $driver ]]; then
    "$root/scripts/wine.sh" --start >/dev/null 2>&1 </dev/null || true
    measure qnrz320 "$work/qnrz320.zip" "$root/scripts/wine.sh" "$driver" -6 "Z:$work/qnrz320.zip" "${folders[@]}"
    tools+=(qnrz320)
fi
tools+=(zip 7zz)
measure zip "$work/zip.zip" zip -q -r -6 "$work/zip.zip" "${folders[@]}"
measure 7zz "$work/7zz.zip" 7zz a -tzip -mx5 "$work/7zz.zip" "${folders[@]}"

unzip -tq "$work/bralto.zip" >/dev/null || { echo "our archive failed unzip -t" >&2; exit 1; }

printf 'corpus: %s (%.1f MB), %s cores\n' "$*" "$(echo "$input_bytes / 1000000" | bc -l)" "$(nproc)"
printf '%-8s %9s %12s %10s %14s %12s\n' tool seconds bytes "MB/s" "speed vs zip" "size vs zip"
for tool in "${tools[@]}"; do
    printf '%-8s %9.2f %12d %10.1f %13.2fx %+11.2f%%\n' "$tool" "${seconds[$tool]}" "${size[$tool]}" \
        "$(echo "$input_bytes / ${seconds[$tool]} / 1000000" | bc -l)" \
        "$(echo "${seconds[zip]} / ${seconds[$tool]}" | bc -l)" \
        "$(echo "(${size[$tool]} - ${size[zip]}) * 100 / ${size[zip]}" | bc -l)"
done
