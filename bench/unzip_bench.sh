#!/bin/bash
# Extraction and test speed of the Zip core's reader (the code inside
# qnruz320.dll, built natively) against Info-ZIP unzip 6.0 and 7-Zip, on a
# corpus of the mingw-w64 headers and Wine's PE DLLs. Prints each time
# (best of N runs), peak memory, and the ratio to unzip.
#   bench/unzip_bench.sh [RUNS]      (default 3)
#   BENCH_OUT=/dev/shm/bench-out bench/unzip_bench.sh
#       extracts to that folder instead (tmpfs: no disk in the way, the
#       figures then show the work of the programs themselves)
# Scratch files go to build/bench (the corpus archive is kept for next time).
set -euo pipefail
runs=${1:-3}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/bench
mkdir -p "$work"
driver=$root/build/native/bin/unzip_driver
archive=$work/corpus.zip
out=${BENCH_OUT:-$work/out}

echo "Building the driver..."
[ -f "$root/build/native/build.ninja" ] || [ -f "$root/build/native/Makefile" ] || "$root/scripts/build.sh" native
cmake --build "$root/build/native" --target unzip_driver -j2 >/dev/null

if [ ! -f "$archive" ]; then
    echo "Making the corpus (mingw-w64 headers and Wine DLLs, zip -6)..."
    corpus=$work/corpus
    rm -rf "$corpus"
    mkdir -p "$corpus/dlls"
    cp -r /usr/share/mingw-w64/include "$corpus/include"
    ls -S /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/*.dll | head -300 | tail -250 |
        xargs -I{} cp {} "$corpus/dlls/"
    (cd "$corpus" && zip -q -r -6 "$archive" .)
    rm -rf "$corpus"
fi
files=$(unzip -Z1 "$archive" | wc -l)
size=$(unzip -l "$archive" | tail -1 | awk '{print $1}')
echo "Corpus: $(du -h "$archive" | cut -f1) archive, $files members, $((size / 1048576)) MiB uncompressed"

# best_of COMMAND...: best wall time and best CPU time (user + system) in
# seconds over $runs runs, and the peak resident memory (KiB). On a shared
# machine the CPU time is the steadier figure.
best_of() {
    local best="" bestCpu="" rss=0
    for _ in $(seq "$runs"); do
        rm -rf "$out" && mkdir -p "$out"
        sync
        /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" ||
            { cat "$work/stderr"; return 1; }
        read -r t user system rss < "$work/time"
        cpu=$(echo "$user + $system" | bc)
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
        if [ -z "$bestCpu" ] || [ "$(echo "$cpu < $bestCpu" | bc)" = 1 ]; then bestCpu=$cpu; fi
    done
    echo "$best $bestCpu $rss"
}

# report LABEL REFERENCE-RESULT RESULT
report() {
    local label=$1
    read -r refT refCpu _ <<< "$2"
    read -r t cpu rss <<< "$3"
    printf '  %-16s wall %6.2f s (unzip/this %4.2f)   cpu %6.2f s (unzip/this %4.2f)   %6d KiB peak\n' \
        "$label" "$t" "$(echo "$refT / $t" | bc -l)" "$cpu" "$(echo "$refCpu / $cpu" | bc -l)" "$rss"
}

echo "Extraction (best of $runs):"
unzipX=$(best_of unzip -qq -o "$archive" -d "$out")
ourX=$(best_of "$driver" x "$archive" "$out")
sevenX=$(best_of 7zz x -y -bd -bso0 -o"$out" "$archive")
report "unzip 6.0" "$unzipX" "$unzipX"
report "qnruz320 core" "$unzipX" "$ourX"
report "7zz" "$unzipX" "$sevenX"

# Same output from every tool.
rm -rf "$out" "$work/check" && mkdir -p "$out" "$work/check"
"$driver" x "$archive" "$out"
unzip -qq -o "$archive" -d "$work/check"
diff -r "$out" "$work/check" >/dev/null && echo "  outputs identical to unzip's"

echo "Test (best of $runs):"
unzipT=$(best_of unzip -tqq "$archive")
ourT=$(best_of "$driver" t "$archive")
sevenT=$(best_of 7zz t -bd -bso0 "$archive")
report "unzip 6.0" "$unzipT" "$unzipT"
report "qnruz320 core" "$unzipT" "$ourT"
report "7zz" "$unzipT" "$sevenT"
rm -rf "$out" "$work/check"

# The library itself, under Wine, when the x86_64 build is there: Wine's
# file system layer costs more than the library, so this is for reference.
dll=$root/build/x86_64/bin/qnruz320.dll
if [ -f "$dll" ]; then
    echo "qnruz320.dll under Wine (best of $runs; Wine overhead included):"
    cp "$dll" "$work/"
    x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -I"$root/libs/include" "$root/bench/unzip_driver_win.cpp" \
        -static -o "$work/unzip_driver_win.exe"
    "$root/scripts/wine.sh" --start >/dev/null 2>&1 || true
    winpath() { echo "Z:$1" | tr / '\\'; }
    dllX=$(best_of "$root/scripts/wine.sh" "$work/unzip_driver_win.exe" x "$(winpath "$archive")" "$(winpath "$out")")
    dllT=$(best_of "$root/scripts/wine.sh" "$work/unzip_driver_win.exe" t "$(winpath "$archive")")
    report "dll extract" "$unzipX" "$dllX"
    report "dll test" "$unzipT" "$dllT"
    rm -rf "$out"
fi
