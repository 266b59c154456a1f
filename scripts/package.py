#!/usr/bin/env python3
"""What the portable zip and the installer are made from, out of the program folder:

    package.py arch EXE                    prints i686 or x86_64: the machine lumbrel.exe is for
    package.py zip FOLDER ZIP              the folder as ZIP, every file under the folder's name
    package.py nsh FOLDER NSH              the installer's file lists as NSIS macros
    package.py wizard BMP                  the picture of the installer's first and last pages

The zip stores names in UTF-8 with the flag that says so, which Windows Explorer, 7-Zip and
unzip all read, so はじめに.txt keeps its name on every system.

The file lists: LumInstallFiles puts each file in place (channels in News only where the user
has none of that name, so an upgrade keeps the user's channels), LumCheckFiles sets $0 when a
program file that is there cannot be replaced, and LumRemoveFiles deletes the program files and
the folders they leave empty. The channels and LUM.ini are the user's and in none of the lists.
"""
import os
import struct
import sys
import time
import zipfile

CHANNELS = "News"


def arch(exe):
    data = open(exe, "rb").read(4096)
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe : pe + 4] != b"PE\0\0":
        sys.exit(f"package: {exe} is not a Windows program")
    (machine,) = struct.unpack_from("<H", data, pe + 4)
    names = {0x14C: "i686", 0x8664: "x86_64"}
    if machine not in names:
        sys.exit(f"package: {exe} is for machine {machine:#x}")
    print(names[machine])


def program_files(folder):
    """Every file under the folder, as sorted relative paths with forward slashes."""
    found = []
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        for name in sorted(files):
            found.append(os.path.relpath(os.path.join(root, name), folder).replace(os.sep, "/"))
    return found


def write_zip(folder, target):
    top = os.path.basename(os.path.normpath(folder))
    partial = target + ".part"
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for rel in program_files(folder):
            archive.write(os.path.join(folder, rel), f"{top}/{rel}")
    os.replace(partial, target)


def nsis_text(text, prefix=""):
    """A double-quoted NSIS string: the prefix as it is (a variable, say), then the text with $
    and the quote characters escaped."""
    return '"' + prefix + text.replace("$", "$$").replace('"', '$\\"').replace("`", "$\\`") + '"'


def in_instdir(rel):
    """The file's place under the installation folder, as an NSIS string."""
    return nsis_text(rel.replace("/", "\\"), "$INSTDIR\\" if rel else "$INSTDIR")


def write_nsh(folder, target):
    source = os.path.abspath(folder)
    files = program_files(folder)
    program = [f for f in files if f.split("/")[0] != CHANNELS]
    channels = [f for f in files if f.split("/")[0] == CHANNELS]

    lines = ["; Written by scripts/package.py from the program folder; do not edit.", ""]
    lines.append("!macro LumInstallFiles")
    where = None
    for rel in program + channels:
        if rel == next(iter(channels), None):
            lines.append("  SetOverwrite off")
        if os.path.dirname(rel) != where:
            where = os.path.dirname(rel)
            lines.append(f"  SetOutPath {in_instdir(where)}")
        lines.append(f"  File {nsis_text(os.path.join(source, rel))}")
    if channels:
        lines.append("  SetOverwrite on")
    lines += ['  SetOutPath "$INSTDIR"', "!macroend", ""]

    lines.append("!macro LumCheckFiles")
    lines += [f"  !insertmacro LumCheckReplaceable {in_instdir(rel)}" for rel in program]
    lines += ["!macroend", ""]

    lines.append("!macro LumRemoveFiles")
    lines += [f"  Delete {in_instdir(rel)}" for rel in program]
    folders = {os.path.dirname(rel) for rel in program} - {""}
    lines += [f"  RMDir {in_instdir(sub)}" for sub in sorted(folders, key=len, reverse=True)]
    lines += ["!macroend", ""]

    with open(target, "w", encoding="utf-8-sig", newline="\n") as out:
        out.write("\n".join(lines))


def write_wizard(target):
    """164 x 314, as the wizard pages want it: Lumbrel's blue deepening downwards, crossed by the
    five caption-high bands of the default title-bar picture."""
    width, height = 164, 314
    bands = [(214, 96, 54), (230, 160, 40), (90, 170, 70), (60, 130, 200), (150, 80, 170)]
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(width):
            if 120 <= y < 120 + 5 * 12:
                r, g, b = bands[(y - 120) // 12]
                shade = 0.75 + 0.25 * x / width
                colour = (int(r * shade), int(g * shade), int(b * shade))
            else:
                t = y / height
                colour = (int(30 + 20 * t), int(60 + 30 * t), int(150 - 70 * t))
            row += bytes(colour[::-1])
        rows.append(bytes(row) + b"\0" * (stride - len(row)))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(target, "wb") as out:
        out.write(header + info + pixels)


def main(argv):
    commands = {"arch": (arch, 1), "zip": (write_zip, 2), "nsh": (write_nsh, 2), "wizard": (write_wizard, 1)}
    if len(argv) < 2 or argv[1] not in commands or len(argv) - 2 != commands[argv[1]][1]:
        sys.exit(__doc__)
    commands[argv[1]][0](*argv[2:])


if __name__ == "__main__":
    main(sys.argv)
