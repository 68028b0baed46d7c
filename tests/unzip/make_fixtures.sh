#!/bin/bash
# Builds the archives the Windows unzip tests read, with the peer tools
# (Info-ZIP zip, 7-Zip, Python's zipfile), and the facts to check them
# against: the source files themselves and Python's listing of each archive.
#   make_fixtures.sh FOLDER
set -euo pipefail
out=$1
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out/src/sub/deeper" "$out/src/empty-folder"
cd "$out"

python3 - <<'PY'
import random
random.seed(11)
with open('src/readme.txt', 'w') as f:
    for i in range(2000): f.write('ligne %d d\'un texte qui se compresse bien\n' % i)
with open('src/random.bin', 'wb') as f: f.write(bytes(random.getrandbits(8) for _ in range(200000)))
open('src/sub/empty.dat', 'wb').close()
with open('src/sub/deeper/mixed.bin', 'wb') as f:
    f.write(b'abc' * 50000 + bytes(random.getrandbits(8) for _ in range(30000)))
with open('src/with space.txt', 'w') as f: f.write('space\n')
PY
touch -d '2021-03-04 05:06:00' src/readme.txt
mkdir -p attributes && echo 'lecture seule' > attributes/readonly.txt && chmod 444 attributes/readonly.txt
(cd attributes && zip -q ../attributes.zip readonly.txt)

(cd src && zip -q -r -9 ../zip9.zip . && zip -q -r -0 ../zip0.zip . && zip -q -r -P 'sésame' ../encrypted.zip readme.txt sub)
(cd src && echo 'Commentaire de l archive' | zip -q -z ../comment.zip readme.txt)
python3 - <<'PY'
import struct, zipfile, zlib

zipfile.ZipFile('empty.zip', 'w').close()
open('notzip.zip', 'wb').write(b'this is not a zip file\n' * 100)

# A comment too long for a progress message.
with zipfile.ZipFile('longcomment.zip', 'w') as z:
    z.writestr('a.txt', 'a')
    z.comment = b'C' * 40000

# Names: UTF-8 with the flag (Python sets it), OEM (code page 850) without.
def raw_zip(path, members):
    """Stored members with name bytes as given; flags as given."""
    data, central = b'', b''
    for name, content, flags in members:
        crc = zlib.crc32(content)
        local = struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, flags, 0, 0x6000, 0x5a84, crc,
                            len(content), len(content), len(name), 0)
        central += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 20, 20, flags, 0, 0x6000, 0x5a84, crc,
                               len(content), len(content), len(name), 0, 0, 0, 0, 0, len(data))
        central += name
        data += local + name + content
    end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, len(members), len(members), len(central), len(data), 0)
    open(path, 'wb').write(data + central + end)

raw_zip('names.zip', [
    ('dossier/café.txt'.encode('utf-8'), b'utf8 name\n', 0x800),
    ('crème.txt'.encode('cp850'), b'oem name\n', 0),
    ('日本.txt'.encode('utf-8'), b'not in the ANSI code page\n', 0x800),
])

# Hostile names and an overlapping member.
with zipfile.ZipFile('hostile.zip', 'w') as z:
    for n in ['../evil1.txt', '/evil2.txt', 'C:/evil3.txt', 'sub/../../evil4.txt', 'CON', 'ok.txt']:
        z.writestr(zipfile.ZipInfo(n), 'payload')

# One folder and one file named under several cases.
with zipfile.ZipFile('cases.zip', 'w') as z:
    z.writestr('Dir/a.txt', 'first')
    z.writestr('dir/b.txt', 'second')
    z.writestr('DIR/A.TXT', 'third')

# Many members (over 1023 names for a selection).
with zipfile.ZipFile('many.zip', 'w') as z:
    for i in range(1100): z.writestr('m/f%04d.txt' % i, str(i))

# BZip2 and LZMA as Python writes them, an empty member of each.
with zipfile.ZipFile('python-methods.zip', 'w') as z:
    z.write('src/readme.txt', 'readme.txt', compress_type=zipfile.ZIP_BZIP2)
    z.write('src/random.bin', 'random.bin', compress_type=zipfile.ZIP_LZMA)
    z.write('src/sub/deeper/mixed.bin', 'sub/deeper/mixed.bin', compress_type=zipfile.ZIP_LZMA)
    z.write('src/sub/empty.dat', 'sub/empty.dat', compress_type=zipfile.ZIP_BZIP2)
    z.write('src/with space.txt', 'with space.txt', compress_type=zipfile.ZIP_LZMA)

# A path longer than MAX_PATH once joined to any extraction folder.
with zipfile.ZipFile('deep.zip', 'w') as z:
    z.writestr('d' * 100 + '/' + 'e' * 100 + '/' + 'f' * 80 + '.txt', 'deep member')

# Corrupted data: a bad CRC.
with zipfile.ZipFile('corrupt.zip', 'w') as z:
    z.writestr('bad.txt', 'X' * 5000)
data = bytearray(open('corrupt.zip', 'rb').read())
data[30 + len('bad.txt') + 100] ^= 0xff
open('corrupt.zip', 'wb').write(data)

# Folder entries with their own times, the files inside them written later.
with zipfile.ZipFile('dirtimes.zip', 'w') as z:
    for name, when in (('d/', (2001, 2, 3, 4, 5, 6)), ('d/e/', (2002, 3, 4, 5, 6, 8))):
        z.writestr(zipfile.ZipInfo(name, when), '')
    z.writestr(zipfile.ZipInfo('d/e/f.txt', (2003, 4, 5, 6, 7, 8)), 'file')

