#!/usr/bin/env python3
"""Draws the add-files window's four bitmaps as 24-bit BMP files.

    scripts/make_add_files_bitmaps.py [output folder]   (default: dialogs/bitmaps)

The view button's two pictures (list, report) are drawn on the 3-D face grey
(192, 192, 192), which the window maps to the user's button colour when it
loads them. The selection pictures (an empty tray, a tray holding documents)
are drawn on magenta, the transparent colour of the image control.
"""
import os
import struct
import sys

FACE = (192, 192, 192)
MAGENTA = (255, 0, 255)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
NAVY = (0, 0, 128)
BLUE = (40, 96, 200)
GREY = (96, 96, 96)
YELLOW = (240, 200, 60)
CARD = (200, 150, 90)
CARD_DARK = (140, 96, 48)
CARD_LIGHT = (230, 190, 130)
PAPER_LINE = (120, 140, 200)
GREEN = (0, 150, 0)


class Picture:
    def __init__(self, size, background):
        self.size = size
        self.pixels = [[background] * size for _ in range(size)]

    def fill(self, left, top, right, bottom, colour):
        """Fills [left, right] x [top, bottom], ends included."""
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                self.pixels[y][x] = colour

    def frame(self, left, top, right, bottom, colour):
        self.fill(left, top, right, top, colour)
        self.fill(left, bottom, right, bottom, colour)
        self.fill(left, top, left, bottom, colour)
        self.fill(right, top, right, bottom, colour)

    def save(self, path):
        size = self.size
        stride = (size * 3 + 3) & ~3
        rows = b""
        for y in reversed(range(size)):  # bottom-up
            row = b"".join(bytes((b, g, r)) for (r, g, b) in self.pixels[y])
            rows += row + b"\0" * (stride - len(row))
        header = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
        with open(path, "wb") as out:
            out.write(b"BM" + struct.pack("<IHHI", 14 + len(header) + len(rows), 0, 0, 14 + len(header)))
            out.write(header + rows)


def small_icon(p, x, y):
    """A 3 x 3 document icon whose top-left pixel is (x, y)."""
    p.frame(x, y, x + 2, y + 2, NAVY)
    p.fill(x + 1, y + 1, x + 1, y + 1, WHITE)


def list_view():
    """Bitmap 11: the list view, two columns of icons with names."""
    p = Picture(16, FACE)
    for column in (1, 9):
        for row in (2, 7, 12):
            small_icon(p, column, row)
            p.fill(column + 4, row + 1, column + 5, row + 1, BLACK)
    return p


def report_view():
    """Bitmap 12: the report view, a header above rows with a column rule."""
    p = Picture(16, FACE)
    p.fill(1, 1, 14, 2, GREY)
    p.fill(10, 1, 10, 14, GREY)
    for row in (4, 8, 12):
        small_icon(p, 1, row)
        p.fill(5, row + 1, 8, row + 1, BLACK)
        p.fill(12, row + 1, 13, row + 1, BLACK)
    return p


def document(p, left, top, right, bottom):
    p.fill(left, top, right, bottom, WHITE)
    p.frame(left, top, right, bottom, GREY)
    for y in range(top + 3, bottom - 1, 3):
        p.fill(left + 2, y, right - 2, y, PAPER_LINE)


def tray(p):
    """An open cardboard tray seen from the front, in the lower half."""
    p.fill(3, 17, 28, 28, CARD)
    p.fill(3, 17, 28, 18, CARD_LIGHT)
    p.frame(3, 17, 28, 28, CARD_DARK)
    p.fill(1, 14, 30, 16, CARD_DARK)  # the rim
    p.fill(2, 15, 29, 15, CARD_LIGHT)
    p.fill(11, 21, 20, 23, CARD_DARK)  # the handle slot
    p.fill(12, 22, 19, 22, BLACK)


def empty_selection():
    """Bitmap 13: nothing selected yet, an empty tray."""
    p = Picture(32, MAGENTA)
    tray(p)
    return p


def full_selection():
    """Bitmap 14: the selection holds entries, documents in the tray."""
    p = Picture(32, MAGENTA)
    document(p, 6, 3, 17, 16)
    document(p, 12, 1, 23, 16)
    p.fill(20, 6, 21, 7, YELLOW)
    tray(p)
    # A green tick on the tray.
    for step, (x, y) in enumerate([(22, 24), (23, 25), (24, 26), (25, 25), (26, 24), (27, 23), (28, 22), (29, 21)]):
        p.fill(x, y - 1, x + 1, y, GREEN)
    return p


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "dialogs", "bitmaps")
    os.makedirs(folder, exist_ok=True)
    for name, picture in (("ViewList.bmp", list_view()), ("ViewReport.bmp", report_view()),
                          ("SelectionEmpty.bmp", empty_selection()), ("SelectionFull.bmp", full_selection())):
        picture.save(os.path.join(folder, name))


if __name__ == "__main__":
    main()
