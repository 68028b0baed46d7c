#!/bin/bash
# Prepares the files the server tests work on, natively, with the peer
# tools: input files, an archive made by Info-ZIP's zip, and an archive
# whose members are encrypted. Usage: make_peer_inputs.sh WORK_FOLDER
set -euo pipefail
work="$1"
rm -rf "$work"
mkdir -p "$work/input/sub" "$work/out" "$work/many"
cd "$work"

python3 - <<'PY'
import os, random
random.seed(7)
with open("input/a.txt", "w") as f:
    f.write("Bralto et qnrZip\n" * 2000)
with open("input/b.bin", "wb") as f:
    f.write(bytes(random.getrandbits(8) for _ in range(65536)))
with open("input/sub/c.txt", "w") as f:
    f.write("dans un sous-dossier\n" * 100)
for i in range(60):
    with open(f"many/file{i:03d}.txt", "w") as f:
        f.write(f"fichier {i}\n" * (50 + i))
PY

zip -q -r peer.zip input
# More members than a job may name at once (1023).
mkdir -p big
python3 -c "
for i in range(1100):
    open(f'big/m{i:04d}.txt', 'w').write(str(i))
"
(cd big && zip -q ../big.zip ./*.txt)
rm -rf big
zip -q -j -P secret encrypted.zip input/a.txt input/sub/c.txt
echo "qnrZip peer inputs ready in $work"
