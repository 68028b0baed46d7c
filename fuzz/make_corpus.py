#!/usr/bin/env python3
"""Writes the seed set of hostile archives the fuzz targets start from.

    fuzz/make_corpus.py [folder]        # default: fuzz/corpus/seeds

Each seed is small (a few KB at most) and built byte by byte here, so that
every field a hostile archive can forge is under control: sizes, offsets,
counts, extra fields, names, comments. The output is the same on every run
(fixed times and random seeds), so the folder can be kept in the repository
and regenerated without noise.
"""
import os
import random
import bz2
import lzma
import struct
import sys
import zlib

LOCAL, CENTRAL, END = b'PK\x03\x04', b'PK\x01\x02', b'PK\x05\x06'
ZIP64_END, ZIP64_LOCATOR, DESCRIPTOR = b'PK\x06\x06', b'PK\x06\x07', b'PK\x07\x08'
DOS_TIME, DOS_DATE = (12 << 11) | (30 << 5), (45 << 9) | (6 << 5) | 15
PASSWORD = b'password'  # the reader's target answers every question with it


def extra(tag, payload):
    return struct.pack('<HH', tag, len(payload)) + payload


def zip64_extra(*values):
    return extra(0x0001, b''.join(struct.pack('<Q', v) for v in values))


def crc_table():
    table = []
    for n in range(256):
        c = n
        for _ in range(8):
            c = (c >> 1) ^ 0xEDB88320 if c & 1 else c >> 1
        table.append(c)
    return table


CRC_TABLE = crc_table()


class ZipCrypto:
    """The traditional PKWARE cipher."""

    def __init__(self, password):
        self.keys = [0x12345678, 0x23456789, 0x34567890]
        for byte in password:
            self.update(byte)

    def update(self, byte):
        k = self.keys
        k[0] = CRC_TABLE[(k[0] ^ byte) & 0xFF] ^ (k[0] >> 8)
        k[1] = (k[1] + (k[0] & 0xFF)) & 0xFFFFFFFF
        k[1] = (k[1] * 134775813 + 1) & 0xFFFFFFFF
        k[2] = CRC_TABLE[(k[2] ^ (k[1] >> 24)) & 0xFF] ^ (k[2] >> 8)

    def encrypt(self, data):
        out = bytearray()
        for byte in data:
            temp = (self.keys[2] | 2) & 0xFFFF
            out.append(byte ^ (((temp * (temp ^ 1)) >> 8) & 0xFF))
            self.update(byte)
        return bytes(out)


def deflate(data, level=6):
    compressor = zlib.compressobj(level, zlib.DEFLATED, -15)
    return compressor.compress(data) + compressor.flush()


def lzma_member(data):
    """LZMA as the Zip format note has it: version, size of the properties,
    the five LZMA1 properties bytes, then the raw stream with its end mark."""
    filters = [{'id': lzma.FILTER_LZMA1, 'dict_size': 1 << 16, 'lc': 3, 'lp': 0, 'pb': 2}]
    stream = lzma.compress(data, format=lzma.FORMAT_RAW, filters=filters)
    properties = bytes([(2 * 5 + 0) * 9 + 3]) + struct.pack('<I', 1 << 16)
    return struct.pack('<BBH', 9, 20, len(properties)) + properties + stream


# Deflate64 differs from deflate only by length code 285 and distance codes
# 30 and 31; a deflate stream with no match of 258 bytes reads the same in
# both, which is what a short text of mixed words gives.
ENCODERS = {0: lambda data: data, 8: deflate, 9: deflate, 12: lambda data: bz2.compress(data, 9), 14: lzma_member}


def aes_extra(inner_method, vendor_version=2, strength=1):
    return extra(0x9901, struct.pack('<H2sBH', vendor_version, b'AE', strength, inner_method))


