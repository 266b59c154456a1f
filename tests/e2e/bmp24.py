"""Reads the 24-bit BMP files the end-to-end tests write and capture."""
import struct
import sys


def load(path):
    """Returns (width, height, rows): rows top to bottom, each width * 3 bytes of B, G, R."""
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        sys.exit(f"{path}: {bits}-bit, expected 24")
    stride = (width * 3 + 3) & ~3
    rows = abs(height)
    order = range(rows) if height < 0 else range(rows - 1, -1, -1)
    return width, rows, [data[offset + r * stride: offset + r * stride + width * 3] for r in order]
