#!/usr/bin/env python3
# Writes dwarf1-sample.elf: a small 32-bit little-endian ARM program whose debugging
# information is DWARF 1.1 (".debug", ".line", ".debug_srcinfo", ".debug_sfnames",
# ".debug_loc_ext"), as the tool chains of the time wrote it. No packaged compiler emits
# DWARF 1.1 any more, so the file is put together here from the format's description:
#
#   .text            0x1000, 0x40 bytes of code in one loadable segment
#   .debug           a compile unit "src/dwarf1.c" (0x1000-0x1040, C, line table at 0,
#                    source information at 0), a padding entry, a global subroutine
#                    "main" (int, 0x1000-0x1020), a local "count" (pointer to unsigned int,
#                    base register 13 plus 8), a local "i" with a location list, an array
#                    type int[0:9] of char, an enumeration "color" (RED 0, GREEN 1, BLUE 2),
#                    a global "table" of that array type at 0x2000, a global "limit" of
#                    the const-modified enumeration, then a length of 0 and bytes that are
#                    no entry
#   .line            one table at 0x1000: lines 3 (no column), 4 (column 5), 6 (column 1)
#   .debug_srcinfo   one record: the unit's lines and names, two files
#   .debug_sfnames   "src/dwarf1.c", "src/dwarf1.h"
#   .debug_loc_ext   "i": register 4 in [0, 8), base register 13 plus 4 in [8, 0x20)
#   .debug_info      a DWARF 2 unit as well, which the dump must leave out for ".debug"
#
# The output is committed; run this only to change the sample.
import os, struct

from elfwriter import write_elf

def u16(v): return struct.pack("<H", v & 0xFFFF)
def u32(v): return struct.pack("<I", v & 0xFFFFFFFF)

def attr(code, value):
    form = code & 0xF
    out = u16(code)
    if form in (1, 2, 6): return out + u32(value)
    if form == 5: return out + u16(value)
    if form == 8: return out + value.encode() + b"\0"
    if form == 3: return out + u16(len(value)) + value
    if form == 4: return out + u32(len(value)) + value
    raise ValueError(code)

OP_REG, OP_BASEREG, OP_ADDR, OP_CONST, OP_ADD = 1, 2, 3, 4, 7
def op(o, v=None): return bytes([o]) + (u32(v) if v is not None else b"")

def entry(tag, attrs):
    body = u16(tag) + b"".join(attr(c, v) for c, v in attrs)
    return u32(len(body) + 4) + body

def debug_section():
    entries = []
    offsets = []
    def add(data):
        offsets.append(sum(len(e) for e in entries))
        entries.append(data)
    add(entry(0x11, [(0x0038, "src/dwarf1.c"), (0x0111, 0x1000), (0x0121, 0x1040), (0x0136, 2),
                     (0x0106, 0), (0x8006, 0), (0x8016, 0), (0x01B8, "/work"), (0x0258, "make-dwarf1.py")]))
    add(u32(6) + u16(0))  # padding
    main = len(offsets)
    add(b"")  # placeholder for main, whose sibling is known once the rest stands
    add(entry(0x0C, [(0x0038, "count"), (0x0063, bytes([1]) + u16(0x0009)),
                     (0x0023, op(OP_BASEREG, 13) + op(OP_CONST, 8) + op(OP_ADD))]))
    add(entry(0x0C, [(0x0038, "i"), (0x0055, 0x0007), (0x2E26, 0)]))
    array = len(offsets)
    subscripts = bytes([0]) + u16(0x0007) + u32(0) + u32(9) + bytes([8]) + u16(0x0055) + u16(0x0001)
    add(entry(0x01, [(0x00A3, subscripts)]))
    enum = len(offsets)
    elements = u32(2) + b"BLUE\0" + u32(1) + b"GREEN\0" + u32(0) + b"RED\0"
    add(entry(0x04, [(0x0038, "color"), (0x00B6, 4), (0x00F4, elements)]))
    return entries, offsets, main, array, enum

entries, offsets, main, array, enum = debug_section()
def rebuild():
    return [sum(len(e) for e in entries[:i]) for i in range(len(entries))]
main_entry = lambda sibling: entry(0x06, [(0x0012, sibling), (0x0038, "main"), (0x0055, 0x0007),
                                          (0x0111, 0x1000), (0x0121, 0x1020)])
entries[main] = main_entry(0)
offs = rebuild()
entries[main] = main_entry(offs[array])
offs = rebuild()
entries.append(entry(0x07, [(0x0038, "table"), (0x0072, offs[array]), (0x0023, op(OP_ADDR, 0x2000))]))
offs = rebuild()
entries.append(entry(0x07, [(0x0038, "limit"), (0x0083, bytes([3]) + u32(offs[enum])),
                            (0x0023, op(OP_ADDR, 0x2010))]))
debug = b"".join(entries) + u32(0) + b"\xAA" * 8

rows = [(3, 0xFFFF, 0), (4, 5, 8), (6, 1, 0x1C)]
line = u32(8 + 10 * len(rows)) + u32(0x1000) + b"".join(u32(l) + u16(c) + u32(d) for l, c, d in rows)
sfnames = b"src/dwarf1.c\0src/dwarf1.h\0"
srcinfo = u32(0) + u32(0) + u32(0x1000) + u32(0x1040) + u32(0) + u32(8) + u32(0) + u32(28) + u32(13) + \
    u32(0xFFFFFFFF) + u32(0)
loc_ext = u32(0) + u32(8) + u16(5) + op(OP_REG, 4) + \
    u32(8) + u32(0x20) + u16(11) + op(OP_BASEREG, 13) + op(OP_CONST, 4) + op(OP_ADD) + u32(0) + u32(0)
abbrev = bytes([1, 0x11, 0, 0x03, 0x08, 0, 0, 0])
info_body = u16(2) + u32(0) + bytes([4]) + bytes([1]) + b"dwarf2.c\0"
info = u32(len(info_body)) + info_body
text = bytes(range(0x40))

# name, type, flags, addr, contents
sections = [
    (".text", 1, 6, 0x1000, text),
    (".debug", 1, 0, 0, debug),
    (".line", 1, 0, 0, line),
    (".debug_srcinfo", 1, 0, 0, srcinfo),
    (".debug_sfnames", 1, 0, 0, sfnames),
    (".debug_loc_ext", 1, 0, 0, loc_ext),
    (".debug_info", 1, 0, 0, info),
    (".debug_abbrev", 1, 0, 0, abbrev),
]
out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "dwarf1-sample.elf")
write_elf(out, sections, [(0, 5)], 0x1000)
