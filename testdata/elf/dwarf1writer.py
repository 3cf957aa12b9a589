# Writes DWARF 1.1 debugging information (".debug", ".line", ".debug_srcinfo",
# ".debug_sfnames", ".debug_loc_ext") from a tree of entries, for make-dwarf1.py.
#
# An entry with children gets AT_sibling first, pointing past its children and the null
# entry that ends them; values may refer to other entries by label (Ref) and are worked
# out once every entry has its offset. All values are little-endian, as DWARF 1.1 is.
import struct

def u16(v): return struct.pack("<H", v & 0xFFFF)
def u32(v): return struct.pack("<I", v & 0xFFFFFFFF)

# Attribute codes, each with its form in the low four bits.
AT_sibling, AT_location, AT_name = 0x0012, 0x0023, 0x0038
AT_fund_type, AT_mod_fund_type, AT_user_def_type, AT_mod_u_d_type = 0x0055, 0x0063, 0x0072, 0x0083
AT_subscr_data, AT_byte_size, AT_byte_size8, AT_bit_offset, AT_bit_size = 0x00A3, 0x00B6, 0x00B7, 0x00C5, 0x00D6
AT_element_list, AT_stmt_list, AT_low_pc, AT_high_pc = 0x00F4, 0x0106, 0x0111, 0x0121
AT_language, AT_member, AT_comp_dir, AT_producer, AT_abstract_origin = 0x0136, 0x0142, 0x01B8, 0x0258, 0x02B2
AT_location_list, AT_sfnames, AT_srcinfo, AT_source_info = 0x2E26, 0x8006, 0x8016, 0x8106
AT_body_begin, AT_body_end = 0x8041, 0x8051

TAG = dict(array=0x01, enumeration=0x04, formal_parameter=0x05, global_subroutine=0x06, global_variable=0x07,
           label=0x0A, lexical_block=0x0B, local_variable=0x0C, member=0x0D, pointer=0x0F, compile_unit=0x11,
           structure=0x13, subroutine=0x14, subroutine_type=0x15, typedef=0x16, union=0x17, inheritance=0x1C)

OP_REG, OP_BASEREG, OP_ADDR, OP_CONST, OP_DEREF2, OP_DEREF4, OP_ADD = 1, 2, 3, 4, 5, 6, 7
MOD_pointer_to, MOD_reference_to, MOD_const, MOD_volatile = 1, 2, 3, 4
FT = dict(char=0x1, signed_char=0x2, unsigned_char=0x3, short=0x4, signed_short=0x5, unsigned_short=0x6,
          integer=0x7, signed_integer=0x8, unsigned_integer=0x9, long=0xA, signed_long=0xB, unsigned_long=0xC,
          float=0xE, dbl_prec_float=0xF, void=0x14, boolean=0x15, long_long=0x8008, unsigned_long_long=0x8208)

def op(o, v=None): return bytes([o]) + (u32(v) if v is not None else b"")

class Ref:
    """The offset of the entry labelled `label` in ".debug"."""
    def __init__(self, label): self.label = label

class E:
    def __init__(self, tag, attrs=(), children=None, label=None):
        self.tag = TAG[tag] if isinstance(tag, str) else tag
        self.attrs = list(attrs)
        self.children = children
        self.label = label

def mod_u_d(modifiers, label):
    return lambda off: bytes(modifiers) + u32(off[label])

def mod_fund(modifiers, ft):
    return bytes(modifiers) + u16(ft)

def _value(v, off):
    if isinstance(v, Ref): return off[v.label]
    if callable(v): return v(off)
    return v

def _attr(code, value):
    form = code & 0xF
    out = u16(code)
    if form in (1, 2, 6): return out + u32(value)
    if form == 5: return out + u16(value)
    if form == 7: return out + u32(value) + u32(value >> 32)
    if form == 8: return out + value.encode() + b"\0"
    if form == 3: return out + u16(len(value)) + value
    if form == 4: return out + u32(len(value)) + value
    raise ValueError(hex(code))

NULL = object()

def _flatten(nodes, out):
    for n in nodes:
        out.append(n)
        if n.children is not None:
            _flatten(n.children, out)
            out.append(NULL)

def _entry(node, off, sibling):
    attrs = ([(AT_sibling, sibling)] if node.children is not None else []) + node.attrs
    body = u16(node.tag) + b"".join(_attr(c, _value(v, off)) for c, v in attrs)
    return u32(len(body) + 4) + body

class Zero(dict):
    def __missing__(self, key): return 0

def write_debug(units):
    """units: the compile-unit entries, each with its children. Returns (bytes of
    ".debug", the offsets of the labels)."""
    flat = []
    _flatten(units, flat)
    sizes = [4 if n is NULL else len(_entry(n, Zero(), 0)) for n in flat]
    offsets = [sum(sizes[:i]) for i in range(len(flat))]
    off = {}
    ends = {}
    stack = []
    for i, n in enumerate(flat):
        if n is NULL:
            ends[id(stack.pop())] = offsets[i] + 4
            continue
        if n.label: off[n.label] = offsets[i]
        if n.children is not None: stack.append(n)
    out = b""
    for n in flat:
        out += u32(4) if n is NULL else _entry(n, off, ends.get(id(n), 0))
    return out, off

def line_table(base, rows):
    """rows: (line, column, address offset)."""
    return u32(8 + 10 * len(rows)) + u32(base) + b"".join(u32(l) + u16(c) + u32(d) for l, c, d in rows)

def location_list(base, ranges):
    """ranges: (begin, end, location block), addresses absolute; the list counts from
    `base`, the unit's low address."""
    out = b""
    for begin, end, block in ranges:
        out += u32(begin - base) + u32(end - base) + u16(len(block)) + block
    return out + u32(0) + u32(0)
