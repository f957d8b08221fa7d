#!/usr/bin/env python3
"""Fills a form description template: each line ending in '{@BITMAP name.pix@}' gets the BMP
made from that pixel source, as hexadecimal lines the way descriptions write binary data."""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pix2bmp  # noqa: E402

PLACEHOLDER = re.compile(r"^( *)(.*)\{@BITMAP ([^@]+)@\}$")


def main(template, output):
    base = os.path.dirname(os.path.abspath(template))
    lines = []
    with open(template, encoding="utf-8") as f:
        for line in f.read().split("\n"):
            m = PLACEHOLDER.match(line)
            if not m:
                lines.append(line)
                continue
            indent, head, source = m.groups()
            data = pix2bmp.bmp(pix2bmp.read_pix(os.path.join(base, source))).hex().upper()
            chunks = [data[i:i + 64] for i in range(0, len(data), 64)]
            lines.append(f"{indent}{head}{{")
            for i, chunk in enumerate(chunks):
                lines.append(f"{indent}  {chunk}" + ("}" if i == len(chunks) - 1 else ""))
    with open(output, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: embed_bitmap.py TEMPLATE OUTPUT")
    main(sys.argv[1], sys.argv[2])
