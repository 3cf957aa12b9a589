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
# It also writes dwarf1-units.elf, whose four units hold every tag, attribute form,
# location operation, modifier, subscript format and element list that the DWARF 1.1
# passes read (each entry's offset is printed at the end of a run):
#
#   full.c (C, a .line table only): a typedef "s32"; a structure "flags" of the bit-fields
#     "level" (s32, 4 bits at offset 28), "trim" (signed int, 3 at 25), "mode" (unsigned
#     int, 3 at 22), a pointer "next" to itself and a nested structure "inner"; a union
#     "word"; an enumeration "color" (a size in 8 bytes); arrays int[2][3], char *[color],
#     one of each bound form, const flags[4]; a pointer and a subroutine type; the globals
#     "grid", "pp" (int **), "ticks" (volatile int), the declarations "shared" (defined in
#     second.c), "only_declared" (in the symbol table only) and "missing" (nowhere); the
#     static "file_static"; "main" (body 0x1004-0x103c) with "argc" at r11 - 8, "i" in a
#     location list, the statics "calls", "inner_static" (in a block) and "deep" (in a
#     block without an address), a label, and "helper", named and typed by its origin
#   second.c (a source-information table of second.c and second.h): "shared", "second",
#     "from_header"
#   shapes.cpp (C++): B, C with B as its base, the member functions C::f(int a, char* p),
#     C::g with "this" only and C::h(const int& v, B named), "plain__Fi", the static
#     members "counter__1C" and "limit__1C" (declared only)
#   uart.pcp: "uart_isr" at PCP word address 0x10 with a parameter, a block and a static,
#     a nameless subroutine, and a PCP line table (a repeated entry, an offset of 0 after
#     the first, an end at -1)
#   a unit without a name, with the function "lone"
#
# and dwarf1-units.seed, the seed of the DWARF 1.1 fuzz target. With --twin PROGRAM it
# writes PROGRAM-dwarf1.elf, the DWARF 1.1 twin of a gcc-built program of
# testdata/firmware (dwarf1twin.py).
#
# The outputs are committed; run this only to change them.
import os, struct, sys

import dwarf1writer
import dwarf1twin
from elfwriter import write_elf

HERE = os.path.dirname(os.path.abspath(__file__))

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

def write_sample():
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
    write_elf(os.path.join(HERE, "dwarf1-sample.elf"), sections, [(0, 5)], 0x1000)


def symbol_table(symbols):
    """symbols: (name, value, size, info, section index). Returns (.symtab, .strtab)."""
    strtab = b"\0"
    symtab = bytes(16)
    for name, value, size, info, shndx in symbols:
        symtab += struct.pack("<IIIBBH", len(strtab), value, size, info, 0, shndx)
        strtab += name.encode() + b"\0"
    return symtab, strtab

