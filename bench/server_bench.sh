#!/bin/bash
# Figures for the qnrZip server under Wine: events per second across the
# process boundary, and the overhead of a zip job of 1,000 small files run
# through the server against the same job run in-process by cZip.
#   bench/server_bench.sh [FILES]      (default 1000)
# Uses the x86_64 build (BUILD=build/x86_64 by default); registers that
# build's server in the project prefix first.
set -euo pipefail
files=${1:-1000}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build/x86_64}
work=$root/build/bench/server
rm -rf "$work"
mkdir -p "$work/input" "$work/out"

python3 - "$work/input" "$files" <<'PY'
import sys
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    with open(f"{folder}/file{i:04d}.txt", "w") as f:
        f.write(f"ligne {i} de Bralto\n" * (20 + i % 50))
PY

cmake --build "$build" --target qnrZip qnrz320 qnruz320 qnrzip_bench -j2 >/dev/null
winpath() { echo "Z:${1//\//\\}"; }
"$root/scripts/wine.sh" --start
"$root/scripts/wine.sh" "$build/bin/qnrZip.exe" /regserver
echo "qnrZip server benchmark, $files files"
cd "$build/bin"
"$root/scripts/wine.sh" ./qnrzip_bench.exe "$(winpath "$work/input")" "$(winpath "$work/out")"
unzip -tq "$work/out/server.zip"
