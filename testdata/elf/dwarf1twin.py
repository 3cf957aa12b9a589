# The DWARF 1.1 twin of a gcc-built -O0 program of testdata/firmware, for make-dwarf1.py
# --twin: the same code, data and symbol table, and debugging information that says in
# DWARF 1.1 what the program's DWARF 2 says (names, types, locations, lines), so that
# both load side by side and answer the same queries.
#
# The DWARF 2 is taken from the program's readelf answers beside it (.readelf-info.txt,
# .readelf-loc.txt, .readelf-decodedline.txt), which readelf wrote; no DWARF 2 decoder is
# written here. What DWARF 1.1 cannot say as DWARF 2 does is written as a DWARF 1.1
# producer would: const and volatile as type modifiers, base types as fundamental types,
# member functions by AT_member, locals at a frame base by location lists of the frame
# base's ranges, a unit's files by its source-information table.
import os, re, struct

import dwarf1writer as W
from elfwriter import write_elf

FUND = {"int": "integer", "unsigned int": "unsigned_integer", "char": "char", "signed char": "signed_char",
        "unsigned char": "unsigned_char", "short int": "short", "short unsigned int": "unsigned_short",
        "long int": "long", "long unsigned int": "unsigned_long", "long long int": "long_long",
        "long long unsigned int": "unsigned_long_long", "_Bool": "boolean", "bool": "boolean", "float": "float",
        "double": "dbl_prec_float", "long double": "dbl_prec_float"}


class Node:
    def __init__(self, offset, tag, parent):
        self.offset, self.tag, self.parent = offset, tag, parent
        self.attrs = {}
        self.children = []

    def get(self, name, default=None): return self.attrs.get(name, default)

    def ref(self, name):
        value = self.attrs.get(name)
        return int(value.strip("<>"), 16) if value else None

    def number(self, name):
        value = self.attrs.get(name)
        return int(value.split()[0], 0) if value is not None else None


def parse_info(path):
    units, nodes, stack = [], {}, []
    entry = re.compile(r"^ <(\d+)><([0-9a-f]+)>: Abbrev Number: (\d+)(?: \((\w+)\))?")
    attr = re.compile(r"^    <[0-9a-f]+>\s+(DW_AT_\w+)\s*: (.*)$")
    for line in open(path):
        m = entry.match(line)
        if m:
            depth, offset, tag = int(m.group(1)), int(m.group(2), 16), m.group(4)
            del stack[depth:]
            if tag is None:
                continue
            node = Node(offset, tag, stack[-1] if stack else None)
            nodes[offset] = node
            (stack[-1].children if stack else units).append(node)
            stack.append(node)
            continue
        m = attr.match(line)
        if m and stack:
            value = m.group(2).strip()
            if value.startswith("(indirect string"):
                value = value.split("): ", 1)[1]
            stack[-1].attrs[m.group(1)] = value
    return units, nodes


def parse_loc(path):
    lists, current = {}, None
    row = re.compile(r"^    ([0-9a-f]{8}) ([0-9a-f]{8}) ([0-9a-f]{8}) \(DW_OP_breg(\d+) \(r\d+\): (-?\d+)\)")
    for line in open(path):
        m = row.match(line)
        if m:
            if current is None:
                current = lists.setdefault(int(m.group(1), 16), [])
            current.append((int(m.group(2), 16), int(m.group(3), 16), int(m.group(4)), int(m.group(5))))
        elif "<End of list>" in line:
            current = None
    return lists


def parse_lines(path):
    units, rows = {}, None
    for line in open(path):
        if line.startswith("CU: "):
            rows = units.setdefault(line[4:].strip().rstrip(":"), [])
            continue
        fields = line.split()
        if rows is None or len(fields) < 3 or not fields[2].startswith("0x") or fields[1] == "-":
            continue
        rows.append((fields[0], int(fields[1]), int(fields[2], 16)))
    return units


