#!/usr/bin/env python3
"""Makes a channel file: a BMP picture that carries the channel's record between its headers and
its pixels, so that the same file is both the channel's picture and its settings.

    make_channel.py SRC.bmp "Name#HomePage#Address" OUT.news
    make_channel.py - "Name#HomePage#Address" OUT.news     (our own 100 x 35 picture)
    make_channel.py --picture OUT.bmp                       (that picture alone, as a plain BMP)

Layout of the result (little-endian): the record's bytes in CP932 sit at H, the pixel-data offset
the picture had; H itself follows them as 32 bits, then the marker byte 0x4D; the pixel-data offset
at 10 becomes H + N + 5 and the size field at 2 the file's length. A source that already carries a
record has it replaced, not nested.
"""
import struct
import sys

MARKER = 0x4D
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


def with_record(bmp, record):
    if bmp[:2] != b"BM" or len(bmp) < 14:
        raise ValueError("the source is no BMP picture")
    text = record.strip(" ").encode("cp932")
    if not text:
        raise ValueError("the record is empty")
    offset, = struct.unpack_from("<I", bmp, 10)
    if not 14 <= offset <= len(bmp):
        raise ValueError(f"pixel-data offset {offset} outside the file")
    headers_end = offset
    if bmp[offset - 1] == MARKER:  # an earlier record: keep the headers before it
        headers_end, = struct.unpack_from("<I", bmp, offset - 5)
        if not 14 <= headers_end <= offset - 5:
            raise ValueError("the source's record is damaged")
    headers = bytearray(bmp[:headers_end])
    struct.pack_into("<I", headers, 10, headers_end + len(text) + 5)
    out = headers + text + struct.pack("<IB", headers_end, MARKER) + bmp[offset:]
    struct.pack_into("<I", out, 2, len(out))
    return bytes(out)


def main(argv):
    if len(argv) == 3 and argv[1] == "--picture":
        open(argv[2], "wb").write(make_picture())
        return 0
    if len(argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    source, record, target = argv[1:]
    bmp = make_picture() if source == "-" else open(source, "rb").read()
    try:
        data = with_record(bmp, record)
    except ValueError as error:
        sys.stderr.write(f"make_channel: {error}\n")
        return 1
    open(target, "wb").write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
