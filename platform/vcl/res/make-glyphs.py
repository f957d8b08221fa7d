#!/usr/bin/env python3
"""Draws the standard button glyphs (BBOK.bmp, BBCANCEL.bmp) as 16-colour bitmaps.

Each file is a strip of two 16x16 images: the normal one, then the disabled one. The colour
of the bottom-left pixel is transparent when a button draws the glyph.
Run from this folder: ./make-glyphs.py
"""
import struct

# The 16 colours of the standard palette, as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GRAY, RED, LIME, YELLOW, BLUE, \
    FUCHSIA, AQUA, WHITE = range(16)
BACKGROUND = OLIVE


def write_bmp(path, pixels):
    """pixels: rows top to bottom of palette indices."""
    height, width = len(pixels), len(pixels[0])
    row_bytes = ((width + 1) // 2 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for x in range(0, width, 2):
            hi = row[x]
            lo = row[x + 1] if x + 1 < width else 0
            line.append(hi << 4 | lo)
        line.extend(b"\0" * (row_bytes - len(line)))
        data.extend(line)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(data), 2835, 2835, 16, 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + data)


def canvas():
    return [[BACKGROUND] * 16 for _ in range(16)]


def disabled(image):
    """Grey picture with a white relief, as disabled glyphs look."""
    out = canvas()
    for y in range(16):
        for x in range(16):
            if image[y][x] != BACKGROUND and x + 1 < 16 and y + 1 < 16:
                out[y + 1][x + 1] = WHITE
    for y in range(16):
        for x in range(16):
            if image[y][x] != BACKGROUND:
                out[y][x] = GRAY
    return out


def strip(normal):
    grey = disabled(normal)
    return [normal[y] + grey[y] for y in range(16)]


def ok_glyph():
    img = canvas()
    # A tick: short stroke down to the right, long stroke up to the right.
    stroke = [(2, 8), (3, 9), (4, 10), (5, 11), (6, 10), (7, 9), (8, 8), (9, 7), (10, 6),
              (11, 5), (12, 4), (13, 3)]
    for x, y in stroke:
        for dy in (0, 1, 2):
            img[y + dy - 1][x] = GREEN
        img[y - 1][x] = LIME
    return img


def cancel_glyph():
    img = canvas()
    for i in range(10):
        for x, y in ((3 + i, 3 + i), (12 - i, 3 + i)):
            img[y][x] = RED
            img[y][x + 1 if x < 13 else x] = RED
            if y + 1 < 14:
                img[y + 1][x] = MAROON
    return img


if __name__ == "__main__":
    write_bmp("BBOK.bmp", strip(ok_glyph()))
    write_bmp("BBCANCEL.bmp", strip(cancel_glyph()))