# Names nested far deeper than any real tree, beside an ordinary member.
with zipfile.ZipFile('nested.zip', 'w', compression=zipfile.ZIP_DEFLATED) as z:
    z.writestr('a/' * 4000 + 'f.txt', 'deep')
    z.writestr('b/' * 32000 + 'g', 'deeper')
    z.writestr('n' * 300 + '.txt', 'long name')
    z.writestr('ok.txt', 'fine')

# A small member, then one large enough to be killed in the middle of.
import random
random.seed(7)
with zipfile.ZipFile('twofiles.zip', 'w', compression=zipfile.ZIP_DEFLATED) as z:
    z.writestr('small.txt', 'small')
    z.writestr('big.bin', bytes(random.getrandbits(8) for _ in range(3000000)))

# Python's own listing of each archive: name|size|csize|crc|Y-M-D H:M|method|encrypted
# (csize without the 12-byte encryption header, as Info-ZIP lists it).
for name in ['zip9.zip', 'zip0.zip', 'encrypted.zip', 'names.zip']:
    with zipfile.ZipFile(name) as z, open(name + '.listing', 'w', encoding='utf-8') as f:
        for i in z.infolist():
            d = i.date_time
            f.write('%s|%d|%d|%d|%d-%d-%d %d:%d|%d|%d\n' % (i.filename, i.file_size, i.compress_size - 12 * (i.flag_bits & 1), i.CRC,
                    d[0], d[1], d[2], d[3], d[4], i.compress_type, i.flag_bits & 1))
PY
(cd src && 7zz a -tzip -bd -bso0 ../sevenzip.zip .)

# Names from other systems. Info-ZIP's zip on Linux stores raw UTF-8 names
# without the UTF-8 flag or a Unicode Path field, host Unix.
mkdir -p foreign-src/dossier
printf 'crème\n' > foreign-src/café.txt
printf 'été\n' > foreign-src/dossier/été.txt
(cd foreign-src && LANG=C.UTF-8 zip -q -r ../unix.zip . && LANG=C.UTF-8 zip -q -P 'sésame' ../unix-encrypted.zip dossier/été.txt café.txt)
python3 - <<'PY'
import struct, zipfile, zlib

# Greek and full-width names (UTF-8 flag, as Python writes them): none of
# them may be shown as a look-alike.
with zipfile.ZipFile('lookalikes.zip', 'w') as z:
    for n in ['Ωmega.txt', 'Omega.txt', '#U03A9mega.txt', '．．＼evil.txt']:
        z.writestr(n, n)

# Info-ZIP's Unicode Path field beside an old name: used only while its CRC
# matches the stored name.
def up_member(name, up_for, text, data):
    body = struct.pack('<BI', 1, zlib.crc32(up_for)) + text
    extra = struct.pack('<HH', 0x7075, len(body)) + body
    return name, extra, data
members = [up_member(b'old.txt', b'old.txt', 'nouveau-é.txt'.encode(), b'up\n'),
           up_member(b'stale.txt', b'renamed.txt', 'périmé.txt'.encode(), b'stale\n')]
data, central = b'', b''
for name, extra, content in members:
    crc = zlib.crc32(content)
    local = struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, 0, 0, 0x6000, 0x5a84, crc, len(content), len(content),
                        len(name), len(extra))
    central += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 20, 20, 0, 0, 0x6000, 0x5a84, crc, len(content),
                           len(content), len(name), len(extra), 0, 0, 0, 0, len(data)) + name + extra
    data += local + name + extra + content
end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, len(members), len(members), len(central), len(data), 0)
open('unicode-path.zip', 'wb').write(data + central + end)
PY
# The names the peers list, one a line (UTF-8), files only.
for name in unix.zip lookalikes.zip unicode-path.zip; do
    LANG=C.UTF-8 LC_ALL=C.UTF-8 unzip -Z1 "$name" | grep -v '/$' > "$name.unzip-names"
    LANG=C.UTF-8 LC_ALL=C.UTF-8 7zz l -slt -ba "$name" |
        awk '/^Path = /{p=substr($0, 8)} /^Folder = -/{print p}' > "$name.7zz-names"
done
# The other methods 7-Zip writes, and its AES encryption (AE-2) at each
# strength; one AES archive with a byte of readme.txt's data altered.
for method in Deflate64 BZip2 LZMA; do
    (cd src && 7zz a -tzip -mm=$method -bd -bso0 ../method-$method.zip .)
done
for strength in 128 192 256; do
    (cd src && 7zz a -tzip -mem=AES$strength -p'motdepasse' -bd -bso0 ../aes$strength.zip .)
done
cp aes256.zip aes-altered.zip
python3 - <<'PY'
import struct
raw = bytearray(open('aes-altered.zip', 'rb').read())
central = raw.find(b'PK\x01\x02')
while raw[central + 46:central + 56] != b'readme.txt':
    central = raw.find(b'PK\x01\x02', central + 4)
local = struct.unpack('<I', raw[central + 42:central + 46])[0]
nlen, xlen = struct.unpack('<HH', raw[local + 26:local + 30])
raw[local + 30 + nlen + xlen + 16 + 2 + 50] ^= 0x20
open('aes-altered.zip', 'wb').write(raw)
PY
# A method nobody reads here (PPMd) beside a deflated member.
echo ok > ok.txt
7zz a -tzip -mm=PPMd -bd -bso0 unsupported.zip src/readme.txt && zip -q unsupported.zip ok.txt && rm ok.txt

# Members that add up to more than 4 GiB in a file of a few megabytes, one
# of them over 2 GiB, and Python's view of their sizes: name|size|csize.
python3 "$here/../make_large_totals_zip.py" large-totals.zip
python3 - <<'PY'
import zipfile
with open('large-totals.zip.sizes', 'w') as f:
    for i in zipfile.ZipFile('large-totals.zip').infolist():
        f.write('%s|%d|%d\n' % (i.filename, i.file_size, i.compress_size))
PY
