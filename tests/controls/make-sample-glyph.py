#!/usr/bin/env python3
"""Draws the sample form's edit-button glyph and prints it as a description's binary value.

A 16-colour strip of two 16x16 images (normal, then disabled): five small computers in a ring
joined by red lines. Paste the output after "Glyph.Data = " in SampleForm.txt.
"""
import math
import struct
import sys

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, TEAL, SILVER, GRAY, RED, AQUA, WHITE, OLIVE = 0, 4, 6, 7, 8, 9, 14, 15, 3
BACKGROUND = OLIVE


def bmp(pixels):
    height, width = len(pixels), len(pixels[0])
    row_bytes = (width // 2 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(pixels):
        line = bytearray(row[x] << 4 | row[x + 1] for x in range(0, width, 2))
        data.extend(line + b"\0" * (row_bytes - len(line)))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    return (struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset) +
            struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(data), 2835, 2835, 16, 0)
            + palette + bytes(data))


def line(img, x0, y0, x1, y1, colour):
    steps = max(abs(x1 - x0), abs(y1 - y0))
    for i in range(steps + 1):
        x = round(x0 + (x1 - x0) * i / steps)
        y = round(y0 + (y1 - y0) * i / steps)
        img[y][x] = colour


def network():
    img = [[BACKGROUND] * 16 for _ in range(16)]
    centres = []
    for k in range(5):
        a = math.radians(-90 + 72 * k)
        centres.append((round(7.5 + 5.5 * math.cos(a)), round(7.5 + 5.3 * math.sin(a))))
    for k in range(5):
        (x0, y0), (x1, y1) = centres[k], centres[(k + 1) % 5]
        line(img, x0, y0, x1, y1, RED)
    computer = ["NNNN", "NAAN", "NNNN", " GG "]
    colours = {"N": NAVY, "A": AQUA, "G": GRAY}
    for cx, cy in centres:
        left, top = min(max(cx - 2, 0), 12), min(max(cy - 2, 0), 12)
        for dy, row in enumerate(computer):
            for dx, ch in enumerate(row):
                if ch != " ":
                    img[top + dy][left + dx] = colours[ch]
    return img


def disabled(img):
    out = [[BACKGROUND] * 16 for _ in range(16)]
    for y in range(15):
        for x in range(15):
            if img[y][x] != BACKGROUND:
                out[y + 1][x + 1] = WHITE
    for y in range(16):
        for x in range(16):
            if img[y][x] != BACKGROUND:
                out[y][x] = GRAY
    return out


if __name__ == "__main__":
    normal = network()
    grey = disabled(normal)
    data = bmp([normal[y] + grey[y] for y in range(16)]).hex().upper()
    indent = " " * int(sys.argv[1] if len(sys.argv) > 1 else 8)
    chunks = [data[i:i + 64] for i in range(0, len(data), 64)]
    print("{")
    for i, chunk in enumerate(chunks):
        print(indent + chunk + ("}" if i == len(chunks) - 1 else ""))