def write_units():
    W = dwarf1writer
    r, mf, mu = W.Ref, W.mod_fund, W.mod_u_d
    FT, P, C, V, R = W.FT, W.MOD_pointer_to, W.MOD_const, W.MOD_volatile, W.MOD_reference_to
    def loc(*ops): return b"".join(W.op(*o) for o in ops)
    def addr(a): return loc((W.OP_ADDR, a))
    def frame(offset): return loc((W.OP_BASEREG, 11), (W.OP_CONST, offset), (W.OP_ADD,))
    def subscripts(dims, et_code, et):
        out = b""
        for fmt, index, low, high in dims:
            out += bytes([fmt]) + (W.u32(index) if fmt >= 4 else W.u16(index))
            for bound, expression in ((low, fmt & 2), (high, fmt & 1)):
                out += W.u16(len(bound)) + bound if expression else W.u32(bound)
        return out + bytes([8]) + W.u16(et_code) + et
    def elements(pairs): return b"".join(W.u32(v) + n.encode() + b"\0" for v, n in pairs)
    E = W.E
    lang_c, lang_cpp = 2, 4

    full = E("compile_unit", [(W.AT_name, "full.c"), (W.AT_low_pc, 0x1000), (W.AT_high_pc, 0x10C0),
                              (W.AT_language, lang_c), (W.AT_stmt_list, 0), (W.AT_comp_dir, "/work/d1"),
                              (W.AT_producer, "make-dwarf1.py")], [
        E("typedef", [(W.AT_name, "s32"), (W.AT_fund_type, FT["integer"])], label="s32"),
        E("structure", [(W.AT_name, "flags"), (W.AT_byte_size, 12)], [
            E("member", [(W.AT_name, "level"), (W.AT_user_def_type, r("s32")), (W.AT_byte_size, 4),
                         (W.AT_bit_offset, 28), (W.AT_bit_size, 4), (W.AT_location, loc((W.OP_CONST, 0)))]),
            E("member", [(W.AT_name, "trim"), (W.AT_fund_type, FT["signed_integer"]), (W.AT_byte_size, 4),
                         (W.AT_bit_offset, 25), (W.AT_bit_size, 3), (W.AT_location, loc((W.OP_CONST, 0)))]),
            E("member", [(W.AT_name, "mode"), (W.AT_fund_type, FT["unsigned_integer"]), (W.AT_byte_size, 4),
                         (W.AT_bit_offset, 22), (W.AT_bit_size, 3), (W.AT_location, loc((W.OP_CONST, 0)))]),
            E("member", [(W.AT_name, "next"), (W.AT_mod_u_d_type, mu([P], "flags")),
                         (W.AT_location, loc((W.OP_CONST, 4)))]),
            E("structure", [(W.AT_name, "inner"), (W.AT_byte_size, 4)], [
                E("member", [(W.AT_name, "x"), (W.AT_fund_type, FT["short"]), (W.AT_location, loc((W.OP_CONST, 2)))]),
            ], label="inner"),
            E("member", [(W.AT_name, "in"), (W.AT_user_def_type, r("inner")), (W.AT_location, loc((W.OP_CONST, 8)))]),
        ], label="flags"),
        E("union", [(W.AT_name, "word"), (W.AT_byte_size, 4)], [
            E("member", [(W.AT_name, "u"), (W.AT_fund_type, FT["unsigned_integer"]),
                         (W.AT_location, loc((W.OP_CONST, 0)))]),
            E("member", [(W.AT_name, "s"), (W.AT_fund_type, FT["short"]), (W.AT_location, loc((W.OP_CONST, 0)))]),
        ]),
        E("enumeration", [(W.AT_name, "color"), (W.AT_byte_size8, 4),
                          (W.AT_element_list, elements([(2, "BLUE"), (1, "GREEN"), (0, "RED")]))], label="color"),
        # int[2][3]; char *[10] indexed by color; 2 by 3 int of which each bound form;
        # const flags [4].
        E("array", [(W.AT_subscr_data, subscripts([(0, FT["integer"], 0, 1), (0, FT["integer"], 0, 2)],
                                                  W.AT_fund_type, W.u16(FT["integer"])))], label="grid"),
        E("array", [(W.AT_subscr_data, lambda off: subscripts([(4, off["color"], 0, 9)], W.AT_mod_fund_type,
                                                              W.u16(3) + mf([P], FT["char"])))], label="names"),
        E("array", [(W.AT_subscr_data, lambda off: subscripts(
            [(1, FT["integer"], 0, addr(4)), (2, FT["integer"], addr(0), 3), (3, FT["integer"], addr(0), addr(4)),
             (5, off["color"], 0, addr(4)), (6, off["color"], addr(0), 3), (7, off["color"], addr(0), addr(4))],
            W.AT_user_def_type, W.u32(off["flags"])))], label="dynamic"),
        E("array", [(W.AT_subscr_data, lambda off: subscripts([(0, FT["integer"], 0, 3)], W.AT_mod_u_d_type,
                                                              W.u16(5) + mu([C], "flags")(off)))], label="fixed"),
        E("pointer", [(W.AT_user_def_type, r("flags"))]),
        E("subroutine_type", [(W.AT_fund_type, FT["integer"])], [
            E("formal_parameter", [(W.AT_fund_type, FT["char"])]),
            E("formal_parameter", [(W.AT_mod_fund_type, mf([P], FT["integer"]))]),
        ], label="fn"),
        E("typedef", [(W.AT_name, "handler"), (W.AT_mod_u_d_type, mu([P], "fn"))]),
        E("global_variable", [(W.AT_name, "grid"), (W.AT_user_def_type, r("grid")), (W.AT_location, addr(0x2000))]),
        E("global_variable", [(W.AT_name, "pp"), (W.AT_mod_fund_type, mf([P, P], FT["integer"])),
                              (W.AT_location, addr(0x2018))], label="pp"),
        E("global_variable", [(W.AT_name, "ticks"), (W.AT_mod_fund_type, mf([V], FT["integer"])),
                              (W.AT_location, addr(0x201C))]),
        E("global_variable", [(W.AT_name, "shared"), (W.AT_fund_type, FT["integer"])]),
        E("global_variable", [(W.AT_name, "only_declared"), (W.AT_fund_type, FT["long"])]),
        E("global_variable", [(W.AT_name, "missing"), (W.AT_fund_type, FT["integer"])]),
        E("local_variable", [(W.AT_name, "file_static"), (W.AT_fund_type, FT["char"]), (W.AT_location, addr(0x2028))]),
        E("global_subroutine", [(W.AT_name, "main"), (W.AT_fund_type, FT["integer"]), (W.AT_low_pc, 0x1000),
                                (W.AT_high_pc, 0x1040), (W.AT_body_begin, 0x1004), (W.AT_body_end, 0x103C)], [
            E("formal_parameter", [(W.AT_name, "argc"), (W.AT_fund_type, FT["integer"]), (W.AT_location, frame(-8))]),
            E("local_variable", [(W.AT_name, "i"), (W.AT_fund_type, FT["integer"]), (W.AT_location_list, 0)]),
            E("local_variable", [(W.AT_name, "calls"), (W.AT_fund_type, FT["integer"]), (W.AT_location, addr(0x202C))]),
            E("local_variable", [(W.AT_name, "via"), (W.AT_mod_fund_type, mf([P], FT["char"])),
                                 (W.AT_location, loc((W.OP_BASEREG, 11), (W.OP_CONST, 12), (W.OP_ADD,),
                                                     (W.OP_DEREF4,), (W.OP_DEREF2,)))]),
            E("label", [(W.AT_name, "again"), (W.AT_low_pc, 0x1010)]),
            E("lexical_block", [(W.AT_low_pc, 0x1010), (W.AT_high_pc, 0x1020)], [
                E("local_variable", [(W.AT_name, "inner_static"), (W.AT_fund_type, FT["integer"]),
                                     (W.AT_location, addr(0x2030))]),
                E("local_variable", [(W.AT_name, "r"), (W.AT_fund_type, FT["integer"]),
                                     (W.AT_location, loc((W.OP_REG, 5)))]),
            ]),
            E("lexical_block", [], [
                E("local_variable", [(W.AT_name, "deep"), (W.AT_fund_type, FT["integer"]),
                                     (W.AT_location, addr(0x2034))]),
            ]),
        ]),
        E("subroutine", [(W.AT_name, "helper"), (W.AT_mod_fund_type, mf([P], FT["char"]))], label="helper_decl"),
        E("subroutine", [(W.AT_abstract_origin, r("helper_decl")), (W.AT_low_pc, 0x1040), (W.AT_high_pc, 0x1060)], [
            E("formal_parameter", [(W.AT_name, "p"), (W.AT_mod_u_d_type, mu([C, P], "flags")),
                                   (W.AT_location, loc((W.OP_REG, 0)))]),
            E("local_variable", [(W.AT_name, "nowhere"), (W.AT_fund_type, FT["integer"])]),
        ]),
    ])

    second = E("compile_unit", [(W.AT_name, "second.c"), (W.AT_low_pc, 0x10C0), (W.AT_high_pc, 0x1100),
                                (W.AT_language, lang_c), (W.AT_sfnames, 0), (W.AT_srcinfo, 0),
                                (W.AT_comp_dir, "/work/d1")], [
        E("global_variable", [(W.AT_name, "shared"), (W.AT_fund_type, FT["integer"]), (W.AT_location, addr(0x2020))]),
        E("global_subroutine", [(W.AT_name, "second"), (W.AT_low_pc, 0x10C0), (W.AT_high_pc, 0x10E0)]),
        E("subroutine", [(W.AT_name, "from_header"), (W.AT_low_pc, 0x10E0), (W.AT_high_pc, 0x10F0)]),
    ])

    shapes = E("compile_unit", [(W.AT_name, "shapes.cpp"), (W.AT_low_pc, 0x1100), (W.AT_high_pc, 0x1140),
                                (W.AT_language, lang_cpp), (W.AT_comp_dir, "/work/d1")], [
        E("structure", [(W.AT_name, "B"), (W.AT_byte_size, 4)], [
            E("member", [(W.AT_name, "b"), (W.AT_fund_type, FT["integer"]), (W.AT_location, loc((W.OP_CONST, 0)))]),
        ], label="B"),
        E("structure", [(W.AT_name, "C"), (W.AT_byte_size, 8)], [
            E("inheritance", [(W.AT_user_def_type, r("B")), (W.AT_location, loc((W.OP_CONST, 0)))]),
            E("member", [(W.AT_name, "a"), (W.AT_fund_type, FT["integer"]), (W.AT_location, loc((W.OP_CONST, 4)))]),
        ], label="C"),
        E("global_subroutine", [(W.AT_name, "f"), (W.AT_member, r("C")), (W.AT_low_pc, 0x1100),
                                (W.AT_high_pc, 0x1110)], [
            E("formal_parameter", [(W.AT_name, "this"), (W.AT_mod_u_d_type, mu([P], "C")),
                                   (W.AT_location, loc((W.OP_REG, 0)))]),
            E("formal_parameter", [(W.AT_name, "a"), (W.AT_fund_type, FT["integer"]),
                                   (W.AT_location, loc((W.OP_REG, 1)))]),
            E("formal_parameter", [(W.AT_name, "p"), (W.AT_mod_fund_type, mf([P], FT["char"])),
                                   (W.AT_location, loc((W.OP_REG, 2)))]),
        ]),
        E("global_subroutine", [(W.AT_name, "g"), (W.AT_member, r("C")), (W.AT_low_pc, 0x1110),
                                (W.AT_high_pc, 0x1118)], [
            E("formal_parameter", [(W.AT_name, "this"), (W.AT_mod_u_d_type, mu([P], "C")),
                                   (W.AT_location, loc((W.OP_REG, 0)))]),
        ]),
        E("global_subroutine", [(W.AT_name, "h"), (W.AT_member, r("C")), (W.AT_low_pc, 0x1118),
                                (W.AT_high_pc, 0x1120)], [
            E("formal_parameter", [(W.AT_name, "v"), (W.AT_mod_fund_type, mf([C, R], FT["integer"])),
                                   (W.AT_location, loc((W.OP_REG, 1)))]),
            E("formal_parameter", [(W.AT_name, "named"), (W.AT_user_def_type, r("B")),
                                   (W.AT_location, loc((W.OP_REG, 2)))]),
        ]),
        E("global_subroutine", [(W.AT_name, "plain__Fi"), (W.AT_low_pc, 0x1120), (W.AT_high_pc, 0x1140)]),
        E("global_variable", [(W.AT_name, "counter__1C"), (W.AT_fund_type, FT["integer"]),
                              (W.AT_location, addr(0x2040))]),
        E("global_variable", [(W.AT_name, "limit__1C"), (W.AT_fund_type, FT["integer"])]),
    ])

    uart = E("compile_unit", [(W.AT_name, "uart.pcp"), (W.AT_low_pc, 0x10), (W.AT_high_pc, 0x20),
                              (W.AT_stmt_list, 0), (W.AT_comp_dir, "/work/d1")], [
        E("global_subroutine", [(W.AT_name, "uart_isr"), (W.AT_low_pc, 0x10), (W.AT_high_pc, 0x20)], [
            E("formal_parameter", [(W.AT_name, "c"), (W.AT_fund_type, FT["char"]), (W.AT_location, loc((W.OP_REG, 2)))]),
            E("lexical_block", [(W.AT_low_pc, 0x14), (W.AT_high_pc, 0x18)], [
                E("local_variable", [(W.AT_name, "rx"), (W.AT_fund_type, FT["char"]), (W.AT_location, addr(0x9000))]),
            ]),
        ]),
        E("subroutine", [(W.AT_low_pc, 0x1C), (W.AT_high_pc, 0x1E)], [
            E("formal_parameter", [(W.AT_name, "q"), (W.AT_fund_type, FT["char"]), (W.AT_location, loc((W.OP_REG, 3)))]),
        ]),
    ])
    nameless = E("compile_unit", [(W.AT_language, lang_c)], [
        E("global_subroutine", [(W.AT_name, "lone"), (W.AT_low_pc, 0x10F0), (W.AT_high_pc, 0x1100)]),
    ])

    units = [full, second, shapes, uart, nameless]
    # The units' line tables and source-information tables lie at their offsets, which
    # their compile units name; the units are written once to find them.
    full_lines = W.line_table(0x1000, [(3, 0xFFFF, 4), (5, 3, 8), (7, 1, 0x10), (9, 1, 0x40), (12, 1, 0x44),
                                       (14, 1, 0x80)])
    second_lines = W.line_table(0x10C0, [(2, 1, 0), (4, 1, 8), (10, 1, 0x20), (11, 1, 0x28)])
    uart_lines = W.line_table(0x10, [(20, 1, 0), (21, 1, 2), (21, 1, 2), (22, 1, 0), (23, 1, 4), (24, 1, 0xFFFFFFFF),
                                     (25, 1, 6)])
    line = full_lines + second_lines + uart_lines
    second.attrs = [(c, len(full_lines) if c == W.AT_stmt_list else v) for c, v in second.attrs]
    uart.attrs = [(c, len(full_lines) + len(second_lines) if c == W.AT_stmt_list else v) for c, v in uart.attrs]
    sfnames = b"second.c\0second.h\0"
    second_start = len(full_lines)
    srcinfo = W.u32(second_start) + W.u32(0) + W.u32(0x10C0) + W.u32(0x1100) + W.u32(0) + \
        W.u32(second_start + 8) + W.u32(0) + W.u32(second_start + 28) + W.u32(9) + W.u32(0xFFFFFFFF) + W.u32(0)
    loc_ext = W.location_list(0x1000, [(0x1000, 0x1008, loc((W.OP_REG, 4))), (0x1008, 0x1020, frame(4))])
    debug, labels = W.write_debug(units)

    # Sections 1 .text, 2 .data, 3 .pcptext; .symtab (11) names .strtab (12).
    symtab, strtab = symbol_table([("shared", 0x2020, 4, 0x11, 2), ("only_declared", 0x2024, 4, 0x11, 2),
                                   ("limit__1C", 0x2044, 4, 0x11, 2), ("main", 0x1000, 0x40, 0x12, 1)])
    abbrev = bytes([1, 0x11, 0, 0x03, 0x08, 0, 0, 0])
    info_body = W.u16(2) + W.u32(0) + bytes([4]) + bytes([1]) + b"dwarf2.c\0"
    sections = [
        (".text", 1, 6, 0x1000, bytes(0x140)),
        (".data", 1, 3, 0x2000, bytes(0x60)),
        (".pcptext", 1, 6, 0x8000, bytes(0x40)),
        (".debug", 1, 0, 0, debug),
        (".line", 1, 0, 0, line),
        (".debug_srcinfo", 1, 0, 0, srcinfo),
        (".debug_sfnames", 1, 0, 0, sfnames),
        (".debug_loc_ext", 1, 0, 0, loc_ext),
        (".debug_info", 1, 0, 0, W.u32(len(info_body)) + info_body),
        (".debug_abbrev", 1, 0, 0, abbrev),
        (".symtab", 2, 0, 0, symtab, 12, 16),
        (".strtab", 3, 0, 0, strtab),
    ]
    write_elf(os.path.join(HERE, "dwarf1-units.elf"), sections, [(0, 5), (1, 6), (2, 5)], 0x1000)
    # The seed of the DWARF 1.1 fuzz target: the sizes of four sections, then their
    # contents and ".debug".
    parts = [line, srcinfo, sfnames, loc_ext]
    with open(os.path.join(HERE, "dwarf1-units.seed"), "wb") as f:
        f.write(b"".join(W.u16(len(p)) for p in parts) + b"".join(parts) + debug)
    return labels