class Twin:
    def __init__(self, nodes, frame_lists):
        self.nodes, self.frame_lists = nodes, frame_lists
        self.loc_ext = b""
        self.unit_low = 0

    def label(self, node): return "e%x" % node.offset

    def type_of(self, node):
        """The DWARF 1.1 type attribute for the DWARF 2 type that `node` names."""
        modifiers, target = [], self.nodes.get(node.ref("DW_AT_type"))
        while target is not None and target.tag in ("DW_TAG_const_type", "DW_TAG_volatile_type"):
            modifiers.append(W.MOD_const if target.tag == "DW_TAG_const_type" else W.MOD_volatile)
            target = self.nodes.get(target.ref("DW_AT_type"))
        if target is None:
            fund = W.FT["void"]
        elif target.tag == "DW_TAG_base_type":
            fund = W.FT[FUND[target.get("DW_AT_name")]]
        else:
            label = self.label(target)
            if modifiers:
                return W.AT_mod_u_d_type, W.mod_u_d(modifiers, label)
            return W.AT_user_def_type, W.Ref(label)
        if modifiers:
            return W.AT_mod_fund_type, W.mod_fund(modifiers, fund)
        return W.AT_fund_type, fund

    def typed(self, node, attrs):
        """`attrs` with the type attribute of `node`, when it has a type."""
        if node.get("DW_AT_type") is not None:
            attrs.append(self.type_of(node))
        return attrs

    def location(self, node, frame):
        text = node.get("DW_AT_location", "")
        m = re.search(r"DW_OP_addr: ([0-9a-f]+)", text)
        if m:
            return [(W.AT_location, W.op(W.OP_ADDR, int(m.group(1), 16)))]
        m = re.search(r"DW_OP_reg(\d+)", text)
        if m:
            return [(W.AT_location, W.op(W.OP_REG, int(m.group(1))))]
        m = re.search(r"DW_OP_fbreg: (-?\d+)", text)
        if m and frame:
            offset = len(self.loc_ext)
            ranges = [(begin, end, W.op(W.OP_BASEREG, reg) + W.op(W.OP_CONST, int(m.group(1)) + base) + W.op(W.OP_ADD))
                      for begin, end, reg, base in frame]
            self.loc_ext += W.location_list(self.unit_low, ranges)
            return [(W.AT_location_list, offset)]
        return []

    def element_type(self, node):
        code, value = self.type_of(node)
        if code == W.AT_fund_type: return code, W.u16(value)
        if code == W.AT_user_def_type: return code, lambda off: W.u32(off[value.label])
        if code == W.AT_mod_fund_type: return code, W.u16(len(value)) + value
        return code, lambda off: W.u16(len(value(off))) + value(off)

    def array(self, node):
        dims = b""
        for sub in node.children:
            if sub.tag == "DW_TAG_subrange_type" and sub.get("DW_AT_upper_bound") is not None:
                dims += bytes([0]) + W.u16(W.FT["integer"]) + W.u32(0) + W.u32(sub.number("DW_AT_upper_bound"))
        code, et = self.element_type(node)
        if callable(et):
            return lambda off: dims + bytes([8]) + W.u16(code) + et(off)
        return dims + bytes([8]) + W.u16(code) + et

    def owner_class(self, node):
        """The class whose member function `node` defines: the parent of the declaration that
        `node` refers back to."""
        seen = node
        for _ in range(4):
            nxt = self.nodes.get(seen.ref("DW_AT_specification") or seen.ref("DW_AT_abstract_origin"))
            if nxt is None:
                break
            seen = nxt
        parent = seen.parent
        return seen, parent if parent is not None and parent.tag in ("DW_TAG_class_type", "DW_TAG_structure_type") else None

    def convert(self, node, frame=None, cpp=False):
        tag, a = node.tag, []
        name = node.get("DW_AT_name")
        if tag in ("DW_TAG_base_type", "DW_TAG_const_type", "DW_TAG_volatile_type", "DW_TAG_subrange_type"):
            return []
        if tag == "DW_TAG_typedef":
            return [W.E("typedef", self.typed(node, [(W.AT_name, name)]), label=self.label(node))]
        if tag == "DW_TAG_pointer_type":
            return [W.E("pointer", self.typed(node, []), label=self.label(node))]
        if tag == "DW_TAG_array_type":
            return [W.E("array", [(W.AT_subscr_data, self.array(node))], label=self.label(node))]
        if tag in ("DW_TAG_structure_type", "DW_TAG_class_type", "DW_TAG_union_type"):
            if name: a.append((W.AT_name, name))
            if node.get("DW_AT_byte_size") is not None: a.append((W.AT_byte_size, node.number("DW_AT_byte_size")))
            members = []
            for m in node.children:
                where = m.get("DW_AT_data_member_location")
                # gcc gives a union's members no location: each starts at the union's start.
                if m.tag != "DW_TAG_member" or (where is None and tag != "DW_TAG_union_type"):
                    continue
                found = re.search(r"DW_OP_plus_uconst: (\d+)", where or "")
                offset = 0 if where is None else int(found.group(1)) if found else int(where.split()[0])
                attrs = [(W.AT_name, m.get("DW_AT_name"))]
                self.typed(m, attrs)
                attrs.append((W.AT_location, W.op(W.OP_CONST, offset)))
                for key, code in (("DW_AT_byte_size", W.AT_byte_size), ("DW_AT_bit_offset", W.AT_bit_offset),
                                  ("DW_AT_bit_size", W.AT_bit_size)):
                    if m.get("DW_AT_bit_size") is not None and m.get(key) is not None:
                        attrs.append((code, m.number(key)))
                members.append(W.E("member", attrs))
            kind = "union" if tag == "DW_TAG_union_type" else "structure"
            return [W.E(kind, a, members, label=self.label(node))]
        if tag == "DW_TAG_enumeration_type":
            elements = b"".join(W.u32(e.number("DW_AT_const_value")) + e.get("DW_AT_name").encode() + b"\0"
                                for e in reversed(node.children) if e.tag == "DW_TAG_enumerator")
            return [W.E("enumeration", [(W.AT_name, name or ""), (W.AT_byte_size, node.number("DW_AT_byte_size")),
                                        (W.AT_element_list, elements)], label=self.label(node))]
        if tag == "DW_TAG_subroutine_type":
            params = [W.E("formal_parameter", self.typed(p, [])) for p in node.children
                      if p.tag == "DW_TAG_formal_parameter"]
            return [W.E("subroutine_type", self.typed(node, []), params, label=self.label(node))]
        if tag == "DW_TAG_subprogram":
            if node.get("DW_AT_low_pc") is None:
                return []
            declaration, owner = self.owner_class(node)
            name = name or declaration.get("DW_AT_name")
            external = node.get("DW_AT_external") or declaration.get("DW_AT_external")
            a = [(W.AT_name, name)]
            if declaration.get("DW_AT_type") is not None or node.get("DW_AT_type") is not None:
                a.append(self.type_of(node if node.get("DW_AT_type") is not None else declaration))
            if owner is not None:
                a.append((W.AT_member, W.Ref(self.label(owner))))
            a += [(W.AT_low_pc, node.number("DW_AT_low_pc")), (W.AT_high_pc, node.number("DW_AT_high_pc"))]
            base = node.get("DW_AT_frame_base", "")
            frame = self.frame_lists.get(int(base.split()[0], 0), []) if "location list" in base else []
            children = [e for c in node.children for e in self.convert(c, frame, cpp)]
            return [W.E("global_subroutine" if external else "subroutine", a, children)]
        if tag == "DW_TAG_lexical_block":
            children = [e for c in node.children for e in self.convert(c, frame, cpp)]
            a = [(W.AT_low_pc, node.number("DW_AT_low_pc")), (W.AT_high_pc, node.number("DW_AT_high_pc"))] \
                if node.get("DW_AT_low_pc") is not None else []
            return [W.E("lexical_block", a, children)]
        if tag == "DW_TAG_label":
            return [W.E("label", [(W.AT_name, name), (W.AT_low_pc, node.number("DW_AT_low_pc"))])]
        if tag in ("DW_TAG_formal_parameter", "DW_TAG_variable"):
            declaration = self.nodes.get(node.ref("DW_AT_specification") or node.ref("DW_AT_abstract_origin")) or node
            name = name or declaration.get("DW_AT_name")
            if name is None:
                return []
            if cpp and declaration.parent is not None and declaration.parent.tag in ("DW_TAG_class_type",
                                                                                     "DW_TAG_structure_type"):
                klass = declaration.parent.get("DW_AT_name")
                name = "%s__%d%s" % (name, len(klass), klass)
            a = [(W.AT_name, name)]
            self.typed(declaration if node.get("DW_AT_type") is None else node, a)
            a += self.location(node, frame)
            if tag == "DW_TAG_formal_parameter":
                return [W.E("formal_parameter", a)]
            external = node.get("DW_AT_external") or declaration.get("DW_AT_external")
            if frame is None and external:
                return [W.E("global_variable", a)]
            return [W.E("local_variable", a)]
        return []


