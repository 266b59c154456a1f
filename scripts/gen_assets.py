#!/usr/bin/env python3
"""Generate Lumbrel's bundled assets (icon, pictures, first-run guide, news chime, the
about box's logo and hand pointer).

Usage: python3 scripts/gen_assets.py OUTDIR

Everything is drawn procedurally with the standard library only, so the
output is byte-for-byte identical on every run and on every machine.
"""

import argparse
import math
import os
import struct


# ---------------------------------------------------------------------------
# Small colour helpers
# ---------------------------------------------------------------------------

def clamp(v):
    """Round and clamp a channel value to 0..255."""
    v = int(round(v))
    return 0 if v < 0 else 255 if v > 255 else v


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    """Linear blend of two RGB tuples, t in 0..1."""
    return tuple(lerp(x, y, t) for x, y in zip(c1, c2))


def scale(c, f):
    return tuple(x * f for x in c)


def band_shade(y, height):
    """Vertical shading factor that makes a strip look like a title bar:
    brighter near the top edge, slightly darker towards the bottom."""
    t = y / max(1, height - 1)
    return 1.18 - 0.38 * t


# ---------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------

def write_bmp24(path, width, height, pixel_fn):
    """Write an uncompressed 24-bit bottom-up BMP.

    pixel_fn(x, y) returns an (r, g, b) tuple with y = 0 at the *top*;
    the row flip required by the format is handled here.
    """
    row_size = (width * 3 + 3) & ~3          # rows are padded to 4 bytes
    pad = b"\0" * (row_size - width * 3)
    rows = []
    for y in range(height - 1, -1, -1):      # bottom row is stored first
        row = bytearray()
        for x in range(width):
            r, g, b = pixel_fn(x, y)
            row += bytes((clamp(b), clamp(g), clamp(r)))   # stored as BGR
        rows.append(bytes(row) + pad)
    data = b"".join(rows)
    offset = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info_header = struct.pack(
        "<IiiHHIIiiII",
        40, width, height, 1, 24, 0,        # size, w, h, planes, bpp, BI_RGB
        len(data), 2835, 2835, 0, 0)        # image size, 72 dpi, palette
    with open(path, "wb") as f:
        f.write(file_header + info_header + data)


