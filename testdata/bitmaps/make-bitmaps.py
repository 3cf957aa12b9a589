#!/usr/bin/env python3
# Writes the seeds of bitmapimage_fuzz: device-independent bitmaps as RT_BITMAP resources
# hold them (a BITMAPINFOHEADER, the colour table, the rows padded to 4 bytes; no file
# header), one of each depth the reader takes, in both row orders.
import struct


def dib(width, height, bits, colors, rows, used=0):
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, 0, 0, 0, used, 0)
    table = b"".join(struct.pack("<I", color) for color in colors)
    return header + table + b"".join(rows)


def padded(row):
    return row + b"\0" * (-len(row) % 4)


# 4 bits, bottom up: two 16x4 images, red over green, then blue.
four = dib(32, 4, 4, [0x000000, 0xFF0000, 0x00FF00, 0x0000FF],
           [padded(bytes([left] * 8 + [0x33] * 8)) for left in (0x22, 0x22, 0x11, 0x11)], 4)
# 8 bits, top down, 6x3, three colours used.
eight = dib(6, -3, 8, [0xFFFFFF, 0xFF00FF, 0x808080],
            [padded(bytes([y, 1, 2, 0, 1, 2])) for y in range(3)], 3)
# 24 bits, bottom up, 3x2: rows of 9 bytes padded to 12.
twentyfour = dib(3, 2, 24, [], [padded(bytes(range(16 * y, 16 * y + 9))) for y in range(2)])
# 32 bits, top down, 2x2.
thirtytwo = dib(2, -2, 32, [], [struct.pack("<II", 0x00112233, 0xFF445566), struct.pack("<II", 0, 0xFFFFFFFF)])

for name, data in (("four-bottom-up", four), ("eight-top-down", eight), ("twentyfour", twentyfour),
                   ("thirtytwo-top-down", thirtytwo)):
    with open(name + ".dib", "wb") as out:
        out.write(data)
