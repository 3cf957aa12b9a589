#!/usr/bin/env python3
"""Writes selectimagesbitmap.cpp: bitmap 281, the images of the symbol selection tree.

Eight 16 x 16 images side by side, as a device-independent bitmap of 4 bits per pixel
(BITMAPINFOHEADER, 16 palette entries, rows bottom-up), on white, each outlined in black:
0 a grey dot (waiting, enumeration values), 1 a blue square (variable), 2 a yellow folder
(variable groups), 3 a green tag (labels), 4 a purple bar (sections, functions), 5 a grey
box of three rows (register blocks), 6 a cyan register, 7 a red register.

Run: python3 selectimages.py > selectimagesbitmap.cpp
"""
import struct

WIDTH, HEIGHT = 8 * 16, 16
palette = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, GREY, WHITE = 0, 8, 15
FILL = {0: GREY, 1: 12, 2: 11, 3: 10, 4: 5, 5: 7, 6: 14, 7: 9}


def inside(image, x, y):
    """Whether (x, y), y from the top, lies inside the image's shape."""
    if image == 0:
        return (x - 7.5) ** 2 + (y - 7.5) ** 2 <= 16
    if image == 1:
        return 4 <= x <= 11 and 4 <= y <= 11
    if image == 2:
        return (2 <= x <= 13 and 5 <= y <= 12) or (2 <= x <= 6 and y == 4)
    if image == 3:
        return 3 <= x <= 12 and 5 <= y <= 10 and x - 3 >= abs(y - 7.5) - 2
    if image == 4:
        return 2 <= x <= 13 and 6 <= y <= 9
    if image == 5:
        return 3 <= x <= 12 and 2 <= y <= 13
    return 3 <= x <= 12 and 5 <= y <= 10


def pixel(x, y):
    image, x = divmod(x, 16)
    if not inside(image, x, y):
        return WHITE
    edge = any(not inside(image, x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
    if image == 5 and y in (6, 9):
        edge = True
    return BLACK if edge else FILL[image]


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

print('// Bitmap 281 of Talvix, the selection tree\'s images, written by selectimages.py; do not edit.')
print('#include "selectimagesbitmap.h"')
print()
assert len(data) == 1128, 'selectimagesbitmap.h gives the size'
print('const unsigned char g_SelectImagesBitmap[1128] = {')
for i in range(0, len(data), 16):
    print('    ' + ', '.join('0x%02X' % b for b in data[i:i + 16]) + ',')
print('};')
