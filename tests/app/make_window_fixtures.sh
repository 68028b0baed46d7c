#!/bin/bash
# Archives for the main window tests, made by Debian's zip, and what the
# peers (python's zipfile and unzip -v) say about every member:
#   expected_listed.tsv: name, folder, dd/mm/yyyy hh:nn, size, compressed, ratio%, encrypted (0/1)
set -e
WORK="$(realpath -m "$1")"
rm -rf "$WORK"
mkdir -p "$WORK/src/docs/deep" "$WORK/add" "$WORK/out"
cd "$WORK/src"
head -c 3000 /dev/zero | tr '\0' 'a' > readme.TXT
echo "lower case twin" > b.txt
echo "no extension" > README
echo "licence" > LICENCE
python3 -c "import random; random.seed(7); open('docs/big.bin','wb').write(bytes(random.getrandbits(8) for _ in range(1234567)))"
echo "deep text" > docs/deep/leaf.txt
echo "secret note" > docs/note.txt
touch -d "2024-03-05 14:07" readme.TXT b.txt README LICENCE docs/big.bin docs/deep/leaf.txt docs/note.txt
zip -q -X -D ../listed.zip readme.TXT b.txt README LICENCE docs/big.bin docs/deep/leaf.txt
zip -q -X -D -P secret ../listed.zip docs/note.txt
cd "$WORK"

python3 - "$WORK" <<'PY'
import subprocess, sys, zipfile
work = sys.argv[1]
ratios = {}
for line in subprocess.run(["unzip", "-v", f"{work}/listed.zip"], capture_output=True, text=True).stdout.splitlines():
    parts = line.split()
    if len(parts) == 8 and parts[3].endswith("%") and parts[0].isdigit():
        ratios[parts[7]] = parts[3]
with open(f"{work}/expected_listed.tsv", "w", encoding="utf-8") as out:
    for info in zipfile.ZipFile(f"{work}/listed.zip").infolist():
        if info.filename.endswith("/"):
            continue
        folder, _, name = info.filename.rpartition("/")
        y, mo, d, h, mi, _ = info.date_time
        date = f"{d:02d}/{mo:02d}/{y:04d} {h:02d}:{mi:02d}"
        out.write("\t".join([name, folder.replace("/", "\\"), date, str(info.file_size),
                             str(info.compress_size - 12 * (info.flag_bits & 1)),
                             ratios[info.filename], str(info.flag_bits & 1)]) + "\r\n")
PY

# An empty archive, a file that is no archive, a damaged one, the last
# volume of a split archive.
python3 -c "import zipfile; zipfile.ZipFile('$WORK/empty.zip','w').close()"
echo "plain text, no archive here" > notazip.zip
cp listed.zip damaged.zip
python3 - "$WORK/damaged.zip" <<'PY'
import sys
path = sys.argv[1]
data = bytearray(open(path, "rb").read())
central = data.find(b"PK\x01\x02")
data[central + 3] ^= 0xFF   # the first central directory header loses its signature
open(path, "wb").write(data)
PY
mkdir split && head -c 300000 /dev/urandom > split/filler.bin
(cd split && zip -q -s 100k ../split.zip filler.bin)

# Files to add in the job tests: many small ones for a cancelable job.
for i in $(seq 1 5); do echo "file $i" > "add/f$i.txt"; done
(cd add && zip -q -X ../add_source.zip f1.txt f2.txt f3.txt f4.txt f5.txt)
mkdir -p add/many
for i in $(seq 1 400); do head -c 20000 /dev/urandom > "add/many/m$i.bin"; done

# A small tree for the commands: stored folders two deep, no encryption.
mkdir -p tree/a/b
echo "top level" > tree/top.txt
echo "in a" > tree/a/x.txt
echo "in b" > tree/a/b/y.txt
head -c 50000 /dev/urandom > tree/a/b/z.bin
(cd tree && zip -q -X -r ../tree.zip top.txt a)

# For the drop tests: a folder whose links lead back up twice at every
# level, as a folder on the Linux side may hold; walked through its links it
# has no end.
mkdir -p droploop/a
echo "looped" > droploop/a/file.txt
ln -s .. droploop/a/up1
ln -s .. droploop/a/up2
