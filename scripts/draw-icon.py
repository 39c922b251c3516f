#!/usr/bin/env python3
"""Draws the server's icon: an in/out board (a framed white board with rows
of names, each with a green "in" or red "out" marker), 32 x 32 pixels in the
16 standard colours, written as a .ico file.

    scripts/draw-icon.py server/shell/tesmar.ico
"""
import struct
import sys

# The 16-colour palette (B, G, R, 0) in the usual order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]  # (R, G, B)
BLACK, DARK_BLUE, GREY, DARK_GREY, RED, GREEN, WHITE, YELLOW = 0, 4, 7, 8, 9, 10, 15, 11

SIZE = 32


def draw():
    # None: transparent.
    px = [[None] * SIZE for _ in range(SIZE)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = colour

    # Frame and board.
    rect(2, 2, 29, 29, DARK_BLUE)
    rect(3, 3, 28, 28, BLACK)
    rect(4, 4, 27, 27, WHITE)
    # Title bar of the board.
    rect(4, 4, 27, 7, DARK_BLUE)
    rect(7, 5, 24, 6, YELLOW)
    # Rows: marker, then a name line.
    rows = [(10, GREEN), (14, RED), (18, GREEN), (22, GREEN)]
    for y, marker in rows:
        rect(6, y, 8, y + 2, marker)
        rect(11, y + 1, 25, y + 1, DARK_GREY)
    # A shadow on the right and bottom.
    rect(30, 4, 30, 30, DARK_GREY)
    rect(4, 30, 30, 30, DARK_GREY)
    return px


def ico(px):
    # Colour bits: 4 per pixel, rows bottom-up, each row 16 bytes.
    xor = bytearray()
    for y in range(SIZE - 1, -1, -1):
        row = px[y]
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            xor.append((hi << 4) | lo)
    # Mask: 1 bit per pixel, 1 = transparent, rows of 4 bytes.
    mask = bytearray()
    for y in range(SIZE - 1, -1, -1):
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if px[y][x] is None else 0)
        mask += struct.pack(">I", bits)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + bytes(xor) + bytes(mask)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return icondir + entry + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "server/shell/tesmar.ico"
    with open(out, "wb") as f:
        f.write(ico(draw()))
