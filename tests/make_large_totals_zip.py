#!/usr/bin/env python3
"""Writes an archive whose members add up to more than 4 GiB while the file
stays a few megabytes: deflated members of 3 GiB, 1 GiB and 512 MiB of
zeros and a small stored one. The zeros are deflated once, 16 MiB at a
time ended by a full flush, so each piece stands alone and the same piece
repeated makes a whole member.
Usage: make_large_totals_zip.py ARCHIVE"""
import struct
import sys
import zlib

PIECE = 16 << 20
MEMBERS = [('zeros/grand.bin', 192), ('zeros/moyen.bin', 64), ('zeros/petit.bin', 32)]  # pieces each
TEXT_NAME, TEXT = 'lisez-moi.txt', b'Des zeros par milliards.\r\n'

compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
piece = compressor.compress(bytes(PIECE)) + compressor.flush(zlib.Z_FULL_FLUSH)
end_block = compressor.flush(zlib.Z_FINISH)
zeros = memoryview(bytes(PIECE))
crc_after = {}  # pieces -> CRC-32 of that many pieces of zeros
crc = 0
for count in range(1, max(n for _, n in MEMBERS) + 1):
    crc = zlib.crc32(zeros, crc)
    crc_after[count] = crc

TIME, DATE = 0x6000, 0x5a84
data, central = bytearray(), bytearray()


def add(name, method, crc, data_bytes, size):
    encoded = name.encode('ascii')
    central.extend(struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 20, 20, 0, method, TIME, DATE, crc,
                               len(data_bytes), size, len(encoded), 0, 0, 0, 0, 0, len(data)) + encoded)
    data.extend(struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, 0, method, TIME, DATE, crc, len(data_bytes), size,
                            len(encoded), 0) + encoded)
    data.extend(data_bytes)


for name, pieces in MEMBERS:
    add(name, 8, crc_after[pieces], piece * pieces + end_block, PIECE * pieces)
add(TEXT_NAME, 0, zlib.crc32(TEXT), TEXT, len(TEXT))
count = len(MEMBERS) + 1
end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, count, count, len(central), len(data), 0)
with open(sys.argv[1], 'wb') as out:
    out.write(data + central + end)
