#!/usr/bin/env python3
"""Write the plug-in's icon file.

Usage: make_icon.py OUTPUT.ico

The icon holds two images, 32 x 32 and 16 x 16, each a 16-colour
(4 bits per pixel) device-independent bitmap with a 1-bit AND mask, the
classic BMP-in-ICO layout that every resource compiler accepts.  The
picture is a server tower with a round blue badge carrying a white "g".

The output depends on nothing but this script: running it twice gives the
same bytes.  Only the standard library is used.
"""

import struct
import sys

# 16-colour palette (the usual VGA order), as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00),  # 0  black
    (0x80, 0x00, 0x00),  # 1  dark red
    (0x00, 0x80, 0x00),  # 2  dark green
    (0x80, 0x80, 0x00),  # 3  olive
    (0x00, 0x00, 0x80),  # 4  navy
    (0x80, 0x00, 0x80),  # 5  purple
    (0x00, 0x80, 0x80),  # 6  teal
    (0xC0, 0xC0, 0xC0),  # 7  light grey
    (0x80, 0x80, 0x80),  # 8  dark grey
    (0xFF, 0x00, 0x00),  # 9  red
    (0x00, 0xFF, 0x00),  # 10 green
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 magenta
    (0x00, 0xFF, 0xFF),  # 14 cyan
    (0xFF, 0xFF, 0xFF),  # 15 white
]

TRANSPARENT = None
BLACK, DARK_GREY, LIGHT_GREY, WHITE = 0, 8, 7, 15
NAVY, BLUE, GREEN, DARK_GREEN, YELLOW = 4, 12, 10, 2, 11

# The letter "g", '#' marks a pixel.
GLYPH_G_LARGE = [
    ".######",
    "##...##",
    "##...##",
    "##...##",
    "##...##",
    ".######",
    ".....##",
    "##...##",
    ".#####.",
]

GLYPH_G_SMALL = [
    ".##.#",
    "#..##",
    "#...#",
    "#..##",
    ".##.#",
    "....#",
    ".###.",
]


class Canvas:
    """A square grid of palette indexes; None is transparent."""

    def __init__(self, size):
        self.size = size
        self.pixels = [[TRANSPARENT] * size for _ in range(size)]

    def set(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = colour

    def fill_rect(self, x0, y0, x1, y1, colour):
        """Fill the rectangle with inclusive corners (x0, y0) and (x1, y1)."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def hline(self, x0, x1, y, colour):
        self.fill_rect(x0, y, x1, y, colour)

    def vline(self, x, y0, y1, colour):
        self.fill_rect(x, y0, x, y1, colour)

    def frame_rect(self, x0, y0, x1, y1, colour):
        self.hline(x0, x1, y0, colour)
        self.hline(x0, x1, y1, colour)
        self.vline(x0, y0, y1, colour)
        self.vline(x1, y0, y1, colour)

    def disc(self, cx2, cy2, r2, fill, edge):
        """A disc centred on (cx2 / 2, cy2 / 2) with radius r2 / 2.

        Coordinates are doubled so that the centre may fall between pixels
        while all arithmetic stays in integers.  Pixels within one pixel of
        the rim get the edge colour.
        """
        outer = r2 * r2
        inner = (r2 - 2) * (r2 - 2)
        for y in range(self.size):
            for x in range(self.size):
                dx = 2 * x + 1 - cx2
                dy = 2 * y + 1 - cy2
                d = dx * dx + dy * dy
                if d <= inner:
                    self.set(x, y, fill)
                elif d <= outer:
                    self.set(x, y, edge)

    def glyph(self, rows, x0, y0, colour):
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch == "#":
                    self.set(x0 + dx, y0 + dy, colour)


def draw_large():
    c = Canvas(32)
    # Server tower: bevelled grey box.
    c.fill_rect(4, 1, 20, 30, LIGHT_GREY)
    c.frame_rect(4, 1, 20, 30, BLACK)
    c.hline(5, 19, 2, WHITE)
    c.vline(5, 2, 29, WHITE)
    c.hline(5, 19, 29, DARK_GREY)
    c.vline(19, 3, 29, DARK_GREY)
    # Two drive bays.
    for y in (5, 10):
        c.fill_rect(7, y, 17, y + 3, DARK_GREY)
        c.hline(8, 16, y + 1, BLACK)
        c.hline(7, 17, y + 3, WHITE)
    # Power and activity lights.
    c.fill_rect(7, 15, 8, 16, GREEN)
    c.fill_rect(10, 15, 11, 16, YELLOW)
    # Ventilation slots.
    for y in (19, 21, 23, 25):
        c.hline(7, 13, y, DARK_GREY)
    # Badge with the letter.
    c.disc(47, 47, 17, BLUE, NAVY)
    c.glyph(GLYPH_G_LARGE, 20, 19, WHITE)
    return c


def draw_small():
    c = Canvas(16)
    c.fill_rect(1, 0, 10, 15, LIGHT_GREY)
    c.frame_rect(1, 0, 10, 15, BLACK)
    c.vline(2, 1, 14, WHITE)
    c.vline(9, 1, 14, DARK_GREY)
    for y in (2, 5):
        c.hline(3, 8, y, BLACK)
        c.hline(3, 8, y + 1, DARK_GREY)
    c.set(3, 8, GREEN)
    c.set(5, 8, YELLOW)
    c.disc(23, 23, 9, BLUE, NAVY)
    c.glyph(GLYPH_G_SMALL, 9, 8, WHITE)
    return c


def encode_image(canvas):
    """BITMAPINFOHEADER + palette + XOR bitmap + AND mask, rows bottom-up."""
    size = canvas.size
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4

    xor_rows = []
    and_rows = []
    for y in range(size - 1, -1, -1):
        row = canvas.pixels[y]
        xor = bytearray(xor_stride)
        mask = bytearray(and_stride)
        for x, colour in enumerate(row):
            if colour is TRANSPARENT:
                mask[x // 8] |= 0x80 >> (x % 8)
                colour = 0
            if x % 2 == 0:
                xor[x // 2] |= colour << 4
            else:
                xor[x // 2] |= colour
        xor_rows.append(bytes(xor))
        and_rows.append(bytes(mask))

    xor_data = b"".join(xor_rows)
    and_data = b"".join(and_rows)
    header = struct.pack(
        "<IiiHHIIiiII",
        40,                              # biSize
        size,                            # biWidth
        size * 2,                        # biHeight: XOR and AND halves
        1,                               # biPlanes
        4,                               # biBitCount
        0,                               # biCompression (BI_RGB)
        len(xor_data) + len(and_data),   # biSizeImage
        0, 0,                            # resolution
        16,                              # biClrUsed
        0,                               # biClrImportant
    )
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + xor_data + and_data


def build_icon():
    images = [(32, encode_image(draw_large())), (16, encode_image(draw_small()))]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack(
            "<BBBBHHII",
            size,       # width
            size,       # height
            16,         # colours in the palette
            0,          # reserved
            1,          # planes
            4,          # bits per pixel
            len(data),  # bytes in the image
            offset,     # where the image starts
        )
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icon.py OUTPUT.ico\n")
        return 2
    with open(argv[1], "wb") as f:
        f.write(build_icon())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
