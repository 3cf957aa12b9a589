#!/usr/bin/env python3
# Writes dwarf2-edges.elf: a 32-bit little-endian ARM file whose DWARF 2 debugging
# information holds, entry by entry, the cases a compiler writes rarely or never:
#
#   unit 1 "edges.c" (0x1000-0x1100, comp dir /tmp/edges, a line table of three rows and
#   an end of sequence):
#     base types "int", "fixed_t" (2 bytes, signed: no base-type row of that name) and
#     "_Bool" (1 byte, boolean); a typedef "int32" of int; a pointer without a type; a
#     2 by 3 array of int; a structure "nosize" without a byte size; a structure "bits"
#     of 4 bytes with the bit-field "f" (int32, byte size 2, bit offset 3, bit size 4)
#     and the member "g"; an enumeration "color" (RED 0, GREEN 1);
#     "leaf" (external, 0x1000-0x1020, frame base DW_OP_breg13 8) with the parameter
#     "x" (DW_OP_fbreg -4), the local "y" (a location list: r1 in [0x1000, 0x1008),
#     frame base + 4 in [0x1008, 0x1020)), the local "r" (r4), the label "again" at
#     0x1010, a block 0x1008-0x1018 holding "inner" (fbreg 0) and the static "counter"
#     at 0x2000, and after the block the static "after" at 0x2004;
#     "global_decl", declared and then defined through DW_AT_specification at 0x2008;
#     "nohigh" at 0x1040 without a high address; a nameless subprogram 0x1050-0x1060;
#     "after_fn" 0x1060-0x1070 with the parameter "p" in r0
#   unit 2 "second.c": "second" 0x1080-0x1090
#   unit 3 without a name
#   unit 4 of version 5, which no pass reads
#
# The output is committed; run this only to change the sample.
import os, struct

from elfwriter import write_elf

def u8(v): return bytes([v & 0xFF])
def u16(v): return struct.pack("<H", v & 0xFFFF)
def u32(v): return struct.pack("<I", v & 0xFFFFFFFF)
def uleb(v):
    out = b""
    while True:
        b = v & 0x7F
        v >>= 7
        if v: out += bytes([b | 0x80])
        else: return out + bytes([b])
def sleb(v):
    out = b""
    while True:
        b = v & 0x7F
        v >>= 7
        if (v == 0 and not b & 0x40) or (v == -1 and b & 0x40): return out + bytes([b])
        out += bytes([b | 0x80])

ADDR, DATA1, DATA2, DATA4, STRING, FLAG, REF4, BLOCK1, SDATA = 0x01, 0x0B, 0x05, 0x06, 0x08, 0x0C, 0x13, 0x0A, 0x0D
AT = dict(sibling=0x01, location=0x02, name=0x03, byte_size=0x0B, bit_offset=0x0C, bit_size=0x0D, stmt_list=0x10,
          low_pc=0x11, high_pc=0x12, comp_dir=0x1B, const_value=0x1C, upper_bound=0x2F, data_member_location=0x38,
          declaration=0x3C, encoding=0x3E, external=0x3F, frame_base=0x40, completes=0x47, type=0x49)

# An entry: (label, tag, [(attribute, form, value)], [children]); a REF4 value is a label.
def E(label, tag, attrs, children=None): return (label, tag, attrs, children)

abbrevs = {}
def abbrev_code(tag, children, attrs):
    key = (tag, children, tuple((AT[a], f) for a, f, _ in attrs))
    if key not in abbrevs: abbrevs[key] = len(abbrevs) + 1
    return abbrevs[key]

def value(form, v, labels):
    if form == ADDR or form == DATA4: return u32(v)
    if form == DATA1 or form == FLAG: return u8(v)
    if form == DATA2: return u16(v)
    if form == STRING: return v.encode() + b"\0"
    if form == REF4: return u32(labels.get(v, 0))
    if form == BLOCK1: return u8(len(v)) + v
    if form == SDATA: return sleb(v)
    raise ValueError(form)

