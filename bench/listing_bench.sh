#!/bin/bash
# Time from OpenAZip to a filled, painted archive list in Bralto's main
# window, for archives of 1,000, 30,000 and 70,000 members made by python's
# zipfile (small members, a dozen extensions, a few folders). Runs under
# Wine; prints one line per archive (best of 3 runs).
#   bench/listing_bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/bench/listing
mkdir -p "$work"

cmake --build "$root/build/x86_64" --target listing_bench -j2 >/dev/null

for count in 1000 30000 70000; do
    archive=$work/members_$count.zip
    [ -f "$archive" ] || python3 - "$archive" "$count" <<'PY'
import sys, zipfile
path, count = sys.argv[1], int(sys.argv[2])
extensions = [".txt", ".TXT", ".c", ".h", ".cpp", ".bin", ".dll", ".exe", ".png", ".doc", "", ".zip"]
with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
    for i in range(count):
        folder = f"dir{i % 37}/sub{i % 5}/"
        z.writestr(folder + f"member{i:05d}" + extensions[i % len(extensions)], f"content of member {i}\n" * 3)
PY
done

"$root/scripts/wine.sh" --start >/dev/null 2>&1 || true
win=$(echo "$work" | sed 's|/|\\|g')
"$root/scripts/wine.sh" "$root/build/x86_64/bin/listing_bench.exe" "Z:$win\\members_1000.zip" "Z:$win\\members_30000.zip" "Z:$win\\members_70000.zip"
