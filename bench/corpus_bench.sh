#!/bin/bash
# Our two libraries, driven through their published DLL interface under
# Wine, beside Info-ZIP zip/unzip and 7-Zip run natively, on the same
# corpora in the same run, on disk:
#   small  a copy of /usr/include (many small files)
#   mixed  the mingw-w64 headers and Wine's 64-bit DLLs (fewer, larger files)
#   huge   one file of BENCH_HUGE_MIB MiB (default 0: skipped; 3072 for 3 GiB)
#   empty  an archive of BENCH_EMPTY empty members (default 70000), test, list and extract
# For each: create at level 6 (with the archive's size), extract, test; wall
# seconds (best of RUNS, default 1) and the peer's time divided by ours
# (above 1: we are faster). Our times include starting the Wine process
# (about 0.1 s with the warm wineserver this script starts).
# BENCH_MEMORY=1 adds, for small and mixed, one more run of each of our
# jobs under /usr/bin/time: peak memory (max RSS of the Wine process) and
# CPU seconds (user + system), steadier than wall time on a loaded machine.
#   bench/corpus_bench.sh [RUNS] [CORPUS...]
#   BENCH_DLLS=/other/build/bin bench/corpus_bench.sh   measures other DLLs
set -euo pipefail
runs=${1:-1}
shift || true
corpora=("$@")
((${#corpora[@]})) || corpora=(small mixed huge empty)
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/x86_64/bin
dlls=${BENCH_DLLS:-$bin}
work=$root/build/bench/corpora
drivers=$work/drivers
mkdir -p "$work" "$drivers"

# The drivers and the measured DLLs side by side: each driver loads its
# library from its own folder.
x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -I"$root/libs/include" "$root/bench/unzip_driver_win.cpp" \
    -static -o "$drivers/unzip_driver_win.exe"
cp "$bin/zip_dll_driver.exe" "$dlls/qnrz320.dll" "$dlls/qnruz320.dll" "$drivers/"
"$root/scripts/wine.sh" --start >/dev/null 2>&1 </dev/null || true
winpath() { echo "Z:$1" | tr / '\\'; }
ourZip() { "$root/scripts/wine.sh" "$drivers/zip_dll_driver.exe" -6 "$(winpath "$1")" "${@:2}"; }
ourUnzip() { "$root/scripts/wine.sh" "$drivers/unzip_driver_win.exe" "$@"; }

makeCorpus() {
    local name=$1 dir=$work/$1
    [ -d "$dir" ] && return
    mkdir -p "$dir.part"
    case $name in
        small)
            cp -rL /usr/include "$dir.part/include" 2>/dev/null || true
            # Windows names ignore case: keep one of the names that differ only by it.
            python3 - "$dir.part" <<'PY'
import os, sys
seen = set()
for folder, dirs, files in os.walk(sys.argv[1]):
    for name in sorted(files):
        key = os.path.join(folder, name).lower()
        if key in seen: os.remove(os.path.join(folder, name))
        seen.add(key)
PY
            ;;
        mixed)
            cp -r /usr/share/mingw-w64/include "$dir.part/include"
            mkdir "$dir.part/dlls"
            cp /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/*.dll "$dir.part/dlls/" ;;
        huge)
            mkdir "$dir.part/huge"
            python3 - "$dir.part/huge/big.bin" "$BENCH_HUGE_MIB" <<'PY'
import os, random, sys
random.seed(1)
words = [bytes(random.choice(b'abcdefghij ') for _ in range(random.randint(3, 9))) for _ in range(4000)]
block = b' '.join(random.choice(words) for _ in range(200000))[:1 << 20]
with open(sys.argv[1], 'wb') as f:
    for i in range(int(sys.argv[2])):
        f.write(block if i % 4 else os.urandom(1 << 20))
PY
            ;;
    esac
    mv "$dir.part" "$dir"
}

# best COMMAND...: best wall time in seconds over $runs runs, after `prepare`.
prepare() { :; }
# freshOut: an empty $out for the next extraction. The tree of the previous
# one is only moved aside: deleting thousands of files makes ext4 (with
# discard) slower at creating files for seconds afterwards, which would land
# on whichever tool runs next. The trees go in dropTrees, after the timing.
freshOut() {
    [ -d "$out" ] && mv "$out" "$(mktemp -d "$work/old.XXXXXX")/tree"
    mkdir -p "$out"
}
dropTrees() { rm -rf "$out" "$work"/old.*; sync; }
best() {
    local bestTime=""
    for _ in $(seq "$runs"); do
        prepare
        local start end t
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1 </dev/null || true
        end=$(date +%s.%N)
        t=$(echo "$end - $start" | bc -l)
        if [ -z "$bestTime" ] || [ "$(echo "$t < $bestTime" | bc)" = 1 ]; then bestTime=$t; fi
    done
    echo "$bestTime"
}

# row WORK PEER-NAME PEER-SECONDS OUR-SECONDS [7ZZ-SECONDS] [NOTE]
row() {
    printf '  %-8s ours %7.2f s   %-8s %7.2f s (%5.2fx)' "$1" "$4" "$2" "$3" "$(echo "$3 / $4" | bc -l)"
    [ -n "${5:-}" ] && printf '   7zz %7.2f s (%5.2fx)' "$5" "$(echo "$5 / $4" | bc -l)"
    printf '  %s\n' "${6:-}"
}

# usage COMMAND...: "peak MB / CPU s" of one run of COMMAND.
usage() {
    local report=$work/usage.txt kib user system
    /usr/bin/time -f '%M %U %S' -o "$report" "$@" >/dev/null 2>&1 </dev/null || true
    read -r kib user system <"$report"
    printf '%d MB / %.2f s' $((kib / 1024)) "$(echo "$user + $system" | bc -l)"
}

# memoryRow CORPUS-DIR FOLDERS...: peak memory and CPU of our create,
# extract and test (BENCH_MEMORY=1 only).
memoryRow() {
    [ "${BENCH_MEMORY:-0}" = 1 ] || return 0
    local dir=$1 out=$work/out wine=$root/scripts/wine.sh create extract tested
    shift
    rm -f "$work/ours.zip"
    create=$(cd "$dir" && usage "$wine" "$drivers/zip_dll_driver.exe" -6 "$(winpath "$work/ours.zip")" "$@")
    rm -rf "$out" && mkdir -p "$out"
    extract=$(usage "$wine" "$drivers/unzip_driver_win.exe" x "$(winpath "$work/zip.zip")" "$(winpath "$out")")
    tested=$(usage "$wine" "$drivers/unzip_driver_win.exe" t "$(winpath "$work/zip.zip")")
    echo "  peak memory / CPU of ours: create $create, extract $extract, test $tested"
}

benchTree() {
    local name=$1 dir=$work/$1 out=$work/out
    makeCorpus "$name"
    local folders=() f
    for f in "$dir"/*; do folders+=("$(basename "$f")"); done
    local files bytes
    files=$(find "$dir" -type f | wc -l)
    bytes=$(du -sb "$dir" | cut -f1)
    find "$dir" -type f -exec cat {} + >/dev/null
    echo "$name: $files files, $((bytes / 1000000)) MB"
    cd "$dir"
    prepare() { rm -f "$target"; }
    local zipT ourT sevenT target
    target=$work/zip.zip zipT=$(best zip -q -r -6 "$work/zip.zip" "${folders[@]}")
    target=$work/ours.zip ourT=$(best ourZip "$work/ours.zip" "${folders[@]}")
    target=$work/7zz.zip sevenT=$(best 7zz a -tzip -mx5 "$work/7zz.zip" "${folders[@]}")
    local ourSize zipSize
    ourSize=$(stat -c %s "$work/ours.zip")
    zipSize=$(stat -c %s "$work/zip.zip")
    row create "zip -6" "$zipT" "$ourT" "$sevenT" \
        "$(printf 'size %+.2f %% against zip' "$(echo "($ourSize - $zipSize) * 100 / $zipSize" | bc -l)")"
    unzip -tqq "$work/ours.zip" || echo "  our archive fails unzip -t"
    cd "$work"
    prepare() { freshOut; }
    zipT=$(best unzip -qq -o zip.zip -d "$out")
    ourT=$(best ourUnzip x "$(winpath "$work/zip.zip")" "$(winpath "$out")")
    diff -r -q "$out" "$dir" >/dev/null || echo "  our extraction differs from the corpus"
    sevenT=$(best 7zz x -y -bd -bso0 -o"$out" zip.zip)
    row extract unzip "$zipT" "$ourT" "$sevenT"
    dropTrees
    prepare() { :; }
    zipT=$(best unzip -tqq zip.zip)
    ourT=$(best ourUnzip t "$(winpath "$work/zip.zip")")
    sevenT=$(best 7zz t -bd -bso0 zip.zip)
    row test "unzip -t" "$zipT" "$ourT" "$sevenT"
    memoryRow "$dir" "${folders[@]}"
    rm -rf "$out" "$work"/ours.zip "$work"/zip.zip "$work"/7zz.zip
}

benchEmpty() {
    local count=${BENCH_EMPTY:-70000} archive=$work/empty.zip out=$work/out
    [ -f "$archive" ] || python3 - "$archive" "$count" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    for i in range(int(sys.argv[2])):
        z.writestr(f"d{i % 8}/empty{i:06d}.txt", b"")
PY
    echo "empty: $count empty members in 8 folders"
    cd "$work"
    prepare() { :; }
    local peerT ourT
    peerT=$(best unzip -tqq "$archive")
    ourT=$(best ourUnzip t "$(winpath "$archive")")
    row test "unzip -t" "$peerT" "$ourT"
    peerT=$(best unzip -lqq "$archive")
    ourT=$(best ourUnzip l "$(winpath "$archive")")
    [ "$(ourUnzip l "$(winpath "$archive")" | tr -d '\r')" = "$count" ] || echo "  our listing misses members"
    row list "unzip -l" "$peerT" "$ourT"
    prepare() { freshOut; }
    peerT=$(best unzip -qq -o "$archive" -d "$out")
    ourT=$(best ourUnzip x "$(winpath "$archive")" "$(winpath "$out")")
    [ "$(find "$out" -type f | wc -l)" = "$count" ] || echo "  our extraction misses files"
    row extract unzip "$peerT" "$ourT"
    dropTrees
}

echo "DLLs from $dlls; $(nproc) cores; best of $runs"
for corpus in "${corpora[@]}"; do
    case $corpus in
        small | mixed) benchTree "$corpus" ;;
        huge) if [ "${BENCH_HUGE_MIB:-0}" -gt 0 ]; then benchTree huge; fi ;;
        empty) benchEmpty ;;
        *) echo "unknown corpus $corpus" >&2; exit 2 ;;
    esac
done
