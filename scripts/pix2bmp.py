#!/usr/bin/env python3
"""Turns a 16-colour pixel source (.pix) into a 4-bit BMP file.

A .pix file holds '#' comment lines, then one line per pixel row, top row first, one hex digit
per pixel naming a colour of the standard 16-colour palette:
  0 black  1 maroon  2 green  3 olive  4 navy  5 purple  6 teal  7 silver
  8 gray   9 red     A lime   B yellow C blue  D fuchsia E aqua F white
"""
import struct
import sys

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def read_pix(path):
    rows = []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            if any(c not in "0123456789ABCDEFabcdef" for c in line):
                sys.exit(f"{path}:{number}: expected hex digits 0-F only")
            rows.append([int(c, 16) for c in line])
    if not rows or any(len(r) != len(rows[0]) for r in rows):
        sys.exit(f"{path}: expected rows of one width")
    return rows


def bmp(rows):
    width, height = len(rows[0]), len(rows)
    stride = ((width + 1) // 2 + 3) & ~3
    body = b""
    for row in reversed(rows):  # BMP rows run bottom up
        packed = bytearray(stride)
        for x, c in enumerate(row):
            packed[x // 2] |= c << (4 if x % 2 == 0 else 0)
        body += bytes(packed)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(body), 3780, 3780, 16, 0)
    return header + info + palette + body


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: pix2bmp.py SOURCE.pix OUTPUT.bmp")
    data = bmp(read_pix(sys.argv[1]))
    with open(sys.argv[2], "wb") as out:
        out.write(data)
