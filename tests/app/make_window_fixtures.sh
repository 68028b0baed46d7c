#!/bin/bash
# Archives for the main window tests, made by Debian's zip, and what the
# peers (python's zipfile and unzip -v) say about every member:
#   expected_listed.tsv: name, folder, dd/mm/yyyy hh:nn, size, compressed, ratio%, encrypted (0/1)
set -e
WORK="$(realpath -m "$1")"
HERE="$(cd "$(dirname "$0")" && pwd)"
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
# ---- Test, comment and information windows ----
# tree_damaged.zip: tree.zip with one byte of a/b/z.bin's data flipped, so
# that only that member fails its check.
cp tree.zip tree_damaged.zip
python3 - "$WORK/tree_damaged.zip" <<'PY'
import struct, sys, zipfile
path = sys.argv[1]
info = zipfile.ZipFile(path).getinfo("a/b/z.bin")
data = bytearray(open(path, "rb").read())
name_length, extra_length = struct.unpack_from("<HH", data, info.header_offset + 26)
start = info.header_offset + 30 + name_length + extra_length
data[start + info.compress_size // 2] ^= 0x55
open(path, "wb").write(data)
PY
if unzip -tq tree_damaged.zip >/dev/null 2>&1; then echo "tree_damaged.zip is not damaged" >&2; exit 1; fi
# The members of tree.zip as unzip lists them, folders left out, in archive order.
unzip -Z1 tree.zip | grep -v '/$' > expected_tree_members.txt

# large.zip: enough members for a test that can be cancelled and whose
# report goes beyond what the report box takes.
mkdir -p large
for i in $(seq -w 1 1600); do echo "$i" > "large/membre-numero-$i-du-grand-test.txt"; done
zip -q -X large.zip large/*.txt

# commented.zip: a comment written by Info-ZIP's zip (code page 1252).
cp tree.zip commented.zip
printf 'Commentaire \xe9crit par zip\nseconde ligne\n' | zip -q -z commented.zip
python3 - "$WORK" <<'PY'
import sys, zipfile
work = sys.argv[1]
comment = zipfile.ZipFile(f"{work}/commented.zip").comment.decode("cp1252")
open(f"{work}/expected_comment.txt", "w", encoding="utf-8", newline="").write(comment)
PY

# large-totals.zip: members that add up to more than 4 GiB in a file of a
# few megabytes.
# expected_large_totals.tsv: name, size, compressed of each member, as
# Python's zipfile reads them.
python3 "$HERE/../make_large_totals_zip.py" large-totals.zip
python3 - "$WORK" <<'PY'
import sys, zipfile
work = sys.argv[1]
with open(f"{work}/expected_large_totals.tsv", "w", encoding="utf-8") as out:
    for info in zipfile.ZipFile(f"{work}/large-totals.zip").infolist():
        name = info.filename.rpartition("/")[2]
        out.write("\t".join([name, str(info.file_size), str(info.compress_size)]) + "\r\n")
PY

# expected_properties.tsv: what unzip -Zt and the file system say about
# listed.zip and large-totals.zip, one line each: archive, size ("### ### ###"),
# date (dd/mm/yyyy hh:nn, local time), compressed, uncompressed, ratio%,
# member count.
python3 - "$WORK" <<'PY'
import os, re, subprocess, sys, time
work = sys.argv[1]

def groups(n):
    digits = str(n)
    head, tail = digits[:-6] if len(digits) > 6 else "", digits[-6:]
    parts = [head] if head else []
    parts += [p for p in (tail[:-3], tail[-3:]) if p]
    return " ".join(parts)

with open(f"{work}/expected_properties.tsv", "w", encoding="utf-8") as out:
    for name in ("listed.zip", "large-totals.zip"):
        path = f"{work}/{name}"
        line = subprocess.run(["unzip", "-Zt", path], capture_output=True, text=True).stdout.strip()
        match = re.match(r"(\d+) files?, (\d+) bytes uncompressed, (\d+) bytes compressed:\s+(-?[\d.]+)%", line)
        if not match:
            sys.exit(f"unexpected unzip -Zt output: {line}")
        count, uncompressed, compressed = (int(match.group(i)) for i in (1, 2, 3))
        percent = float(match.group(4))
        ratio = int(percent + 0.5) if percent >= 0 else -int(-percent + 0.5)
        size = os.stat(path).st_size
        date = time.strftime("%d/%m/%Y %H:%M", time.localtime(os.stat(path).st_mtime))
        out.write("\t".join([name, groups(size), date, groups(compressed), groups(uncompressed), f"{ratio}%",
                             str(count)]) + "\r\n")
PY

# ---- The other methods and WinZip AES, as 7-Zip and Python write them ----
# methods/: text with repeats further back than Deflate's 32 KiB window,
# less compressible bytes, a member in a folder and an empty one.
# expected_methods.tsv: archive, name, folder, size, encrypted (0/1), what
# zipfile says of each member; every archive passes 7zz t first.
mkdir -p methods/data
python3 - "$WORK/methods" <<'PY'
import random, sys
root = sys.argv[1]
random.seed(11)
words = ["archive", "membre", "fenêtre", "fichier", "méthode", "dossier", "octet", "clef"]
block = " ".join(random.choice(words) for _ in range(9000)).encode("utf-8")
text = bytearray()
while len(text) < 600000:
    text += block[: random.randrange(20000, len(block))] + b"\n" + bytes(random.getrandbits(8) for _ in range(300))
open(f"{root}/notes.txt", "wb").write(text)
open(f"{root}/data/mixed.bin", "wb").write(bytes(random.getrandbits(8) for _ in range(70000)) + bytes(90000))
open(f"{root}/data/vide.dat", "wb").close()
PY
for method in Deflate64 BZip2 LZMA; do
    (cd methods && 7zz a -tzip -mm=$method -bd -bso0 ../methods-$method.zip notes.txt data)
done
(cd methods && 7zz a -tzip -mem=AES256 -p'motdepasse' -bd -bso0 ../methods-AES256.zip notes.txt data)
python3 - "$WORK" <<'PY'
import os, sys, zipfile
work = sys.argv[1]
for name, method in (("python-BZIP2.zip", zipfile.ZIP_BZIP2), ("python-LZMA.zip", zipfile.ZIP_LZMA)):
    with zipfile.ZipFile(f"{work}/{name}", "w", compression=method) as z:
        for member in ("notes.txt", "data/mixed.bin", "data/vide.dat"):
            z.write(f"{work}/methods/{member}", member)
expected = {"methods-Deflate64.zip": 9, "methods-BZip2.zip": 12, "methods-LZMA.zip": 14,
            "methods-AES256.zip": 99, "python-BZIP2.zip": 12, "python-LZMA.zip": 14}
with open(f"{work}/expected_methods.tsv", "w", encoding="utf-8") as out:
    for archive, method in expected.items():
        for info in zipfile.ZipFile(f"{work}/{archive}").infolist():
            if info.is_dir():
                continue
            if info.file_size > 0 and info.compress_type != method:
                sys.exit(f"{archive}: {info.filename} has method {info.compress_type}, not {method}")
            folder, _, name = info.filename.rpartition("/")
            out.write("\t".join([archive, name, folder.replace("/", "\\"), str(info.file_size),
                                 str(info.flag_bits & 1)]) + "\r\n")
PY
for archive in methods-*.zip python-*.zip; do
    7zz t -bd -bso0 -pmotdepasse "$archive" || { echo "7zz t fails on $archive" >&2; exit 1; }
done
