#!/bin/bash
# Builds the archive reader's libFuzzer target with clang (build/fuzz) and
# runs it for a while on a seed corpus made by the peer tools.
#   fuzz/run_unzip_fuzz.sh            # 60 seconds
#   fuzz/run_unzip_fuzz.sh 3600       # one hour
#   FUZZ_JOBS=2 fuzz/run_unzip_fuzz.sh 600
# Crashes are written to build/fuzz/crashes/; the corpus grows in
# build/fuzz/corpus/ and is reused by the next run.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
mkdir -p "$build"
if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DBRALTO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target unzip_fuzz -j2

corpus=$build/corpus
if [ ! -d "$corpus" ]; then
    mkdir -p "$corpus"
    seeds=$(mktemp -d)
    trap 'rm -rf "$seeds"' EXIT
    (
        cd "$seeds"
        mkdir -p d/sub
        printf 'hello\nworld\n' > d/a.txt
        head -c 3000 /dev/urandom > d/sub/r.bin
        printf 'text %.0s' $(seq 200) > d/sub/t.txt
        zip -q -r -9 "$corpus/deflated.zip" d
        zip -q -r -0 "$corpus/stored.zip" d
        zip -q -r -P pw "$corpus/encrypted.zip" d
        echo comment | zip -q -z "$corpus/comment.zip" d/a.txt
        7zz a -tzip -bd -bso0 "$corpus/7z.zip" d
        python3 - "$corpus" <<'PY'
import io, sys, zipfile
out = sys.argv[1]
with zipfile.ZipFile(out + '/zip64.zip', 'w', zipfile.ZIP_DEFLATED) as z:
    with z.open('big.txt', 'w', force_zip64=True) as f: f.write(b'x' * 5000)
class Raw(io.RawIOBase):
    def __init__(s, f): s.f = f
    def writable(s): return True
    def write(s, b): return s.f.write(b)
with open(out + '/descriptor.zip', 'wb') as f:
    with zipfile.ZipFile(Raw(f), 'w', zipfile.ZIP_DEFLATED) as z: z.writestr('s.txt', 'streamed ' * 100)
zipfile.ZipFile(out + '/empty.zip', 'w').close()
PY
    )
fi
mkdir -p "$build/crashes"
cd "$build"
parallel=()
if [ -n "${FUZZ_JOBS:-}" ]; then parallel=(-jobs="$FUZZ_JOBS" -workers="$FUZZ_JOBS"); fi
./bin/unzip_fuzz -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=1024 -timeout=10 \
    "${parallel[@]}" -artifact_prefix="$build/crashes/" "$corpus"
