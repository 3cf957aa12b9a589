#!/usr/bin/env python3
"""Writes watchimagesbitmap.cpp: bitmap 251, the images of the watch and locals trees.

Five 16 x 16 images side by side, as a device-independent bitmap of 4 bits per pixel
(BITMAPINFOHEADER, 16 palette entries, rows bottom-up), one per kind of item: 0 a plain
value (a filled diamond), 1 a pointer (an arrow), 2 a structure (braces), 3 an array
(brackets), 4 an expression (a question mark). The ground is white (entry 15).

Run: python3 watchimages.py > watchimagesbitmap.cpp
"""
import struct

COUNT = 5
WIDTH, HEIGHT = 16 * COUNT, 16
palette = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLUE, TEAL, GREEN, MAROON, BLACK, WHITE = 4, 6, 2, 1, 0, 15

# The pictures, drawn row by row from the top: '#' in the image's colour, '.' ground.
PICTURES = [
    (BLUE, [
        "................",
        "................",
        ".......#........",
        "......###.......",
        ".....#####......",
        "....#######.....",
        "...#########....",
        "..###########...",
        "...#########....",
        "....#######.....",
        ".....#####......",
        "......###.......",
        ".......#........",
        "................",
        "................",
        "................"]),
    (TEAL, [
        "................",
        "................",
        "................",
        "................",
        ".........#......",
        ".........##.....",
        ".........###....",
        "..###########...",
        "..############..",
        "..###########...",
        ".........###....",
        ".........##.....",
        ".........#......",
        "................",
        "................",
        "................"]),
    (GREEN, [
        "................",
        "................",
        "....##....##....",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "..#..........#..",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "....##....##....",
        "................",
        "................",
        "................"]),
    (MAROON, [
        "................",
        "................",
        "...####..####...",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "...####..####...",
        "................",
        "................",
        "................"]),
    (BLACK, [
        "................",
        "................",
        ".....#####......",
        "....##...##.....",
        "....##...##.....",
        ".........##.....",
        "........##......",
        ".......##.......",
        "......##........",
        "......##........",
        "................",
        "......##........",
        "......##........",
        "................",
        "................",
        "................"]),
]
assert len(PICTURES) == COUNT and all(len(rows) == 16 and all(len(r) == 16 for r in rows) for _, rows in PICTURES)


def pixel(x, y):
    """The palette index at (x, y), y counted from the top."""
    image, x = divmod(x, 16)
    colour, rows = PICTURES[image]
    return colour if rows[y][x] == '#' else WHITE


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

print('// Bitmap 251 of Talvix, written by watchimages.py; do not edit.')
print('#include "watchresources.h"')
print()
assert len(data) == 744, 'watchresources.h gives the size'
print('const unsigned char g_WatchImagesBitmap[744] = {')
for i in range(0, len(data), 16):
    print('    ' + ', '.join('0x%02X' % b for b in data[i:i + 16]) + ',')
print('};')
