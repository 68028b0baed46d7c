#!/usr/bin/env python3
"""Draws Bralto's program icon and writes it as a Windows .ico file.

The picture is a closed cardboard archive with a lid and a zipper down its
front. It is described in unit coordinates and drawn at each size with 4 x 4
samples per pixel, so the edges are smooth at 256 pixels and still clean at
16. The small sizes drop the zipper's teeth, which would only blur there.

The 16, 32 and 48 pixel images are stored as 32-bit DIBs (every Windows
version reads them); the 256 pixel one as PNG, as Windows expects for that
size. Only the standard library is used.

Usage: make_icon.py OUTPUT.ico
"""

import struct
import sys
import zlib

SIZES = (16, 32, 48, 256)
SAMPLES = 4  # per pixel side

OUTLINE = (110, 62, 18)
LID_TOP, LID_BOTTOM = (250, 204, 110), (236, 170, 70)
BODY_TOP, BODY_BOTTOM = (238, 166, 64), (206, 120, 36)
ZIPPER = (70, 70, 78)
TEETH = (214, 214, 222)
PULL, PULL_EDGE = (196, 200, 212), (80, 84, 96)


def in_rounded_rect(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


class Shape:
    """A rounded rectangle with a fill (flat or a vertical gradient) and an
    outline drawn inside its edge."""

    def __init__(self, box, radius, fill, fill_bottom=None, edge=None, edge_width=0.0):
        self.box, self.radius = box, radius
        self.fill, self.fill_bottom = fill, fill_bottom or fill
        self.edge, self.edge_width = edge, edge_width

    def colour_at(self, x, y, pixel):
        left, top, right, bottom = self.box
        if not in_rounded_rect(x, y, left, top, right, bottom, self.radius):
            return None
        if self.edge:
            # At least one pixel wide, whatever the size.
            w = max(self.edge_width, pixel)
            if not in_rounded_rect(x, y, left + w, top + w, right - w, bottom - w, max(self.radius - w, 0.0)):
                return self.edge
        return mix(self.fill, self.fill_bottom, (y - top) / (bottom - top))


def shapes_for(size):
    pixel = 1.0 / size
    edge = 0.025
    layers = [
        Shape((0.10, 0.30, 0.90, 0.94), 0.07, BODY_TOP, BODY_BOTTOM, OUTLINE, edge),
        Shape((0.05, 0.12, 0.95, 0.36), 0.06, LID_TOP, LID_BOTTOM, OUTLINE, edge),
        Shape((0.44, 0.36 - pixel, 0.56, 0.94 - pixel), 0.0, ZIPPER),
    ]
    if size >= 32:
        teeth = 9
        span = (0.90 - 0.40) / teeth
        for i in range(teeth):
            top = 0.40 + i * span
            left = 0.455 if i % 2 == 0 else 0.50
            layers.append(Shape((left, top, left + 0.045, top + span * 0.55), 0.0, TEETH))
    layers.append(Shape((0.38, 0.20, 0.62, 0.52), 0.05, PULL, None, PULL_EDGE, 0.02))
    if size >= 32:
        layers.append(Shape((0.45, 0.38, 0.55, 0.47), 0.03, ZIPPER))
    return layers


def render(size):
    """Rows of (r, g, b, a) pixels, top row first."""
    layers = shapes_for(size)
    pixel = 1.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            red = green = blue = covered = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * pixel
                    y = (py + (sy + 0.5) / SAMPLES) * pixel
                    colour = None
                    for shape in layers:
                        c = shape.colour_at(x, y, pixel)
                        if c is not None:
                            colour = c
                    if colour is not None:
                        red, green, blue = red + colour[0], green + colour[1], blue + colour[2]
                        covered += 1
            if covered:
                row.append((round(red / covered), round(green / covered), round(blue / covered),
                            round(255 * covered / (SAMPLES * SAMPLES))))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def dib_entry(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(pixels) + bytes(mask)


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png_entry(rows):
    size = len(rows)
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for pixel in row:
            raw += bytes(pixel)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            png_chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + png_chunk(b"IEND", b""))


def icon_file(sizes):
    images = [png_entry(render(s)) if s >= 256 else dib_entry(render(s)) for s in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in zip(sizes, images):
        side = 0 if size >= 256 else size  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as out:
        out.write(icon_file(SIZES))


if __name__ == "__main__":
    main()
