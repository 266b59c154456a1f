#!/usr/bin/env python3
"""Draws the picture of the test's news channel, a plain 24-bit BMP of 100 x 35 pixels:

    channel_picture.py OUT.bmp

The channel file itself is made from it by the program's own writer (e2e_probe channel).
"""
import struct
import sys

WIDTH, HEIGHT = 100, 35


def picture_pixel(x, y):
    """Our channel picture: a frame, diagonal bands and a block of colours found nowhere else on a
    Wine desktop (every pixel of it differs from its neighbours, so a copy of it is easy to find)."""
    if x < 2 or y < 2 or x >= WIDTH - 2 or y >= HEIGHT - 2:
        return (20, 60, 160)
    if 60 <= x < 94 and 6 <= y < 29:
        return (97 + 3 * (x - 60), 211 - 5 * (y - 6), 13 + 7 * ((x + y) % 17))
    return (240, 150, 30) if (x + y) // 6 % 2 else (250, 220, 90)


def make_picture():
    stride = (WIDTH * 3 + 3) & ~3
    rows = bytearray()
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up, as BMP files store them
        row = b"".join(bytes(picture_pixel(x, y)[::-1]) for x in range(WIDTH))
        rows += row + b"\0" * (stride - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return header + info + bytes(rows)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], "wb") as f:
        f.write(make_picture())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
