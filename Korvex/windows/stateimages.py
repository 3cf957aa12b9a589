#!/usr/bin/env python3
"""Writes stateimagesbitmap.cpp: bitmap 130, the state images of the program-images list.

Two 16 x 16 images side by side, as a device-independent bitmap of 4 bits per pixel
(BITMAPINFOHEADER, 16 palette entries, rows bottom-up): 1 an empty check box, 2 a
checked one. Palette entry 9 is pure red (RGB 255, 0, 0), the list's mask colour 255,
and fills the outside of the boxes.

Run: python3 stateimages.py > stateimagesbitmap.cpp
"""
import struct

WIDTH, HEIGHT = 32, 16
palette = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, MASK, WHITE = 0, 9, 15


def pixel(x, y):
    """The palette index at (x, y), y counted from the top."""
    image, x = divmod(x, 16)
    if not (2 <= x <= 13 and 2 <= y <= 13):
        return MASK
    if x in (2, 13) or y in (2, 13):
        return BLACK
    checked = image == 1 and ((x - 4 == 8 - y and 4 <= x <= 6) or (x - 6 == y - 10 and 6 <= x <= 11)
                              or (x - 4 == 9 - y and 4 <= x <= 6) or (x - 6 == y - 11 and 6 <= x <= 11))
    return BLACK if checked else WHITE


rows = []
for y in reversed(range(HEIGHT)):
    row = bytearray()
    for x in range(0, WIDTH, 2):
        row.append(pixel(x, y) << 4 | pixel(x + 1, y))
    rows.append(bytes(row))
bits = b''.join(rows)
header = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 4, 0, len(bits), 0, 0, 16, 0)
colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
data = header + colours + bits

print('// Bitmap 130 of the symbol server\'s windows, written by stateimages.py; do not edit.')
print('#include "stateimagesbitmap.h"')
print()
assert len(data) == 360, 'stateimagesbitmap.h gives the size'
print('const unsigned char g_StateImagesBitmap[360] = {')
for i in range(0, len(data), 16):
    print('    ' + ', '.join('0x%02X' % b for b in data[i:i + 16]) + ',')
print('};')
