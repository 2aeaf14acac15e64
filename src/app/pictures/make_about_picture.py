#!/usr/bin/env python3
"""Draws the About box's picture (a note pad with ticked lines) as about.png beside this script.

Run once after changing the picture; the PNG is kept in the repository. Standard library only.
"""
import os
import struct
import zlib

W, H = 96, 112
SILVER = (192, 192, 192)
PAPER = (255, 255, 224)
EDGE = (0, 0, 0)
RULE = (128, 160, 224)
SPINE = (0, 96, 128)
TICK = (0, 128, 0)


def write_png(path, rows):
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    img = [[SILVER] * W for _ in range(H)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                img[y][x] = colour

    rect(14, 10, 86, 104, EDGE)  # shadowed outline
    rect(12, 8, 84, 102, EDGE)
    rect(13, 9, 83, 101, PAPER)
    rect(13, 9, 83, 20, SPINE)
    for ring in range(18, 80, 12):
        rect(ring, 5, ring + 3, 14, EDGE)
    for n, y in enumerate(range(30, 96, 12)):
        rect(36, y, 78, y + 1, RULE)
        rect(20, y - 6, 30, y + 1, EDGE)
        rect(21, y - 5, 29, y, PAPER)
        if n % 3 != 2:  # a tick on most boxes
            for i in range(4):
                img[y - 3 + i // 2][21 + i] = TICK
                img[y - 2 + i // 2][21 + i] = TICK
            for i in range(7):
                img[y - 2 - i][24 + i] = TICK
                img[y - 1 - i][24 + i] = TICK
    write_png(os.path.join(os.path.dirname(os.path.abspath(__file__)), "about.png"), img)


if __name__ == "__main__":
    main()
