#!/usr/bin/env python3
"""Lists the entries of a compiled HTML Help (.chm) file, one name a line.

Reads the ITSF header, the ITSP directory header it points to and every PMGL listing
chunk of the directory, in chunk order (PMGI index chunks are skipped; the first/last
listing chunk numbers in the ITSP header are not relied on, as chmcmd writes them wrong
when the listing spans several chunks). A listing entry is: name length, name (UTF-8),
content section, offset and length, each number an ENCINT (7 bits a byte, most
significant first, the top bit set on every byte but the last). Exits with 1 and a
message on anything malformed.

Usage: chm_list.py FILE
"""
import struct
import sys


class ChmError(Exception):
    pass


def read_encint(data, pos, end):
    """Returns (value, next position) of the ENCINT at data[pos]."""
    value = 0
    while True:
        if pos >= end:
            raise ChmError("an encoded integer runs past the end of its chunk")
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def list_entries(data):
    if len(data) < 0x58 or data[0:4] != b"ITSF":
        raise ChmError("no ITSF signature")
    version, = struct.unpack_from("<I", data, 4)
    if version not in (2, 3):
        raise ChmError(f"unknown ITSF version {version}")
    dir_offset, dir_len = struct.unpack_from("<QQ", data, 0x48)
    if dir_offset + 0x54 > len(data) or dir_offset + dir_len > len(data):
        raise ChmError("the directory lies outside the file")

    if data[dir_offset:dir_offset + 4] != b"ITSP":
        raise ChmError("no ITSP directory header")
    itsp_len, _, chunk_size = struct.unpack_from("<III", data, dir_offset + 8)
    chunk_count, = struct.unpack_from("<I", data, dir_offset + 0x2C)
    if chunk_size < 0x20 or chunk_count == 0:
        raise ChmError("bad directory chunk size or count")
    chunks_at = dir_offset + itsp_len
    if chunks_at + chunk_size * chunk_count > len(data):
        raise ChmError("the directory chunks run past the end of the file")

    names = []
    for chunk in range(chunk_count):
        start = chunks_at + chunk * chunk_size
        signature = data[start:start + 4]
        if signature == b"PMGI":
            continue
        if signature != b"PMGL":
            raise ChmError(f"directory chunk {chunk} has no PMGL/PMGI signature")
        free_space, = struct.unpack_from("<I", data, start + 4)
        if free_space > chunk_size - 0x14:
            raise ChmError(f"chunk {chunk} has a bad free space length")
        pos, end = start + 0x14, start + chunk_size - free_space
        while pos < end:
            name_len, pos = read_encint(data, pos, end)
            if pos + name_len > end:
                raise ChmError(f"a name runs past the end of chunk {chunk}")
            names.append(data[pos:pos + name_len].decode("utf-8", errors="replace"))
            pos += name_len
            for _ in range(3):  # content section, offset, length
                _, pos = read_encint(data, pos, end)
    return names


def main(argv):
    if len(argv) != 2:
        print("usage: chm_list.py FILE", file=sys.stderr)
        return 2
    try:
        with open(argv[1], "rb") as f:
            data = f.read()
        names = list_entries(data)
    except (OSError, ChmError, struct.error) as e:
        print(f"chm_list: {argv[1]}: {e}", file=sys.stderr)
        return 1
    for name in names:
        print(name)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