def unit(entries, version=2):
    # Laid out twice: the sizes do not depend on the references, which the second pass fills.
    labels = {}
    for _ in range(2):
        body = b""
        def emit(e):
            nonlocal body
            label, tag, attrs, children = e
            if label: labels[label] = 11 + len(body)
            body += uleb(abbrev_code(tag, children is not None, attrs))
            for a, f, v in attrs: body += value(f, v, labels)
            if children is not None:
                for c in children: emit(c)
                body += b"\0"
        for e in entries: emit(e)
    # Version 5 put the unit type first and the address size before the abbreviations.
    header = u16(version) + (u8(1) + u8(4) + u32(0) if version >= 5 else u32(0) + u8(4))
    return u32(len(header) + len(body)) + header + body

def op_breg13(offset): return bytes([0x7D]) + sleb(offset)
def op_fbreg(offset): return bytes([0x91]) + sleb(offset)
def op_reg(n): return bytes([0x50 + n])
def op_addr(a): return bytes([0x03]) + u32(a)

N, T = "name", "type"
units = [unit([E("cu", 0x11, [(N, STRING, "edges.c"), ("comp_dir", STRING, "/tmp/edges"), ("low_pc", ADDR, 0x1000),
                               ("high_pc", ADDR, 0x1100), ("stmt_list", DATA4, 0)], [
    E("int", 0x24, [(N, STRING, "int"), ("byte_size", DATA1, 4), ("encoding", DATA1, 5)]),
    E("fixed", 0x24, [(N, STRING, "fixed_t"), ("byte_size", DATA1, 2), ("encoding", DATA1, 5)]),
    E("bool", 0x24, [(N, STRING, "_Bool"), ("byte_size", DATA1, 1), ("encoding", DATA1, 2)]),
    E("int32", 0x16, [(N, STRING, "int32"), (T, REF4, "int")]),
    E("vptr", 0x0F, [("byte_size", DATA1, 4)]),
    E("grid", 0x01, [(T, REF4, "int")], [E("rows", 0x21, [("upper_bound", DATA1, 1)]),
                                         E("cols", 0x21, [("upper_bound", DATA1, 2)])]),
    E("nosize", 0x13, [(N, STRING, "nosize")], [E(None, 0x0D, [(N, STRING, "a"), (T, REF4, "int"),
                                                               ("data_member_location", BLOCK1, b"\x23\x00")])]),
    E("bits", 0x13, [(N, STRING, "bits"), ("byte_size", DATA1, 4)], [
        E("f", 0x0D, [(N, STRING, "f"), (T, REF4, "int32"), ("byte_size", DATA1, 2), ("bit_offset", DATA1, 3),
                      ("bit_size", DATA1, 4), ("data_member_location", BLOCK1, b"\x23\x00")]),
        E("g", 0x0D, [(N, STRING, "g"), (T, REF4, "int"), ("data_member_location", BLOCK1, b"\x23\x02")])]),
    E("color", 0x04, [(N, STRING, "color"), ("byte_size", DATA1, 4)], [
        E("red", 0x28, [(N, STRING, "RED"), ("const_value", DATA1, 0)]),
        E("green", 0x28, [(N, STRING, "GREEN"), ("const_value", DATA1, 1)])]),
    E("leaf", 0x2E, [(N, STRING, "leaf"), ("external", FLAG, 1), (T, REF4, "int"), ("low_pc", ADDR, 0x1000),
                     ("high_pc", ADDR, 0x1020), ("frame_base", BLOCK1, op_breg13(8))], [
        E("x", 0x05, [(N, STRING, "x"), (T, REF4, "int"), ("location", BLOCK1, op_fbreg(-4))]),
        E("y", 0x34, [(N, STRING, "y"), (T, REF4, "int"), ("location", DATA4, 0)]),
        E("r", 0x34, [(N, STRING, "r"), (T, REF4, "int"), ("location", BLOCK1, op_reg(4))]),
        E(None, 0x0A, [(N, STRING, "again"), ("low_pc", ADDR, 0x1010)]),
        E("block", 0x0B, [("low_pc", ADDR, 0x1008), ("high_pc", ADDR, 0x1018)], [
            E(None, 0x34, [(N, STRING, "inner"), (T, REF4, "int"), ("location", BLOCK1, op_fbreg(0))]),
            E(None, 0x34, [(N, STRING, "counter"), (T, REF4, "int"), ("location", BLOCK1, op_addr(0x2000))])]),
        E(None, 0x34, [(N, STRING, "after"), (T, REF4, "int"), ("location", BLOCK1, op_addr(0x2004))])]),
    E("decl", 0x34, [(N, STRING, "global_decl"), (T, REF4, "int"), ("external", FLAG, 1), ("declaration", FLAG, 1)]),
    E(None, 0x34, [("completes", REF4, "decl"), ("location", BLOCK1, op_addr(0x2008))]),
    E(None, 0x2E, [(N, STRING, "nohigh"), ("low_pc", ADDR, 0x1040)]),
    E(None, 0x2E, [("low_pc", ADDR, 0x1050), ("high_pc", ADDR, 0x1060)]),
    E(None, 0x2E, [(N, STRING, "after_fn"), ("low_pc", ADDR, 0x1060), ("high_pc", ADDR, 0x1070)], [
        E(None, 0x05, [(N, STRING, "p"), (T, REF4, "int"), ("location", BLOCK1, op_reg(0))])])])]),
    unit([E(None, 0x11, [(N, STRING, "second.c"), ("low_pc", ADDR, 0x1080), ("high_pc", ADDR, 0x1090)], [
        E(None, 0x2E, [(N, STRING, "second"), ("external", FLAG, 1), ("low_pc", ADDR, 0x1080),
                       ("high_pc", ADDR, 0x1090)])])]),
    unit([E(None, 0x11, [("low_pc", ADDR, 0x1090), ("high_pc", ADDR, 0x10A0)], [])]),
    unit([E(None, 0x11, [(N, STRING, "five.c")], [])], version=5),
]
info = b"".join(units)

