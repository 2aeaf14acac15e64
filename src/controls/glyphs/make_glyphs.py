#!/usr/bin/env python3
"""Draws the windows' small glyphs as PNG files beside this script.

Run once after changing a picture; the PNGs are kept in the repository. Every glyph's
top-left pixel carries its background colour, which the controls treat as transparent.
Only the standard library is used (zlib for the PNG data).
"""
import math
import os
import struct
import zlib

BACK = (255, 0, 255)
PALETTE = {
    ".": BACK,
    "K": (0, 0, 0),
    "W": (255, 255, 255),
    "S": (192, 192, 192),
    "D": (128, 128, 128),
    "G": (0, 160, 0),
    "g": (0, 96, 0),
    "R": (255, 0, 0),
    "r": (128, 0, 0),
    "Y": (255, 255, 0),
    "y": (160, 128, 0),
    "B": (0, 0, 128),
    "b": (64, 96, 224),
}


def write_png(path, rows):
    height = len(rows)
    width = len(rows[0])
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def from_art(art):
    lines = [l for l in art.strip("\n").split("\n")]
    width = len(lines[0])
    assert all(len(l) == width for l in lines), art
    return [[PALETTE[ch] for ch in l] for l in lines]


def canvas(w, h):
    return [[BACK] * w for _ in range(h)]


CHECK = """
................
................
..............g.
.............gG.
............gGg.
...........gGg..
..g.......gGg...
..gg.....gGg....
..gGg...gGg.....
...gGg.gGg......
....gGgGg.......
.....gGg........
......g.........
................
................
................
"""

QUESTION = """
....................
.......KKKKKK.......
.....KKYYYYYYKK.....
....KYYYYYYYYYYK....
...KYYYYKKKKYYYYK...
...KYYYK....KYYYK...
...KKKK.....KYYYK...
...........KYYYYK...
..........KYYYYK....
.........KYYYYK.....
........KYYYYK......
........KYYYK.......
........KYYYK.......
........KKKKK.......
....................
........KKKKK.......
........KYYYK.......
........KYYYK.......
........KKKKK.......
....................
"""

POINTER = """
................
.K..............
.KK.............
.KWK.......KKK..
.KWWK.....KK.KK.
.KWWWK.......KK.
.KWWWWK.....KK..
.KWWWWWK...KK...
.KWWWWWWK..KK...
.KWWWWKKKK......
.KWKWWK....KK...
.KK.KWWK...KK...
.K..KWWK........
.....KWWK.......
......KK........
"""

KEY = """
................
................
................
..KKKK..........
.KYYYYK.........
KYYKKYYK........
KYK..KYKKKKKKKK.
KYK..KYYYYYYYYYK
KYYKKYYKKKKYKYK.
.KYYYYK....KK.K.
..KKKK..........
................
................
................
................
................
"""


def cross():
    size = 17
    img = canvas(size, size)
    for y in range(size):
        for x in range(size):
            if not (2 <= x <= 14 and 2 <= y <= 14):
                continue
            d = min(abs(x - y), abs(x + y - 16))
            if d <= 1:
                img[y][x] = PALETTE["R"]
            elif d == 2:
                img[y][x] = PALETTE["r"]
    return img


def calendar():
    size = 17
    img = canvas(size, size)

    def sheet(x0, y0, w, h):
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                edge = x in (x0, x0 + w - 1) or y in (y0, y0 + h - 1)
                if edge:
                    img[y][x] = PALETTE["K"]
                elif y < y0 + 4:
                    img[y][x] = PALETTE["R"]
                elif (x - x0) % 2 == 0 and (y - y0) % 2 == 1:
                    img[y][x] = PALETTE["D"]
                else:
                    img[y][x] = PALETTE["W"]

    sheet(1, 1, 11, 11)
    sheet(5, 5, 12, 12)
    return img


def clock():
    size = 16
    img = canvas(size, size)
    cx = cy = 7.5
    for y in range(size):
        for x in range(size):
            r = math.hypot(x - cx, y - cy)
            if r <= 6.2:
                img[y][x] = PALETTE["W"]
            elif r <= 7.6:
                img[y][x] = PALETTE["K"]
    for y in range(3, 8):  # minute hand to twelve
        img[y][7] = PALETTE["K"]
    for x in range(8, 12):  # hour hand to three
        img[8][x] = PALETTE["K"]
    img[8][7] = PALETTE["K"]
    img[7][8] = PALETTE["r"]
    for x, y in ((7, 1), (14, 8), (7, 14), (1, 8)):
        img[y][x] = PALETTE["B"]
    return img


def triangles(count, pointing_left):
    w, h = 15, 12
    img = canvas(w, h)
    tri_w = 5
    start = (w - count * tri_w - (count - 1)) // 2
    for t in range(count):
        x0 = start + t * (tri_w + 1)
        for y in range(1, 11):
            dy = abs(y - 5.5)
            reach = int(dy)  # 0 in the middle rows, 4 at the ends
            for i in range(tri_w):
                # column i counts from the apex
                if i >= reach:
                    x = x0 + i if pointing_left else x0 + tri_w - 1 - i
                    img[y][x] = PALETTE["K"]
    return img


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    glyphs = {
        "check": from_art(CHECK),
        "cross": cross(),
        "question": from_art(QUESTION),
        "pointer": from_art(POINTER),
        "key": from_art(KEY),
        "calendar": calendar(),
        "clock": clock(),
        "left1": triangles(1, True),
        "left2": triangles(2, True),
        "right1": triangles(1, False),
        "right2": triangles(2, False),
    }
    for name, rows in glyphs.items():
        assert rows[0][0] == BACK, name
        write_png(os.path.join(here, name + ".png"), rows)


if __name__ == "__main__":
    main()