def write_twin(program):
    base = os.path.splitext(program)[0]
    units, nodes = parse_info(base + ".readelf-info.txt")
    twin = Twin(nodes, parse_loc(base + ".readelf-loc.txt"))
    lines = parse_lines(base + ".readelf-decodedline.txt")
    compile_units, line, srcinfo, sfnames = [], b"", b"", b""
    for unit in units:
        name = unit.get("DW_AT_name")
        cpp = unit.number("DW_AT_language") == 4
        low, high = unit.number("DW_AT_low_pc"), unit.number("DW_AT_high_pc")
        twin.unit_low = low
        rows = lines.get(name, [])
        # One .line table for the unit, and a run of it per change of file.
        table = len(line)
        line += W.line_table(low, [(n, 0xFFFF, address - low) for _, n, address in rows])
        names, runs = {}, []
        block = len(sfnames)
        for i, (file, _, _) in enumerate(rows):
            if file not in names:
                names[file] = len(sfnames) - block
                sfnames += file.encode() + b"\0"
            if i == 0 or rows[i - 1][0] != file:
                runs.append((table + 8 + 10 * i, names[file]))
        here = len(srcinfo)
        srcinfo += W.u32(table) + W.u32(block) + W.u32(low) + W.u32(high) + W.u32(0)
        srcinfo += b"".join(W.u32(o) + W.u32(n) for o, n in runs) + W.u32(0xFFFFFFFF) + W.u32(0)
        attrs = [(W.AT_name, name), (W.AT_low_pc, low), (W.AT_high_pc, high),
                 (W.AT_language, 4 if cpp else 2), (W.AT_sfnames, block), (W.AT_srcinfo, here),
                 (W.AT_comp_dir, unit.get("DW_AT_comp_dir")), (W.AT_producer, "make-dwarf1.py --twin")]
        children = [e for child in unit.children for e in twin.convert(child, None, cpp)]
        compile_units.append(W.E("compile_unit", attrs, children))
    debug, _ = W.write_debug(compile_units)

    kept = read_sections(program)
    sections = [s for s in kept if not s[0].startswith(".debug")]
    index = {s[0]: i + 1 for i, s in enumerate(sections)}
    sections = [s[:5] + ((index.get(s[5], 0), s[6]) if s[5] else (0, s[6])) for s in sections]
    sections += [(".debug", 1, 0, 0, debug), (".line", 1, 0, 0, line), (".debug_srcinfo", 1, 0, 0, srcinfo),
                 (".debug_sfnames", 1, 0, 0, sfnames), (".debug_loc_ext", 1, 0, 0, twin.loc_ext)]
    segments = [(i, 5 if s[2] & 4 else 6) for i, s in enumerate(sections) if s[2] & 2 and s[1] != 8]
    write_elf(base + "-dwarf1.elf", sections, segments, struct.unpack_from("<I", open(program, "rb").read(), 24)[0])


def read_sections(program):
    """The program's sections: (name, type, flags, address, contents or size, linked
    section's name, entry size)."""
    data = open(program, "rb").read()
    shoff, = struct.unpack_from("<I", data, 32)
    count, names = struct.unpack_from("<HH", data, 48)
    headers = [struct.unpack_from("<10I", data, shoff + 40 * i) for i in range(count)]
    def name(offset):
        start = headers[names][4] + offset
        return data[start:data.index(b"\0", start)].decode()
    out = []
    for h in headers[1:]:
        n = name(h[0])
        if n == ".shstrtab":
            continue
        contents = h[5] if h[1] == 8 else data[h[4]:h[4] + h[5]]
        out.append((n, h[1], h[2], h[3], contents, name(headers[h[6]][0]) if h[6] else None, h[9]))
    return out