abbrev = b""
for (tag, children, attrs), code in sorted(abbrevs.items(), key=lambda item: item[1]):
    abbrev += uleb(code) + uleb(tag) + u8(1 if children else 0)
    for a, f in attrs: abbrev += uleb(a) + uleb(f)
    abbrev += b"\0\0"
abbrev += b"\0"

# "y": r1 in [0x1000, 0x1008), the frame base + 4 in [0x1008, 0x1020), relative to the unit's 0x1000.
def loc_entry(begin, end, expr): return u32(begin) + u32(end) + u16(len(expr)) + expr
loc = loc_entry(0, 8, op_reg(1)) + loc_entry(8, 0x20, op_fbreg(4)) + u32(0) + u32(0)

# Line table: version 2, one file, rows 3 at 0x1000, 4 at 0x1008, 5 at 0x1010, end at 0x1020.
program = (b"\0" + uleb(5) + u8(2) + u32(0x1000) + u8(3) + sleb(2) + u8(1) +  # set_address, line 3, copy
           u8(2) + uleb(8) + u8(3) + sleb(1) + u8(1) +       # advance_pc 8, advance_line 1, copy
           u8(2) + uleb(8) + u8(3) + sleb(1) + u8(1) +
           u8(2) + uleb(0x10) + b"\0" + uleb(1) + u8(1))     # advance_pc 16, end_sequence
opcode_lengths = bytes([0, 1, 1, 1, 1, 0, 0, 0, 1])
header_rest = u8(1) + u8(1) + u8(0xFB) + u8(14) + u8(10) + opcode_lengths + b"\0" + b"edges.c\0" + uleb(0) * 3 + b"\0"
line_body = u16(2) + u32(len(header_rest)) + header_rest + program
line = u32(len(line_body)) + line_body

text = bytes(0x100)
data_bytes = bytes(0x10)
sections = [
    (".text", 1, 6, 0x1000, text),
    (".data", 1, 3, 0x2000, data_bytes),
    (".debug_info", 1, 0, 0, info),
    (".debug_abbrev", 1, 0, 0, abbrev),
    (".debug_line", 1, 0, 0, line),
    (".debug_loc", 1, 0, 0, loc),
]
out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "dwarf2-edges.elf")
write_elf(out, sections, [(0, 5), (1, 6)], 0x1000)