def ico_dib(size, pixel_fn):
    """Build one 32-bit icon image: BITMAPINFOHEADER + BGRA + AND mask.

    pixel_fn(x, y) returns (r, g, b, a) with y = 0 at the top.
    The header height is doubled because an icon DIB carries the XOR
    (colour) bitmap followed by the 1-bpp AND (transparency) bitmap.
    """
    header = struct.pack("<IiiHHIIiiII",
                         40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    mask_row = ((size + 31) // 32) * 4       # 1-bpp rows padded to 4 bytes
    mask = bytearray()
    for y in range(size - 1, -1, -1):        # bottom-up like any DIB
        bits = bytearray(mask_row)
        for x in range(size):
            r, g, b, a = pixel_fn(x, y)
            a = clamp(a)
            xor += bytes((clamp(b), clamp(g), clamp(r), a))
            if a == 0:                       # fully transparent -> mask bit 1
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def write_ico(path, images):
    """Write a .ico file; images is a list of (size, dib_bytes)."""
    count = len(images)
    offset = 6 + 16 * count
    directory = bytearray(struct.pack("<HHH", 0, 1, count))
    blobs = bytearray()
    for size, dib in images:
        directory += struct.pack("<BBBBHHII",
                                 size & 0xFF, size & 0xFF, 0, 0, 1, 32,
                                 len(dib), offset + len(blobs))
        blobs += dib
    with open(path, "wb") as f:
        f.write(bytes(directory) + bytes(blobs))


# ---------------------------------------------------------------------------
# The application icon: a small window with a gradient title bar and a lamp
# ---------------------------------------------------------------------------

def icon_pixel_fn(size):
    s = size / 32.0                          # everything is designed at 32 px
    x0, y0, x1, y1 = 1 * s, 3 * s, 31 * s, 29 * s   # window outline
    radius = 3.5 * s
    bar_bottom = y0 + 9 * s
    deep_blue, teal = (20, 45, 150), (20, 175, 170)
    frame = (28, 36, 70)
    body_top, body_bot = (246, 248, 252), (206, 216, 232)
    sun_cx, sun_cy, sun_r = x0 + 6.2 * s, (y0 + bar_bottom) / 2, 2.6 * s
    btn_color = (235, 240, 250)

    def coverage(px, py):
        """Sampled coverage (0..1) of the rounded rectangle; 4x4 supersampling
        gives soft edges without any floating-point drift between runs."""
        hits = 0
        for sy in range(4):
            for sx in range(4):
                fx = px + (sx + 0.5) / 4
                fy = py + (sy + 0.5) / 4
                if not (x0 <= fx <= x1 and y0 <= fy <= y1):
                    continue
                cx = min(max(fx, x0 + radius), x1 - radius)
                cy = min(max(fy, y0 + radius), y1 - radius)
                if (fx - cx) ** 2 + (fy - cy) ** 2 <= radius * radius:
                    hits += 1
        return hits / 16.0

    def pixel(x, y):
        a = coverage(x, y)
        if a == 0:
            return (0, 0, 0, 0)
        fx, fy = x + 0.5, y + 0.5
        edge = min(fx - x0, x1 - fx, fy - y0, y1 - fy)
        if edge < 1.0 * max(1.0, s):
            col = frame                      # dark outline
        elif fy < bar_bottom:
            t = (fx - x0) / (x1 - x0)
            col = mix(deep_blue, teal, t)
            col = scale(col, band_shade(fy - y0, bar_bottom - y0))
            # the glowing "lamp": bright core with a warm halo
            d = math.hypot(fx - sun_cx, fy - sun_cy)
            if d <= sun_r:
                col = mix((255, 250, 200), (255, 205, 60), d / sun_r)
            elif d <= sun_r + 1.5 * s:
                # additive glow: blending towards yellow would turn the blue
                # bar grey, brightening it keeps the colour lively
                k = 1.0 - (d - sun_r) / (1.5 * s)
                col = tuple(c + g * k for c, g in zip(col, (120, 100, 30)))
            # two little caption buttons on the right
            for bx in (x1 - 5.5 * s, x1 - 10.5 * s):
                if (bx - 1.6 * s <= fx <= bx + 1.6 * s
                        and abs(fy - sun_cy) <= 1.6 * s):
                    col = btn_color
        elif fy < bar_bottom + 1 * s and size >= 32:
            col = (120, 140, 180)            # separator under the bar
        else:
            t = (fy - bar_bottom) / (y1 - bar_bottom)
            col = mix(body_top, body_bot, t)
            # a few "text lines" in the client area
            if size >= 32:
                for i, ln in enumerate((18, 16, 12)):
                    ly = bar_bottom + (4 + 4 * i) * s
                    if ly <= fy < ly + 1.5 * s and x0 + 4 * s <= fx <= x0 + (4 + ln) * s:
                        col = (150, 165, 195)
            else:
                ly = bar_bottom + 3 * s + 1
                if ly <= fy < ly + 1 and x0 + 3 <= fx <= x1 - 4:
                    col = (150, 165, 195)
        return col + (a * 255,)

    return pixel


# ---------------------------------------------------------------------------
# Caption pictures
# ---------------------------------------------------------------------------

LUM1_BANDS = [
    ((20, 50, 160), (20, 150, 200)),        # blue -> cyan
    ((25, 110, 40), (170, 160, 20)),        # green -> yellow
    ((200, 100, 20), (170, 25, 25)),        # orange -> red
    ((90, 30, 140), (185, 50, 125)),        # purple -> pink
    ((15, 125, 120), (15, 30, 95)),         # teal -> navy
]
BAND_H = 18


def lum1_pixel(x, y):
    """Five 18-pixel bands, top to bottom, each a horizontal gradient
    with vertical shading. Colours stay mid-dark so white text reads well."""
    left, right = LUM1_BANDS[y // BAND_H]
    col = mix(left, right, x / 63.0)
    return scale(col, band_shade(y % BAND_H, BAND_H))


def sky_pixel(x, y):
    # deep blue at the top fading to a lighter blue near the horizon
    col = mix((25, 65, 150), (80, 140, 205), y / 17.0)
    # a few soft cloud blobs; each is a small cluster of overlapping circles
    clouds = [(9, 6, 3.2), (13, 7, 2.6), (6, 8, 2.2),
              (34, 10, 3.0), (38, 9, 3.4), (42, 11, 2.4),
              (55, 5, 2.4), (58, 6, 2.0)]
    cover = 0.0
    for cx, cy, r in clouds:
        d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
        if d < r:
            cover = max(cover, min(1.0, (r - d) / 1.5))
    # clouds are kept semi-opaque so white caption text is still legible
    return mix(col, (235, 240, 250), 0.75 * cover)


def wood_pixel(x, y):
    # grain lines: a sine over y, bent by slower sines over x
    warp = 2.2 * math.sin(x * 0.11) + 0.8 * math.sin(x * 0.37 + 1.3)
    grain = math.sin((y + warp) * 1.25)
    fine = math.sin(x * 0.9 + y * 2.3) * 0.15
    t = 0.5 + 0.5 * grain + fine
    col = mix((70, 38, 18), (135, 80, 40), max(0.0, min(1.0, t)))
    return scale(col, band_shade(y, 18) * 0.95)


def check_pixel(x, y):
    # 8x6 checks: 32 is a whole number of 16-pixel periods, so the picture
    # tiles seamlessly along the caption
    dark = ((x // 8) + (y // 6)) % 2 == 0
    col = (40, 60, 90) if dark else (70, 100, 140)
    return scale(col, band_shade(y, 18))


def stripes_pixel(x, y):
    # 45-degree stripes with a period of 8 pixels (48 divides evenly, so the
    # picture tiles seamlessly horizontally)
    k = (x + y) % 8
    col = (120, 30, 40) if k < 4 else (60, 20, 30)
    if k in (0, 4):                          # soften the stripe edges
        col = mix(col, (90, 25, 35), 0.5)
    return scale(col, band_shade(y, 18))


# ---------------------------------------------------------------------------
# First-run guide (Japanese, stored as UTF-8 with a byte-order mark and CR LF line ends: every
# notepad since Windows 2000 reads it so, whatever the system's code page)
# ---------------------------------------------------------------------------

GUIDE_LINES = [
    "Lumbrel はじめに",
    "================",
    "",
    "Lumbrel は、ほかのプログラムのタイトルバーを飾るツールです。",
    "180 ミリ秒ごとに、前面にあるウィンドウのタイトルバーを描き直します。",
    "  ・背景の画像を並べて表示し、アイコンとボタンを描きます。",
    "  ・タイトルは選んだ色・太さ・位置（左／中央／右）で表示し、縁取りもできます。",
    "  ・時計を表示できます。書式は多数あり、和暦（令和・平成など）にも対応します。",
    "  ・ニュースのテロップ（ティッカー）を流すことができます。",
    "",
    "Lumbrel にはメインウィンドウがありません。",
    "通知領域（タスクトレイ）のアイコンとして常駐します。",
    "  ・右クリック：メニューを表示します。",
    "  ・左クリック：設定ダイアログを開きます。",
    "",
    "設定は lumbrel.exe と同じフォルダーの LUM.ini に保存されます。",
    "（初めて起動したときに作成されます。）",
    "",
    "Lum1.bmp が標準の背景画像です。Texture フォルダーにほかの画像もあります。",
    "News フォルダーにはニュースのチャンネルファイル（*.news）を置きます。",
    "",
    "終了するには、トレイのメニューから「終了(&Q)」を選びます。",
]


def write_guide(path):
    text = "".join(line + "\r\n" for line in GUIDE_LINES)
    data = text.encode("utf-8-sig", errors="strict")
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------------------
# The news chime: 16-bit stereo PCM at 22,050 Hz, 55,684 data bytes (about 0.63 s)
# ---------------------------------------------------------------------------

CHIME_RATE = 22050
CHIME_FRAMES = 55684 // 4


def chime_sample(i):
    """Two bell-like notes (E6 then B5), each a decaying sine with a soft overtone."""
    t = i / CHIME_RATE
    value = 0.0
    for start, freq in ((0.0, 1318.5), (0.16, 987.8)):
        if t >= start:
            u = t - start
            envelope = math.exp(-u * 7.0) * min(1.0, u * 400.0)
            value += envelope * (math.sin(2 * math.pi * freq * u) + 0.3 * math.sin(2 * math.pi * 2 * freq * u))
    # Fade the last 20 ms so the sound ends without a click.
    tail = (CHIME_FRAMES - i) / (CHIME_RATE * 0.02)
    return value * min(1.0, tail) * 0.35


def write_chime(path):
    frames = bytearray()
    for i in range(CHIME_FRAMES):
        left = int(round(max(-1.0, min(1.0, chime_sample(i))) * 32767))
        # A slight delay on the right channel widens the sound a little.
        right = int(round(max(-1.0, min(1.0, chime_sample(max(0, i - 40)))) * 32767))
        frames += struct.pack("<hh", left, right)
    assert len(frames) == 55684
    fmt = struct.pack("<HHIIHH", 1, 2, CHIME_RATE, CHIME_RATE * 4, 4, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(frames)) + frames
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


# ---------------------------------------------------------------------------
# The about box: the logo picture (309 x 75) and the hand pointer over its links
# ---------------------------------------------------------------------------

# 5 x 7 capitals, one string a row, "#" for ink.
GLYPHS = {
    "A": (".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"),
    "B": ("####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."),
    "C": (".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."),
    "D": ("####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."),
    "E": ("#####", "#....", "#....", "####.", "#....", "#....", "#####"),
    "I": (".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."),
    "L": ("#....", "#....", "#....", "#....", "#....", "#....", "#####"),
    "M": ("#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"),
    "N": ("#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"),
    "O": (".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."),
    "P": ("####.", "#...#", "#...#", "####.", "#....", "#....", "#...."),
    "R": ("####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"),
    "T": ("#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."),
    "U": ("#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."),
    " ": (".....",) * 7,
}


def text_ink(text, left, top, cell):
    """The set of pixels inked by TEXT in 5 x 7 capitals of CELL-pixel squares, one blank
    column of cells between letters."""
    ink = set()
    for i, ch in enumerate(text):
        x0 = left + i * 6 * cell
        for row, bits in enumerate(GLYPHS[ch]):
            for col, bit in enumerate(bits):
                if bit == "#":
                    for dy in range(cell):
                        for dx in range(cell):
                            ink.add((x0 + col * cell + dx, top + row * cell + dy))
    return ink


LOGO_W, LOGO_H = 309, 75


def logo_pixel_fn():
    """Our icon drawn large at the left, "LUMBREL" in the icon's blue-to-teal, and
    "CAPTION DECORATOR" under it, on the about box's white panel."""
    icon = icon_pixel_fn(48)
    icon_left, icon_top = 8, 13
    title_left = 72
    title = text_ink("LUMBREL", title_left, 10, 5)
    subtitle = text_ink("CAPTION DECORATOR", title_left + 1, 55, 2)
    white = (255, 255, 255)
    deep_blue, teal = (20, 45, 150), (20, 175, 170)
    title_right = title_left + (7 * 6 - 1) * 5

    def pixel(x, y):
        if (x, y) in title:
            col = mix(deep_blue, teal, (x - title_left) / (title_right - title_left))
            return scale(col, band_shade(y - 10, 35))
        if (x - 3, y - 3) in title:          # a soft shadow under the letters
            return (214, 220, 232)
        if (x, y) in subtitle:
            return (110, 120, 140)
        if icon_left <= x < icon_left + 48 and icon_top <= y < icon_top + 48:
            r, g, b, a = icon(x - icon_left, y - icon_top)
            return mix(white, (r, g, b), a / 255.0)
        return white

    return pixel


# The pointing hand: "#" outline, "." white fill, blanks transparent. The tip of the
# finger (column 5, row 0) is the hot spot.
HAND = (
    "    ##",
    "   #..#",
    "   #..#",
    "   #..#",
    "   #..#",
    "   #..###",
    "   #..#..###",
    "   #..#..#..##",
    "## #..#..#..#.#",
    "#..##........#.#",
    "#...#..........#",
    " #.............#",
    "  #............#",
    "  #...........#",
    "   #..........#",
    "   #.........#",
    "    #........#",
    "    #........#",
    "    ##########",
)
HAND_HOTSPOT = (5, 0)


def write_cursor(path, rows, hotspot):
    """A monochrome 32 x 32 cursor file: a 2-colour DIB of XOR bits over AND (mask) bits."""
    size = 32
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 2)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    xor, mask = bytearray(), bytearray()
    for y in range(size - 1, -1, -1):        # bottom-up
        xor_row, mask_row = bytearray(4), bytearray(4)
        line = rows[y] if y < len(rows) else ""
        for x in range(size):
            ch = line[x] if x < len(line) else " "
            bit = 0x80 >> (x % 8)
            if ch == ".":
                xor_row[x // 8] |= bit       # white
            elif ch != "#":
                mask_row[x // 8] |= bit      # transparent; "#" stays black
        xor += xor_row
        mask += mask_row
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1) + struct.pack(
        "<BBBBHHII", size, size, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + image)


# ---------------------------------------------------------------------------

def generate(outdir):
    tex = os.path.join(outdir, "Texture")
    os.makedirs(tex, exist_ok=True)

    write_ico(os.path.join(outdir, "lumbrel.ico"),
              [(n, ico_dib(n, icon_pixel_fn(n))) for n in (16, 32)])
    write_bmp24(os.path.join(outdir, "Lum1.bmp"), 64, 90, lum1_pixel)
    write_bmp24(os.path.join(tex, "Sky.bmp"), 64, 18, sky_pixel)
    write_bmp24(os.path.join(tex, "Wood.bmp"), 64, 18, wood_pixel)
    write_bmp24(os.path.join(tex, "Check.bmp"), 32, 18, check_pixel)
    write_bmp24(os.path.join(tex, "Stripes.bmp"), 48, 18, stripes_pixel)
    write_guide(os.path.join(outdir, "はじめに.txt"))
    write_chime(os.path.join(outdir, "news.wav"))
    write_bmp24(os.path.join(outdir, "about_logo.bmp"), LOGO_W, LOGO_H, logo_pixel_fn())
    write_cursor(os.path.join(outdir, "hand.cur"), HAND, HAND_HOTSPOT)


def main():
    parser = argparse.ArgumentParser(description="Generate Lumbrel assets.")
    parser.add_argument("outdir", help="directory to write the files into")
    args = parser.parse_args()
    generate(args.outdir)


if __name__ == "__main__":
    main()
