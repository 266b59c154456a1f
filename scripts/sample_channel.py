#!/usr/bin/env python3
"""Writes the sample news channel that ships with the program:

    sample_channel.py PROGRAM_FOLDER

News/Lumbrel.news is a 100 x 35 24-bit BMP of our own carrying the channel record (name, home
page, news address) between its headers and its pixels, as the program's channel reader expects:
the record in CP932, the old pixel offset (4 bytes, little-endian) and the marker "M", with the
file's size and pixel offset moved on. Lumbrel.txt beside the program is the channel's local news
text, read when the news come from local files.
"""
import os
import struct
import sys

WIDTH, HEIGHT = 100, 35
RECORD = "Lumbrel#https://lumbrel.invalid/#lumbrel.invalid/news.txt"
NEWS_TEXT = (
    "Lumbrelへようこそ。これはﾆｭｰｽ表示のｻﾝﾌﾟﾙです。\r\n"
    "設定画面でﾆｭｰｽ表示をｵﾝにすると、ﾀｲﾄﾙﾊﾞｰにこの文章が流れます。\r\n"
    "ﾁｬﾝﾈﾙは News ﾌｫﾙﾀﾞの .news ﾌｧｲﾙで追加できます。\r\n"
)


def pixel(x, y):
    """A dark blue frame around a band of warm stripes with a pale square: our channel mark."""
    if x < 2 or y < 2 or x >= WIDTH - 2 or y >= HEIGHT - 2:
        return (40, 70, 150)
    if 8 <= x < 35 and 6 <= y < 29:
        return (245, 245, 230)
    return (230, 120, 40) if (x - y) // 5 % 2 else (250, 190, 80)


def channel_file():
    stride = (WIDTH * 3 + 3) & ~3
    rows = bytearray()
    for y in range(HEIGHT - 1, -1, -1):
        row = b"".join(bytes(pixel(x, y)[::-1]) for x in range(WIDTH))
        rows += row + b"\0" * (stride - len(row))
    record = RECORD.encode("cp932") + struct.pack("<I", 54) + b"M"
    offset = 54 + len(record)
    size = offset + len(rows)
    header = struct.pack("<2sIHHI", b"BM", size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return header + info + record + bytes(rows)


def main():
    folder = sys.argv[1]
    os.makedirs(os.path.join(folder, "News"), exist_ok=True)
    with open(os.path.join(folder, "News", "Lumbrel.news"), "wb") as f:
        f.write(channel_file())
    with open(os.path.join(folder, "Lumbrel.txt"), "wb") as f:
        f.write(NEWS_TEXT.encode("cp932"))


if __name__ == "__main__":
    main()
