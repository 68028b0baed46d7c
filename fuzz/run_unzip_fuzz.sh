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
        for method in Deflate64 BZip2 LZMA; do 7zz a -tzip -mm=$method -bd -bso0 "$corpus/$method.zip" d; done
        7zz a -tzip -mem=AES256 -ppw -bd -bso0 "$corpus/aes.zip" d
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
with zipfile.ZipFile(out + '/python-methods.zip', 'w') as z:
    z.writestr('b.txt', 'bzip2 ' * 300, compress_type=zipfile.ZIP_BZIP2)
    z.writestr('l.txt', 'lzma ' * 300, compress_type=zipfile.ZIP_LZMA)
# An AES member the fuzz target's stand-in cryptography accepts: zero salt,
# verifier and code, the data XORed with the little-endian counter from 1.
import struct
plain = b'stand-in AES member ' * 20
counter = b''.join((i + 1).to_bytes(16, 'little') for i in range(len(plain) // 16 + 1))
body = bytes(8) + bytes(2) + bytes(p ^ k for p, k in zip(plain, counter)) + bytes(10)
extra = struct.pack('<HHH2sBH', 0x9901, 7, 2, b'AE', 1, 0)
name = b'aes.txt'
local = struct.pack('<IHHHHHIIIHH', 0x04034b50, 51, 1, 99, 0, 0x21, 0, len(body), len(plain), len(name), len(extra))
central = struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 51, 51, 1, 99, 0, 0x21, 0, len(body), len(plain), len(name),
                      len(extra), 0, 0, 0, 0, 0) + name + extra
data = local + name + extra + body
end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, 1, 1, len(central), len(data), 0)
open(out + '/aes-stand-in.zip', 'wb').write(data + central + end)
PY
    )
fi
mkdir -p "$build/crashes"
cd "$build"
parallel=()
if [ -n "${FUZZ_JOBS:-}" ]; then parallel=(-jobs="$FUZZ_JOBS" -workers="$FUZZ_JOBS"); fi
./bin/unzip_fuzz -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=1024 -timeout=10 \
    "${parallel[@]}" -artifact_prefix="$build/crashes/" "$corpus"