def aes_stand_in(body, strength=1):
    """A WinZip AES payload the fuzz target's stand-in cryptography accepts:
    zero salt, verifier and code, the data XORed with the little-endian
    counter from 1."""
    salt = bytes(4 + 4 * strength)
    counter = b''.join((i + 1).to_bytes(16, 'little') for i in range(len(body) // 16 + 1))
    return salt + bytes(2) + bytes(b ^ k for b, k in zip(body, counter)) + bytes(10)


class Member:
    """One member as both headers describe it; every field may be forged."""

    def __init__(self, name, data=b'', method=8, **fields):
        self.name = name if isinstance(name, bytes) else name.encode('utf-8')
        self.data = data
        self.method = method
        self.flags = fields.pop('flags', 0)
        self.password = fields.pop('password', None)
        self.descriptor = fields.pop('descriptor', None)  # None, 'signed', 'bare', 'zip64'
        self.made_by = fields.pop('made_by', 20)
        self.external = fields.pop('external', 0x20)
        self.internal = fields.pop('internal', 0)
        self.local_extra = fields.pop('local_extra', b'')
        self.central_extra = fields.pop('central_extra', b'')
        self.comment = fields.pop('comment', b'')
        self.local_name = fields.pop('local_name', None)
        self.aes = fields.pop('aes', None)  # the inner method of a WinZip AES member
        self.raw = fields.pop('raw', False)  # the data stored as the member's bytes, whatever the method
        self.overrides = fields  # crc, csize, usize, offset, local_csize, local_usize, local_crc, local_method
        self.payload = self.encode()

    def encode(self):
        self.crc = zlib.crc32(self.data)
        if self.aes is not None:
            self.method, self.flags = 99, self.flags | 0x01
            self.local_extra = self.central_extra = aes_extra(self.aes)
            self.overrides.setdefault('crc', 0)
            return aes_stand_in(ENCODERS[self.aes](self.data))
        body = self.data if self.raw else ENCODERS.get(self.method, lambda data: data)(self.data)
        if self.descriptor:
            self.flags |= 0x08
        if self.password is not None:
            self.flags |= 0x01
            check = (DOS_TIME >> 8) if self.flags & 0x08 else (self.crc >> 24)
            rng = random.Random(len(self.data))
            header = bytes(rng.randrange(256) for _ in range(11)) + bytes([check & 0xFF])
            body = ZipCrypto(self.password).encrypt(header + body)
        return body

    def field(self, name, default):
        return self.overrides.get(name, default)

    def local_bytes(self):
        csize, usize = len(self.payload), len(self.data)
        in_descriptor = self.descriptor is not None
        crc = self.field('local_crc', 0 if in_descriptor else self.field('crc', self.crc))
        lcsize = self.field('local_csize', 0 if in_descriptor else self.field('csize', csize))
        lusize = self.field('local_usize', 0 if in_descriptor else self.field('usize', usize))
        name = self.local_name if self.local_name is not None else self.name
        header = LOCAL + struct.pack('<HHHHHIIIHH', 20, self.flags, self.field('local_method', self.method),
                                     DOS_TIME, DOS_DATE, crc, lcsize & 0xFFFFFFFF, lusize & 0xFFFFFFFF,
                                     len(name), len(self.local_extra))
        out = header + name + self.local_extra + self.payload
        if self.descriptor == 'signed':
            out += DESCRIPTOR + struct.pack('<III', self.crc, csize, usize)
        elif self.descriptor == 'bare':
            out += struct.pack('<III', self.crc, csize, usize)
        elif self.descriptor == 'zip64':
            out += DESCRIPTOR + struct.pack('<IQQ', self.crc, csize, usize)
        return out

    def central_bytes(self, offset):
        csize = self.field('csize', len(self.payload))
        usize = self.field('usize', len(self.data))
        header = CENTRAL + struct.pack('<HHHHHHIIIHHHHHII', self.made_by, 20, self.flags, self.method, DOS_TIME,
                                       DOS_DATE, self.field('crc', self.crc), csize & 0xFFFFFFFF,
                                       usize & 0xFFFFFFFF, len(self.name), len(self.central_extra),
                                       len(self.comment), 0, self.internal, self.external,
                                       self.field('offset', offset) & 0xFFFFFFFF)
        return header + self.name + self.central_extra + self.comment


def archive(members, comment=b'', prefix=b'', zip64=False, **end):
    """An archive of `members`; `end` forges the end record's fields."""
    out = bytearray(prefix)
    offsets = []
    for m in members:
        offsets.append(len(out) - (0 if end.get('sfx_adjusted', True) else len(prefix)))
        out += m.local_bytes()
    start = len(out)
    for m, offset in zip(members, offsets):
        out += m.central_bytes(offset)
    size = len(out) - start
    count = end.get('count', len(members))
    disk = end.get('disk', 0)
    dir_offset = end.get('offset', start)
    dir_size = end.get('size', size)
    if zip64:
        zip64_pos = len(out)
        out += ZIP64_END + struct.pack('<QHHIIQQQQ', 44, 45, 45, disk, disk, end.get('count64', count),
                                        end.get('count64', count), end.get('size64', dir_size),
                                        end.get('offset64', dir_offset))
        out += ZIP64_LOCATOR + struct.pack('<IQI', disk, end.get('locator', zip64_pos), 1)
        count, dir_size, dir_offset = 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF
    out += END + struct.pack('<HHHHIIH', disk, disk, count & 0xFFFF, count & 0xFFFF, dir_size & 0xFFFFFFFF,
                             dir_offset & 0xFFFFFFFF, end.get('comment_length', len(comment)))
    out += comment
    return bytes(out)


def text(n, seed=1):
    rng = random.Random(seed)
    words = [b'zip', b'archive', b'member', b'bralto', b'deflate', b'stored', b'line\n', b'\r\n']
    out = bytearray()
    while len(out) < n:
        out += rng.choice(words) + b' '
    return bytes(out[:n])


def noise(n, seed=2):
    rng = random.Random(seed)
    return bytes(rng.randrange(256) for _ in range(n))


def seeds():
    s = {}
    plain = [Member('readme.txt', text(600)), Member('data/noise.bin', noise(300), method=0),
             Member('data/', b'', method=0, external=0x10), Member('data/lines.txt', text(900, 3), internal=1)]
    base = archive(plain)
    s['plain'] = base
    s['stored'] = archive([Member('a.txt', text(200), method=0), Member('b.txt', b'', method=0)])
    s['deflated-levels'] = archive([Member('fast.txt', text(700), flags=0x06), Member('max.txt', text(700), flags=0x02)])
    s['empty'] = archive([])
    s['empty-with-comment'] = archive([], comment=b'nothing here')
    s['text-lf'] = archive([Member('unix.txt', b'one\ntwo\r\nthree\n' * 20, internal=1)])

    # Truncated at the places that matter.
    for cut in (4, 30, 200, len(base) // 2, len(base) - 40, len(base) - 22, len(base) - 1):
        s['truncated-%d' % cut] = base[:cut]
    s['no-end-record'] = base[:-22] + b'\0' * 22

    # Data descriptors, signed, bare and Zip64; encrypted members both ways.
    s['descriptors'] = archive([Member('signed.txt', text(400), descriptor='signed'),
                                Member('bare.txt', text(300, 4), descriptor='bare'),
                                Member('wide.txt', text(200, 5), descriptor='zip64', local_extra=zip64_extra(0, 0))])
    s['encrypted'] = archive([Member('secret.txt', text(500), password=PASSWORD),
                              Member('secret-stored.bin', noise(200), method=0, password=PASSWORD),
                              Member('streamed.txt', text(300, 6), password=PASSWORD, descriptor='signed'),
                              Member('other-password.txt', text(100), password=b'another')])
    s['aes-and-strong'] = archive([Member('aes.txt', text(100), method=99, flags=1,
                                          central_extra=extra(0x9901, struct.pack('<HHBH', 2, 0x4541, 3, 8))),
                                   Member('strong.txt', text(100), flags=0x41)])
    # Noise where a stream of each method should be.
    s['unsupported-methods'] = archive([Member('b.bz2', noise(50), method=12, raw=True),
                                        Member('l.lzma', noise(50), method=14, raw=True),
                                        Member('d.64', noise(50), method=9, raw=True),
                                        Member('u.unk', noise(50), method=77)])

    # Overlapping members: the zip-bomb shape, a shared local header, offsets past the end.
    a, b = Member('a.txt', b'A' * 100, method=0), Member('b.txt', b'B' * 100, method=0)
    grow = len(a.local_bytes()) - 30 - len(a.name) + 60
    s['overlap'] = archive([Member('a.txt', b'A' * 100, method=0, csize=grow, usize=grow), b])
    # Three central entries for one local header (each would be copied on its own).
    shared = Member('x.txt', text(100))
    local = shared.local_bytes()
    directory = shared.central_bytes(0) * 3
    s['shared-local-header'] = local + directory + END + struct.pack('<HHHHIIH', 0, 0, 3, 3, len(directory),
                                                                     len(local), 0)
    s['offset-past-end'] = archive([Member('far.txt', text(50), offset=0x7FFFFFF0)])
    s['offset-in-central'] = archive([Member('c.txt', text(50)), Member('d.txt', text(50), offset=0)])

    # Huge and lying sizes and counts.
    s['huge-usize'] = archive([Member('huge.txt', text(100), usize=0xFFFFFFF0)])
    s['huge-csize'] = archive([Member('huge.txt', text(100), csize=0xFFFFFFF0, local_csize=0xFFFFFFF0)])
    s['size-mismatch'] = archive([Member('short.txt', text(300), usize=100, local_usize=100)])
    s['bad-crc'] = archive([Member('crc.txt', text(300), crc=0x12345678, local_crc=0x12345678)])
    s['count-too-high'] = archive(plain, count=65535)
    s['count-too-low'] = archive(plain, count=1)
    s['dir-size-huge'] = archive(plain, size=0x7FFFFFFF)
    s['dir-offset-wrong'] = archive(plain, offset=12345)
    s['multi-disk'] = archive(plain[:1], disk=1)
    corrupt = bytearray(archive([Member('broken.txt', text(3000))]))
    for i in range(200, 240):
        corrupt[i] ^= 0x5A
    s['corrupt-deflate'] = bytes(corrupt)
    s['header-mismatch'] = archive([Member('name.txt', text(80), local_name=b'other.txt'),
                                    Member('method.txt', text(80), local_method=0)])

    # Zip64: genuine small records, then forged ones.
    big = 0x1_0000_0010
    s['zip64'] = archive([Member('z.txt', text(300), csize=0xFFFFFFFF, usize=0xFFFFFFFF, offset=0xFFFFFFFF,
                                 central_extra=zip64_extra(300, len(deflate(text(300))), 0))], zip64=True)
    s['zip64-huge-usize'] = archive([Member('z.txt', text(300), usize=0xFFFFFFFF,
                                            central_extra=zip64_extra(big))])
    s['zip64-missing-extra'] = archive([Member('z.txt', text(300), usize=0xFFFFFFFF)])
    s['zip64-short-extra'] = archive([Member('z.txt', text(300), csize=0xFFFFFFFF, usize=0xFFFFFFFF,
                                             central_extra=extra(0x0001, b'\x01\x02\x03'))])
    s['zip64-extra-overruns'] = archive([Member('z.txt', text(300), usize=0xFFFFFFFF,
                                                central_extra=struct.pack('<HH', 1, 40) + b'\0' * 8)])
    s['zip64-bad-locator'] = archive(plain, zip64=True, locator=0x7FFFFFFFFF)
    s['zip64-huge-count'] = archive(plain, zip64=True, count64=1 << 40)
    s['zip64-offset-huge'] = archive(plain, zip64=True, offset64=1 << 62)
    s['zip64-descriptor-mix'] = archive([Member('w.txt', text(200), descriptor='zip64',
                                                central_extra=zip64_extra(200))])

    # Names: deep, escaping, reserved, odd encodings.
    s['deep-name'] = archive([Member('a/' * 400 + 'f.txt', b'deep', method=0)])
    s['long-component'] = archive([Member('x' * 3000 + '.txt', b'long', method=0)])
    s['dotdot-names'] = archive([Member(n, b'payload', method=0) for n in (
        '../evil1.txt', 'a/../../evil2.txt', '/tmp/evil3.txt', 'C:/evil4.txt', 'c:evil5.txt', '..\\evil6.txt',
        'x/.. /evil7.txt', 'ok/good.txt', '\uff0e\uff0e\uff3cfull.txt', 'trail. ', 'a//b.txt', './dot.txt')])
    s['reserved-names'] = archive([Member(n, b'dev', method=0) for n in (
        'CON', 'sub/aux.txt', 'COM0.txt', 'COM\u00b9.txt', 'LPT\u00b2', 'nul.tar.gz', 'clock$')])
    s['nul-in-name'] = archive([Member(b'before\0after.txt', b'nul', method=0)])
    s['utf8-names'] = archive([Member('caf\u00e9.txt', b'utf8 flag', method=0, flags=0x800),
                               Member('caf\u00e9-raw.txt', b'unix host', method=0, made_by=(3 << 8) | 30),
                               Member(b'caf\x82-oem.txt', b'oem', method=0),
                               Member(b'bad\xff\xfe.txt', b'invalid', method=0, flags=0x800)])
    good_crc = zlib.crc32(b'old-name.txt')
    s['unicode-path-field'] = archive([
        Member('old-name.txt', b'up', method=0, central_extra=extra(0x7075, b'\x01' + struct.pack('<I', good_crc) +
                                                                      'nouveau-\u00e9.txt'.encode())),
        Member('stale.txt', b'stale', method=0, central_extra=extra(0x7075, b'\x01\0\0\0\0renamed.txt')),
        Member('short.txt', b'short', method=0, central_extra=extra(0x7075, b'\x01\0')),
        Member('comment.txt', b'uc', method=0, central_extra=extra(0x6375, b'\x01\0\0\0\0note'))])
    dup = [Member('same.txt', b'first', method=0), Member('same.txt', b'second', method=0),
           Member('SAME.TXT', b'third', method=0)]
    s['duplicate-names'] = archive(dup)
    s['folder-with-data'] = archive([Member('dir/', b'not empty', method=0, external=0x10),
                                     Member('dos-dir', b'', method=0, external=0x10),
                                     Member('dir/file.txt', b'in it', method=0)])

    # Extra fields: times, damaged blocks.
    ut = extra(0x5455, struct.pack('<Bi', 1, 1700000000))
    ntfs = extra(0x000a, b'\0' * 4 + struct.pack('<HH', 1, 24) + struct.pack('<QQQ', 133000000000000000, 0, 0))
    s['time-extras'] = archive([Member('ut.txt', b'ut', method=0, central_extra=ut, local_extra=ut),
                                Member('ntfs.txt', b'ntfs', method=0, central_extra=ntfs),
                                Member('short-ut.txt', b'x', method=0, central_extra=extra(0x5455, b'\x01')),
                                Member('overrun.txt', b'y', method=0, central_extra=struct.pack('<HH', 0x5455, 200)),
                                Member('ntfs-bad.txt', b'z', method=0,
                                       central_extra=extra(0x000a, b'\0' * 4 + struct.pack('<HH', 1, 60) + b'\0' * 24))])
    s['unix-modes'] = archive([Member('ro.txt', b'ro', method=0, made_by=(3 << 8) | 30, external=(0o100444 << 16)),
                               Member('rw.txt', b'rw', method=0, made_by=(3 << 8) | 30, external=(0o100644 << 16)),
                               Member('hidden.txt', b'h', method=0, external=0x23)])

    # Many members.
    s['many-members'] = archive([Member('m%03d.txt' % i, b'', method=0) for i in range(300)])
    s['many-small'] = archive([Member('d%d/f%d.txt' % (i % 7, i), text(20, i)) for i in range(80)])

    # Comments that hold signatures; prefixes before the archive.
    fake_end = END + struct.pack('<HHHHIIH', 0, 0, 1, 1, 46, 0, 0)
    s['comment-with-end-signature'] = archive(plain[:1], comment=b'see ' + fake_end + b' inside')
    s['comment-with-central-signature'] = archive(plain[:1], comment=CENTRAL + b'\0' * 50)
    s['comment-length-lies'] = archive(plain[:1], comment=b'short', comment_length=4000)
    s['member-comments'] = archive([Member('c.txt', b'c', method=0, comment=END + b'\0' * 18)])
    s['sfx-prefix'] = archive(plain[:2], prefix=b'MZ' + noise(500, 9))
    s['sfx-prefix-unadjusted'] = archive(plain[:2], prefix=b'MZ' + noise(300, 10), sfx_adjusted=False)

    # The other methods and WinZip AES, so that every decoder sees hostile bytes.
    # Bit 1 of an LZMA member's flags says its stream ends with an end mark.
    for method, name, flags in ((9, 'deflate64', 0), (12, 'bzip2', 0), (14, 'lzma', 0x02)):
        s['method-' + name] = archive([Member('t.txt', text(900, method), method=method, flags=flags),
                                       Member('n.bin', noise(200, method), method=method, flags=flags),
                                       Member('e.txt', b'', method=method, flags=flags)])
    s['method-lzma-end-mark-unflagged'] = archive([Member('l.txt', text(500, 5), method=14)])
    s['aes-stored-and-deflated'] = archive([Member('s.txt', text(300, 6), aes=0), Member('d.txt', text(600, 7), aes=8)])
    s['aes-bzip2-and-lzma'] = archive([Member('b.txt', text(300, 8), aes=12), Member('l.txt', text(300, 9), aes=14)])
    return s


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, 'corpus', 'seeds')
    os.makedirs(folder, exist_ok=True)
    for name, data in sorted(seeds().items()):
        with open(os.path.join(folder, name + '.zip'), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
