#!/usr/bin/env python3
"""What the installer test reads from Windows files without Windows.

    pe_facts.py file-version FILE          the fixed file version, "a.b.c.d"
    pe_facts.py set-file-version IN OUT V  a copy of IN whose fixed file and
                                           product versions are V ("0.9.0.0"),
                                           as an older build would carry
    pe_facts.py link-target FILE.lnk       the local path a shell link starts
"""
import struct
import sys

# VS_FIXEDFILEINFO begins with this signature, then the structure version,
# then the file version and the product version (two DWORDs each).
FIXED_INFO_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def fixed_info_offset(data):
    at = data.find(FIXED_INFO_SIGNATURE)
    if at < 0:
        sys.exit("no version information")
    return at


def file_version(path):
    data = open(path, "rb").read()
    ms, ls = struct.unpack_from("<II", data, fixed_info_offset(data) + 8)
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def set_file_version(source, target, version):
    data = bytearray(open(source, "rb").read())
    a, b, c, d = (int(part) for part in version.split("."))
    at = fixed_info_offset(data)
    struct.pack_into("<IIII", data, at + 8, (a << 16) | b, (c << 16) | d, (a << 16) | b, (c << 16) | d)
    open(target, "wb").write(data)


def link_target(path):
    """The LinkInfo's local base path of a Shell Link file (MS-SHLLINK)."""
    data = open(path, "rb").read()
    if struct.unpack_from("<I", data, 0)[0] != 0x4C:
        sys.exit("not a shell link")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at = 0x4C
    if flags & 0x1:  # HasLinkTargetIDList
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if not flags & 0x2:  # HasLinkInfo
        sys.exit("the link has no local path")
    header_size = struct.unpack_from("<I", data, at + 4)[0]
    link_flags = struct.unpack_from("<I", data, at + 8)[0]
    if not link_flags & 0x1:  # VolumeIDAndLocalBasePath
        sys.exit("the link has no local path")
    if header_size >= 0x24:
        offset = struct.unpack_from("<I", data, at + 0x1C)[0]
        start = at + offset
        end = start
        while data[end:end + 2] != b"\0\0":
            end += 2
        return data[start:end].decode("utf-16-le")
    offset = struct.unpack_from("<I", data, at + 0x10)[0]
    start = at + offset
    return data[start:data.index(b"\0", start)].decode("cp1252")


if __name__ == "__main__":
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    if command == "file-version" and len(sys.argv) == 3:
        print(file_version(sys.argv[2]))
    elif command == "set-file-version" and len(sys.argv) == 5:
        set_file_version(*sys.argv[2:])
    elif command == "link-target" and len(sys.argv) == 3:
        print(link_target(sys.argv[2]))
    else:
        sys.exit(__doc__)