def write_deep():
    """dwarf1-deep.elf: one unit whose function holds 100 nested blocks and whose types
    nest 100 structures deep, further than any program nests, with a variable at the
    bottom of each and one global after them, which must all keep their rows."""
    W = dwarf1writer
    E = W.E
    depth = 100
    def addr(a): return W.op(W.OP_ADDR, a)
    block = [E("local_variable", [(W.AT_name, "bottom"), (W.AT_fund_type, W.FT["integer"]),
                                  (W.AT_location, addr(0x2000))])]
    for level in reversed(range(depth)):
        block = [E("lexical_block", [(W.AT_low_pc, 0x1000 + level), (W.AT_high_pc, 0x1100 - level)], block)]
    struct = [E("member", [(W.AT_name, "m"), (W.AT_fund_type, W.FT["integer"]), (W.AT_location, W.op(W.OP_CONST, 0))])]
    for level in reversed(range(depth)):
        struct = [E("structure", [(W.AT_name, "s%d" % level), (W.AT_byte_size, 4)], struct, label="s%d" % level)]
    unit = E("compile_unit", [(W.AT_name, "deep.c"), (W.AT_low_pc, 0x1000), (W.AT_high_pc, 0x1100),
                              (W.AT_language, 2)], struct + [
        E("global_subroutine", [(W.AT_name, "walk"), (W.AT_low_pc, 0x1000), (W.AT_high_pc, 0x1100)], block),
        E("global_variable", [(W.AT_name, "after"), (W.AT_user_def_type, W.Ref("s%d" % (depth - 1))),
                              (W.AT_location, addr(0x2004))]),
    ])
    debug, _ = W.write_debug([unit])
    symtab, strtab = symbol_table([("after", 0x2004, 4, 0x11, 2), ("walk", 0x1000, 0x100, 0x12, 1)])
    sections = [
        (".text", 1, 6, 0x1000, bytes(0x100)),
        (".data", 1, 3, 0x2000, bytes(0x10)),
        (".debug", 1, 0, 0, debug),
        (".symtab", 2, 0, 0, symtab, 5, 16),
        (".strtab", 3, 0, 0, strtab),
    ]
    write_elf(os.path.join(HERE, "dwarf1-deep.elf"), sections, [(0, 5), (1, 6)], 0x1000)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--twin":
        dwarf1twin.write_twin(sys.argv[2])
    else:
        write_sample()
        write_deep()
        for label, offset in sorted(write_units().items(), key=lambda item: item[1]):
            print("%6d %s" % (offset, label))
