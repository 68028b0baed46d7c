#!/bin/bash
# Speed of the reader's decoders beside 7-Zip's on the same archives: one
# archive per method written by 7zz (Deflate for reference, Deflate64,
# BZip2, LZMA, and AES-256 over Deflate), of a corpus of the mingw-w64
# headers and Wine's PE DLLs. Each archive is tested (every member decoded
# and checked, nothing written) by the Zip core built natively, by
# qnruz320.dll under Wine when the x86_64 build is there (AES then goes
# through Windows CNG as Wine provides it), and by 7zz, multi-threaded and
# on one thread. Prints the best of N runs: wall time, CPU time and the
# uncompressed MiB per second of wall time.
#   bench/methods_bench.sh [RUNS]      (default 3)
#   bench/methods_bench.sh --huge [METHOD]   one member over 4 GiB instead (below)
# Scratch files go to build/bench-methods (the archives are kept for next time).
#
# --huge: 7zz writes one member of 4.3 GiB (Zip64 sizes) in METHOD
# (Deflate64, the default and the fastest of the new methods for 7zz to
# write: with -mx1 about 80 MiB/s on this machine, BZip2 15 MiB/s; or
# LZMA) from text made on the fly, never kept on disk. 7zz and
# qnruz320.dll under Wine test the archive, then the DLL extracts it; the
# extracted file's SHA-256 must be the text's. Needs about 6 GiB free;
# removes its files afterwards (bench/huge_member_bench.sh).
set -euo pipefail
huge=0
huge_method=Deflate64
if [ "${1:-}" = --huge ]; then
    huge=1
    huge_method=${2:-Deflate64}
    set --
fi
runs=${1:-3}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/bench-methods
mkdir -p "$work"
password=motdepasse

echo "Building the drivers..."
if [ "$huge" = 0 ]; then
    [ -f "$root/build/native/build.ninja" ] || [ -f "$root/build/native/Makefile" ] || "$root/scripts/build.sh" native
    cmake --build "$root/build/native" --target unzip_driver -j2 >/dev/null
fi
driver=$root/build/native/bin/unzip_driver
dll=$root/build/x86_64/bin/qnruz320.dll
if [ -f "$dll" ]; then
    cp "$dll" "$work/"
    x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -I"$root/libs/include" "$root/bench/unzip_driver_win.cpp" \
        -static -o "$work/unzip_driver_win.exe"
    "$root/scripts/wine.sh" --start >/dev/null 2>&1 || true
fi

winpath() { echo "Z:$1" | tr / '\\'; }
if [ "$huge" = 1 ]; then
    # shellcheck source=huge_member_bench.sh
    source "$root/bench/huge_member_bench.sh"
    exit 0
fi

corpus=$work/corpus
if [ ! -d "$corpus" ]; then
    echo "Making the corpus (mingw-w64 headers and Wine DLLs)..."
    mkdir -p "$corpus/dlls"
    cp -r /usr/share/mingw-w64/include "$corpus/include"
    ls -S /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/*.dll > "$work/dlls.txt"
    sed -n 41,120p "$work/dlls.txt" | xargs -I{} cp {} "$corpus/dlls/"
fi
mib=$(($(du -sb "$corpus" | cut -f1) / 1048576))
echo "Corpus: $(find "$corpus" -type f | wc -l) files, $mib MiB"

methods=(Deflate Deflate64 BZip2 LZMA AES256)
for m in "${methods[@]}"; do
    archive=$work/$m.zip
    [ -f "$archive" ] && continue
    options=(-mm="$m")
    [ "$m" = AES256 ] && options=(-mem=AES256 -p"$password")
    (cd "$corpus" && 7zz a -tzip "${options[@]}" -bd -bso0 "$archive" .)
done

# best_of COMMAND...: best wall and best CPU (user + system) seconds.
best_of() {
    local best="" bestCpu=""
    for _ in $(seq "$runs"); do
        /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" ||
            { cat "$work/stderr" >&2; echo "failed"; return 0; }
        read -r t user system < "$work/time"
        cpu=$(echo "$user + $system" | bc)
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
        if [ -z "$bestCpu" ] || [ "$(echo "$cpu < $bestCpu" | bc)" = 1 ]; then bestCpu=$cpu; fi
    done
    echo "$best $bestCpu"
}

report() {
    local label=$1 result=$2
    if [ "$result" = failed ]; then
        printf '    %-22s FAILED\n' "$label"
        return
    fi
    read -r t cpu <<< "$result"
    printf '    %-22s wall %6.2f s   cpu %6.2f s   %6.1f MiB/s\n' "$label" "$t" "$cpu" "$(echo "$mib / $t" | bc -l)"
}

export BENCH_PASSWORD=$password
echo "Test of each archive (best of $runs):"
for m in "${methods[@]}"; do
    archive=$work/$m.zip
    echo "  $m ($(du -m "$archive" | cut -f1) MiB archive)"
    report "Zip core (native)" "$(best_of "$driver" t "$archive")"
    if [ -f "$work/unzip_driver_win.exe" ]; then
        report "qnruz320.dll (Wine)" "$(best_of "$root/scripts/wine.sh" "$work/unzip_driver_win.exe" t "$(winpath "$archive")")"
    fi
    report "7zz" "$(best_of 7zz t -p"$password" -bd -bso0 "$archive")"
    report "7zz -mmt1" "$(best_of 7zz t -mmt1 -p"$password" -bd -bso0 "$archive")"
done
