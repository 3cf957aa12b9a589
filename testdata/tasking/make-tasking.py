#!/usr/bin/env python3
# Writes the Tasking C166 ".out" samples of testdata/tasking from the descriptions at the
# end of this file, and for each NAME.out the rows that loading it with every module
# read must give, NAME.out.expect. No packaged tool writes or reads the format;
# FORMAT.md describes the layout and the meaning of each record.
#
# The expected rows are worked out from the descriptions (the records as a program
# means them), not from the bytes written: a block per table, "== TABLE", then what
# `qelhost load NAME.out --modules --rows TABLE` prints (its column names, then its rows
# in the order of the table's primary index). In the Program rows "@PATH@" stands for
# the file's full path and "@TIME@" for its modification time. "== blocks" lists the
# download blocks (start, length, kind) that `qelhost dump` reports. A damaged file's
# expect is its one "== status" line.
#
# The outputs are committed; run this (python3 make-tasking.py) only to change them.
# `make-tasking.py --bench N PATH` writes a program of N modules, without rows, for
# bench/load_bench.
import os, struct, sys

HERE = os.path.dirname(os.path.abspath(__file__))


def s32(value):
    value &= 0xFFFFFFFF
    return value - 0x100000000 if value & 0x80000000 else value


def pack(modul, number):
    return s32(((modul & 0x1FFF) << 18) | (number & 0x3FFFF))


def encode_name(text):
    return "".join(chr(ord(c) + 0x81) if "a" <= c <= "z" else c for c in text)


def escaped(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def variable_place(address):
    if address < 4096:
        return [0x40000001, 0xFD00 + (address // 16) * 2, address % 16]
    return [1, address, 0]


# --- descriptions -------------------------------------------------------------------

class Rec:
    """A name record: kind, descriptor, value, extra word, text and the class byte
    (the low byte of the type word). `name` is the text as the database shows it, when
    the demangler changes it."""

    def __init__(self, kind, desc=0, value=0, extra=0, text="", cls=0, name=None):
        self.kind, self.desc, self.value, self.extra = kind, desc, value, extra
        self.text, self.cls = text, cls
        self.name = text if name is None else name


class Sec:
    """A section: name, record kind (0x78 code, 0x79 bit area, else data), base, size
    in memory, contents in the file (shorter than the size for a gapped section; None or
    empty for BSS)."""

    def __init__(self, name, kind, base, size, data=b"", align=2):
        self.name, self.kind, self.base, self.size = name, kind, base, size
        self.data, self.align = data or b"", align


class Program:
    def __init__(self, version=4, sections=(), records=(), gaps=(), relocations=0, flags3=0x02, byte20=0):
        self.version, self.sections, self.records = version, list(sections), list(records)
        self.gaps, self.relocations, self.flags3, self.byte20 = list(gaps), relocations, flags3, byte20


# --- the byte writer ----------------------------------------------------------------

def write_out(program):
    strings = bytearray(b"\0")  # empty texts point at this zero
    texts = {}
    records = program.records + [Rec(s.kind, text=s.name) for s in program.sections]
    count = len(records)
    contents = bytearray()
    offsets = []
    for s in program.sections:
        offsets.append(len(contents))
        contents += s.data
        if len(contents) % 2:
            contents += b"\0"
    sections_at = 22
    contents_at = sections_at + 20 * len(program.sections)
    names_at = contents_at + len(contents) + 8 * program.relocations
    strings_at = names_at + 14 * count
    for r in records:
        if r.text and r.text not in texts:
            texts[r.text] = len(strings)
            strings += r.text.encode("latin-1") + b"\0"
    out = bytearray()
    out += struct.pack("<HBBBBHHHII", 0x0201, program.version, program.flags3, 0, 0, len(program.sections),
                       program.relocations, count & 0xFFFF, len(contents), len(strings))
    out += bytes([(count >> 16) & 0xFF if program.version >= 4 else program.byte20, 0])
    for s, at in zip(program.sections, offsets):
        out += struct.pack("<IIIII", s.base, s.size, contents_at + at if s.data else 0, len(s.data), s.align)
    out += contents + bytes(8 * program.relocations)
    for r in records:
        text_at = strings_at + (texts[r.text] if r.text else 0)
        out += struct.pack("<IHHIH", text_at, (r.kind << 8) | r.cls, r.desc, r.value, r.extra)
    out += strings
    out += struct.pack("<IHH", 0, len(program.gaps), 0)
    for start, end in program.gaps:
        out += struct.pack("<IIIH", 0, start, end, 0)
    return bytes(out)


# --- the expected rows --------------------------------------------------------------

COLUMNS = {
    "Program": "ProgramIndex Name Type ModifiedTime Source EntryPoint MainFunction AlternateEntryPoint "
               "AlternateMainFunction Analyzed",
    "Sections": "SectionIndex Name Type AddressMode AddressValue Length",
    "Moduls": "ModulIndex Name Offset Analyzed",
    "SourceFiles": "SourceFileIndex Type Name EntryInFile Analyzed",
    "SourceLines": "SourceLineIndex SourceLine AddressMode AddressValue Length SectionIndex SourceFileIndex",
    "Functions": "FunctionIndex Name NameString AddressMode AddressValue Length SectionIndex ReturnType Scope CallType",
    "ModulSectionRelation": "ModulIndex SectionIndex",
    "ModulSourceFileRelation": "ModulIndex SourceFileIndex",
    "SectionSourceFileRelation": "SectionIndex SourceFileIndex",
    "RegisterMap": "Name Number",
    "Symbols": "SymbolIndex ModulIndex SymbolID ScopeIndex Name NameString Data_1 Data_2 Data_3 Data_4 Data_5 Data_6",
    "Types": "TypeIndex ModulIndex TypeID Name Data_1 Data_2 Data_3 Data_4",
}

BASE_TYPES = {("char", 8), ("unsigned char", 8), ("int", 16), ("unsigned int", 16), ("long", 32), ("bit", 1),
              ("unsigned long", 32), ("float", 32), ("double", 64), ("short", 16)}


class Expect:
    def __init__(self, program):
        self.p = program
        self.sections, self.moduls, self.files, self.functions = [], [], [], []
        self.symbols, self.types, self.lines = [], {}, []
        self.modul_files, self.section_files, self.modul_sections = set(), set(), set()
        self.blocks = []

    # Sections pass and download.
    def sections_pass(self):
        p = self.p
        gaps = sorted([g for g in p.gaps if g[0] < g[1]], key=lambda g: (g[0], -g[1]))
        pieces, vector = [], {}
        for index, s in enumerate(p.sections, 2):
            kind = 1 if s.kind == 0x78 else 3
            if s.size != len(s.data):
                kind = 4 if not s.data else kind | 0x40000000
            if s.kind == 0x79:
                mode, value = 0x40000001, 0xFD00 + (s.base // 16) * 2
            else:
                mode, value = 1, s.base
            self.sections.append([index, s.name, kind, mode, value, s.size])
            if not s.data:
                continue
            dkind = kind & ~0x40000000
            ranges = []
            if not kind & 0x40000000 or not gaps:
                ranges.append((mode, value, s.data))
            else:
                current, taken, used = s.base, 0, []
                for g, (start, end) in enumerate(gaps):
                    if start < current:
                        continue
                    if s.base + s.size <= end:
                        break
                    piece = min(start - current, len(s.data) - taken)
                    ranges.append((1, current, s.data[taken:taken + piece]))
                    taken += piece
                    current = end
                    used.append(g)
                if taken < len(s.data):
                    ranges.append((1, current, s.data[taken:]))
                if len(used) > 1:
                    del gaps[used[0]:used[-1]]
            for mode_, at, data in ranges:
                if not data:
                    continue
                if mode_ == 1 and at + len(data) <= 512:
                    for i, b in enumerate(data):
                        vector[at + i] = b
                else:
                    pieces.append((mode_, at, dkind, bytes(data)))
        at = 0
        while at < 512:
            if at not in vector:
                at += 1
                continue
            end = at
            while end in vector:
                end += 1
            pieces.append((1, at, 1, bytes(vector[a] for a in range(at, end))))
            at = end
        # The base merges ranges of one mode and kind that meet, or that leave a gap of
        # (end mod 2) bytes, filled with 0xFF.
        pieces.sort(key=lambda r: (r[0], r[1]))
        for mode_, at, dkind, data in pieces:
            if self.blocks:
                last = self.blocks[-1]
                end = last[1] + len(last[3])
                if last[0] == mode_ and last[2] == dkind and at in (end, end + end % 2):
                    last[3] += b"\xff" * (at - end) + data
                    continue
            self.blocks.append([mode_, at, dkind, bytearray(data)])

    # Globals pass.
    def file_index(self, path):
        for f in self.files:
            if f[3] == path:
                return f[0]
        self.files.append([len(self.files) + 1, 0, path.replace("\\", "/").split("/")[-1], path, 0])
        return len(self.files)

    def globals_pass(self):
        g = dict(modul=0, modul_record=0, fmap={}, current=0, marked=0, fn=None, scopes=[], depth=0)

        def mark():
            if g["current"] and g["current"] != g["marked"]:
                self.files[g["current"] - 1][1] = 1000
                g["marked"] = g["current"]

        def end_function(end):
            fn = g["fn"]
            if fn is None:
                return
            name = fn["name"] or "_unnamed_function_%d_" % fn["index"]
            self.functions.append([fn["index"], name, encode_name(name), 1, s32(fn["address"]),
                                   end - fn["address"] if end > fn["address"] else 0, fn["section"],
                                   fn["rtype"], fn["scope"], fn["call"]])
            g["fn"], g["scopes"], g["depth"] = None, [], 0

        for i, r in enumerate(self.p.records):
            k = r.kind
            if k == 0x02:
                mark()
            elif k == 0x04 and r.desc == 0:
                if g["fn"]:
                    end_function(g["fn"]["address"])
                self.moduls.append([len(self.moduls) + 1, r.text, 14 * i, 0])
                g.update(modul=len(self.moduls), modul_record=i, fmap={}, current=0, marked=0, scopes=[], depth=0)
            elif k == 0x08:
                if g["fn"]:
                    g["fn"]["scope"] = g["modul"] if r.desc & 4 else -g["modul"]
                    g["fn"]["call"] = 4 if r.desc & 0x10 else 3 if r.desc & 8 else 1 if r.desc & 0x20 else 0
                mark()
            elif k == 0x09:
                g["depth"] += 1
                if g["depth"] <= 256:
                    g["scopes"].append(i)
                mark()
            elif k == 0x0F:
                if g["depth"] > 0:
                    if g["depth"] <= 256:
                        g["scopes"].pop()
                    g["depth"] -= 1
                mark()
            elif k == 0x11:
                end_function(r.value)
            elif k in (0x16, 0x1F) and r.name:
                m = g["modul"]
                data = [pack(m, r.desc)] + variable_place(r.value)
                fn = g["fn"]
                if k == 0x16:
                    self.symbols.append([m, 5, m, r.name] + data + [-1, -1])
                elif fn:
                    scope = g["scopes"][-1] if g["scopes"] else fn["record"]
                    self.symbols.append([m, 3, pack(m, scope - g["modul_record"]), r.name] + data +
                                        [g["current"], fn["index"]])
                else:
                    self.symbols.append([m, 4, m, r.name] + data + [g["current"], -1])
            elif k == 0x1D and r.text:
                index = self.file_index(r.text)
                g["fmap"][r.desc] = index
                if g["modul"]:
                    self.modul_files.add((g["modul"], index))
            elif k == 0x25:
                if g["fn"]:
                    end_function(r.value)
                g["fn"] = dict(index=len(self.functions) + 1, name=r.name, address=r.value, section=r.extra,
                               rtype=pack(g["modul"], r.desc), scope=g["modul"], call=0, record=i)
                g["scopes"], g["depth"] = [], 0
            elif k == 0x56:
                g["current"] = g["fmap"].get(r.desc, 0)
            elif k in (0x5C, 0x5D):
                if g["current"]:
                    self.section_files.add((r.extra, g["current"]))
                names = {s[0]: s[1] for s in self.sections}
                if k == 0x5C and g["modul"] and r.extra in names and names[r.extra] != "?INTVECT":
                    self.modul_sections.add((g["modul"], r.extra))
            self.asm_symbol(r, g["modul"], True)
        if g["fn"]:
            end_function(g["fn"]["address"])

    def asm_symbol(self, r, modul, glob):
        if r.cls & 0xC0 != (0xC0 if glob else 0x80) or not r.name:
            return
        classes = {12: (14, False), 16: (15, False), 20: (13, False), 24: (17, False),
                   28: (2, True), 32: (1, True), 36: (3, True)}
        if r.cls & 0x3C not in classes:
            return
        code, label = classes[r.cls & 0x3C]
        place = variable_place(r.value) if code == 13 and not label else [1, r.value, 0]
        sid = (13 if glob else 14) if label else (6 if glob else 7)
        self.symbols.append([modul, sid, -1, r.name, code] + place + [-1, -1])

    # Module pass.
    def add_type(self, modul, number, typeid, name="", d1=0, d2=0, d3=0, d4=0):
        index = pack(modul, number)
        if index in self.types:
            return
        self.types[index] = [index, modul, typeid, name, s32(d1), s32(d2), s32(d3), s32(d4)]

    def module_pass(self, modul):
        first = self.moduls[modul - 1][2] // 14
        self.moduls[modul - 1][3] = 1
        owners = [f[0] for f in self.functions if abs(f[8]) == modul]
        st = dict(next_fn=min(owners) if owners else 1, fn=0, fblock=None, blocks=[], depth=0, counter=0,
                  reg=-1, files={}, current=0, section=0, nesting=0, lifetimes={}, next_life=1,
                  array=None, enum=None, compound=None, signed=set())
        sym = self.symbols

        def scope():
            if st["blocks"]:
                return st["blocks"][-1][0]
            if st["fn"]:
                return st["fblock"][0]
            return pack(modul, 0)

        def line(number, address, length):
            if st["current"]:
                self.lines.append([number, 1, s32(address), length, st["section"], st["current"]])

        def end_block(end):
            if st["depth"] == 0:
                return
            st["depth"] -= 1
            if st["depth"] >= 256:
                return
            sc, number, start = st["blocks"].pop()
            sym.append([modul, 8, sc, "", number, 1, s32(start), end - start if end > start else 0, -1, -1])

        def end_function(end):
            if not st["fn"]:
                return
            while st["depth"] > 0:
                end_block(end)
            sc, _, start = st["fblock"]
            sym.append([modul, 8, sc, "", 0, 1, s32(start), end - start if end > start else 0, -1, -1])
            st["fn"] = 0

        records = self.p.records
        for i in range(first + 1, len(records)):
            r = records[i]
            k = r.kind
            if k == 0x04 and r.desc == 0:
                break
            place = i - first
            stop = False
            if k == 0x02:
                line(r.desc, r.value, r.extra)
            elif k == 0x04:
                st["files"], st["current"] = {}, 0
            elif k in (0x06, 0x22, 0x62, 0x63):
                reg = st["reg"]
                if k in (0x06, 0x22):
                    st["reg"] = -1
                parameter = k in (0x22, 0x63)
                if r.name and not (parameter and not st["fn"]):
                    if k in (0x62, 0x63):
                        st["lifetimes"][r.value] = st["next_life"]
                        where = [5, st["next_life"], 0]
                        st["next_life"] += 1
                    elif reg >= 0:
                        where = [3, reg, -1]
                    elif not parameter and r.desc == 256:
                        where = [0x40000003, (r.value >> 4) & 0xF, r.value & 0xF]
                    else:
                        where = [2, r.value & 0xFFFF if parameter else s32(r.value), 0]
                    sym.append([modul, 1 if parameter else 2, st["fn"] if parameter else scope(), r.name,
                                pack(modul, r.desc)] + [s32(w) for w in where] + [-1, -1])
            elif k == 0x08:
                if st["fn"] and r.value:
                    line(r.value, st["fblock"][2], 0)
            elif k == 0x09:
                line(r.desc, r.value, r.extra)
                st["depth"] += 1
                if st["depth"] <= 256:
                    st["counter"] += 1
                    st["blocks"].append((pack(modul, place), st["counter"], r.value))
            elif k == 0x0F:
                line(r.desc, r.value, r.extra)
                end_block(r.value)
            elif k == 0x11:
                end_function(r.value)
            elif k == 0x1B and r.name:
                sym.append([modul, 9, scope(), r.name, -1, 1, s32(r.value), -1, -1, -1])
            elif k == 0x1D and r.text:
                st["files"][r.desc] = self.file_index(r.text)
            elif k == 0x25:
                if st["fn"]:
                    end_function(r.value)
                st["fn"] = st["next_fn"]
                st["next_fn"] += 1
                fns = [f for f in self.functions if f[0] == st["fn"]]
                start = fns[0][4] & 0xFFFFFFFF if fns else r.value
                st["fblock"] = (pack(modul, place), 0, start)
                st["blocks"], st["depth"], st["counter"] = [], 0, 0
            elif k == 0x40:
                st["reg"] = r.desc
            elif k == 0x56:
                st["current"] = st["files"].get(r.desc, 0)
            elif k == 0x5C:
                st["nesting"] += 1
                st["section"] = r.extra
            elif k == 0x5D:
                st["nesting"] -= 1
                stop = st["nesting"] == 0
            elif k == 0x5F:
                sym.append([modul, 10, scope(), "", 1, r.value >> 16, r.desc, r.value & 0xFFFF, -1, -1])
            elif k == 0x60 and st["fn"]:
                offset = r.desc - 0x10000 if r.desc & 0x8000 else r.desc
                sym.append([modul, 11, st["fn"], "", offset, 1, s32(r.value), 0, -1, -1])
            elif k in (0x64, 0x65, 0x66) and r.desc in st["lifetimes"]:
                where = None
                if k == 0x64:
                    where = [3, r.extra, -1]
                elif k == 0x65:
                    t = r.text
                    if 0 < len(t) <= 8 and all(c in "0123456789abcdefABCDEF" for c in t):
                        where = [2, s32(int(t, 16)), 0]
                else:
                    where = [6, -1, -1]
                if where:
                    sym.append([modul, 12, st["lifetimes"][r.desc], "", s32(r.value)] + where + [-1, -1])
            else:
                self.module_type(modul, place, r, st)
            self.asm_symbol(r, modul, False)
            if stop:
                break
        while st["blocks"]:
            end_block(st["blocks"][-1][2])
        if st["fn"]:
            end_function(st["fblock"][2])

    def module_type(self, modul, place, r, st):
        k, n = r.kind, r.desc
        member = 0x10000 + place
        if k == 0x05:
            st["array"] = (n, r.value & 0xFFFF, r.value >> 16)
        elif k == 0x31 and st["array"]:
            number, element, lower = st["array"]
            st["array"] = None
            self.add_type(modul, number, 4, "", pack(modul, element), max(r.value + 1 - lower, 0))
        elif k == 0x07:
            if n == 256 and r.value == 0x10000:
                self.add_type(modul, n, 0, "bit", 1, 13)
            else:
                # Width, bit offset, and the sign of the base type.
                self.add_type(modul, n, 2, "", r.value & 0xFF, (r.value >> 8) & 0xFF,
                              1 if r.value >> 16 in st["signed"] else 0)
        elif k == 0x0D:
            self.add_type(modul, n, 1, r.name, pack(modul, r.value))
        elif k == 0x0E:
            st["enum"] = [n, r.name, 0]
        elif k == 0x21 and st["enum"]:
            self.add_type(modul, member, 12, r.name, r.value, 0, 0, pack(modul, st["enum"][0]))
            st["enum"][2] += 1
        elif k == 0x10 and st["enum"]:
            number, name, count = st["enum"]
            st["enum"] = None
            self.add_type(modul, number, 7, name, r.value, count)
        elif k in (0x28, 0x3B):
            st["compound"] = [n, r.name, 0]
        elif k == 0x17 and st["compound"]:
            self.add_type(modul, member, 11, r.name, pack(modul, n), r.value, 0, pack(modul, st["compound"][0]))
            st["compound"][2] += 1
        elif k in (0x12, 0x1A) and st["compound"]:
            number, name, count = st["compound"]
            st["compound"] = None
            self.add_type(modul, number, 5 if k == 0x12 else 6, name, r.value, count)
        elif k == 0x26:
            kind = 0
            if r.value & (1 << 17):
                kind = 2 if r.value & (1 << 19) and not r.value & (7 << 20) else 1
            self.add_type(modul, n, 3, "", pack(modul, r.value & 0xFFFF), kind)
        elif k == 0x2D:
            codes = {"char": 1, "unsigned char": 2, "short": 3, "long": 5, "unsigned long": 6, "float": 7,
                     "double": 8, "int": 9, "unsigned int": 10, "bit": 13}
            if (r.name, r.value >> 16) in BASE_TYPES and pack(modul, n) not in self.types:
                self.add_type(modul, n, 0, r.name, r.value >> 16, codes[r.name])
                if codes[r.name] in (1, 3, 5, 9):
                    st["signed"].add(n)
        elif k == 0x37:
            self.add_type(modul, n, 9, "", pack(modul, r.value))

    def tables(self):
        self.sections_pass()
        self.globals_pass()
        for modul in range(1, len(self.moduls) + 1):
            self.module_pass(modul)
        t = {
            "Program": [[1, "@PATH@", 0, "@TIME@", "@PATH@", "__CSTART", "main", "", "", 1]],
            "Sections": self.sections,
            "Moduls": self.moduls,
            "SourceFiles": self.files,
            "SourceLines": [[i] + row for i, row in enumerate(self.lines, 1)],
            "Functions": self.functions,
            "ModulSectionRelation": sorted(self.modul_sections),
            "ModulSourceFileRelation": sorted(self.modul_files),
            "SectionSourceFileRelation": sorted(self.section_files),
            "RegisterMap": [["R%d" % n, n] for n in range(16)] + [["RL%d" % n, n + 16] for n in range(8)] +
                           [["RH%d" % n, n + 24] for n in range(8)],
            "Symbols": [[i] + row[:3] + [row[3], encode_name(row[3])] + [s32(v) for v in row[4:]]
                        for i, row in enumerate(self.symbols, 1)],
            "Types": [self.types[k] for k in sorted(self.types)],
        }
        return t


def expect_text(program):
    e = Expect(program)
    tables = e.tables()
    out = []
    for name, rows in tables.items():
        out.append("== " + name)
        out.append("\t".join(COLUMNS[name].split()))
        for row in rows:
            out.append("\t".join(escaped(v) if isinstance(v, str) else str(v) for v in row))
    out.append("== blocks")
    for mode, at, kind, data in e.blocks:
        # The host is told code (0) or data (2).
        out.append("qelhost:   block at 0x%08X, %d bytes, kind %d" % (at, len(data), 0 if kind == 1 else 2))
    return "\n".join(out) + "\n"


# --- the samples --------------------------------------------------------------------

def code(n, seed=0):
    return bytes((seed + i * 7) & 0xFF for i in range(n))


def sections_sample(version):
    """Every kind of section: code, data, BSS, the bit area, gapped sections sharing a
    gap, the interrupt call and return sections and vector fragments."""
    return Program(version=version, relocations=2, byte20=0xFF if version < 4 else 0, sections=[
        Sec("?INTVECT", 0x78, 0x0000, 8, code(8, 1)),
        Sec("VECT_A", 0x78, 0x0100, 4, code(4, 2)),
        Sec("VECT_B", 0x78, 0x0104, 4, code(4, 3)),
        Sec("VECT_EDGE", 0x78, 0x01FE, 4, code(4, 4)),
        Sec("CODE", 0x78, 0x1000, 0x40, code(0x30, 5)),
        Sec("CODE2", 0x78, 0x1040, 0x20, code(0x18, 6)),
        Sec("DATA", 0x7A, 0x8000, 0x10, code(0x10, 7)),
        Sec("BSS", 0x7A, 0x9000, 0x20),
        Sec("BITS", 0x79, 0x23, 2, b"\x01\x02"),
        Sec("__ICALL", 0x78, 0x2000, 0x10, code(0x10, 8)),
        Sec("__IRET", 0x78, 0x2010, 0x08, code(0x08, 9)),
    ], gaps=[
        (0x1008, 0x1010), (0x1020, 0x1028),   # in CODE
        (0x1038, 0x1048),                     # across the end of CODE into CODE2
        (0x1050, 0x1050),                     # empty: not a gap
    ], records=[
        Rec(0x04, text="sections.c"),
        Rec(0x1D, desc=1, text="src/sections.c"),
        Rec(0x56, desc=1),
        Rec(0x5C, extra=6),
        Rec(0x5C, extra=2),
        Rec(0x5D, extra=2),
        Rec(0x5D, extra=6),
    ])


def modules_sample():
    """Two modules with every record kind of both passes, class bits and C++ names."""
    recs = [
        # Module 1.
        Rec(0x04, text="main.c"),
        Rec(0x1D, desc=1, text="c:\\src\\main.c"),
        Rec(0x1D, desc=2, text="c:\\src\\main.h"),
        Rec(0x56, desc=1),
        Rec(0x5C, extra=2),
        Rec(0x2D, desc=10, value=16 << 16, text="int"),
        Rec(0x2D, desc=11, value=8 << 16, text="char"),
        Rec(0x2D, desc=12, value=40 << 16, text="int"),          # no base type: no row
        Rec(0x07, desc=256, value=0x10000),
        Rec(0x07, desc=13, value=(10 << 16) | (3 << 8) | 5),   # 5 bits at 3 of int: signed
        Rec(0x2D, desc=24, value=16 << 16, text="unsigned int"),
        Rec(0x07, desc=25, value=(24 << 16) | (0 << 8) | 9),   # 9 bits at 0 of unsigned int
        Rec(0x0D, desc=14, value=10, text="counter_t"),
        Rec(0x26, desc=15, value=11),
        Rec(0x26, desc=16, value=11 | (1 << 17)),
        Rec(0x26, desc=17, value=11 | (1 << 17) | (1 << 19)),
        Rec(0x26, desc=18, value=11 | (1 << 17) | (1 << 19) | (1 << 21)),
        Rec(0x05, desc=19, value=(1 << 16) | 11),
        Rec(0x31, value=9),
        Rec(0x0E, desc=20, text="color"),
        Rec(0x21, value=0, text="RED"),
        Rec(0x21, value=5, text="GREEN"),
        Rec(0x10, value=16),
        Rec(0x28, desc=21, text="point"),
        Rec(0x17, desc=10, value=0, text="x"),
        Rec(0x17, desc=10, value=16, text="y"),
        Rec(0x17, desc=13, value=32, text="mode"),             # the bit-fields above
        Rec(0x17, desc=25, value=48, text="count"),
        Rec(0x12, value=64),
        Rec(0x3B, desc=22, text="word"),
        Rec(0x17, desc=10, value=0, text="w"),
        Rec(0x17, desc=11, value=0, text="b"),
        Rec(0x1A, value=16),
        Rec(0x37, desc=23, value=10),
        Rec(0x2D, desc=10, value=16 << 16, text="int"),          # again: no second row
        Rec(0x16, desc=10, value=0x8000, text="total"),
        Rec(0x16, desc=256, value=0x23, text="flag"),             # a bit variable
        Rec(0x16, desc=10, value=0x8004, text="count__Q3_1A1B1C", name="A::B::C::count"),
        Rec(0x1F, desc=11, value=0x8010, text="module_static"),
        # Decoded longer than the demangler's first buffer of 1024 bytes.
        Rec(0x16, desc=10, value=0x8008, text="x__1100" + "A" * 1100, name="A" * 1100 + "::x"),
        Rec(0x16, desc=10, value=0x800A, text="f__Fz", name="f__Fz"),    # no mangled name: as it stands
        Rec(0x02, desc=3, value=0x1000, extra=4),
        Rec(0x25, desc=10, value=0x1000, extra=2, text="main"),
        Rec(0x08, desc=0x04 | 0x10, value=5),
        Rec(0x22, desc=10, value=0x10004, text="argc"),
        Rec(0x40, desc=4),
        Rec(0x22, desc=11, value=0, text="argv"),
        Rec(0x06, desc=10, value=6, text="local"),
        Rec(0x40, desc=12),
        Rec(0x06, desc=10, value=0, text="in_register"),
        Rec(0x06, desc=256, value=0x37, text="bit_local"),
        Rec(0x1F, desc=10, value=0x8020, text="function_static"),
        Rec(0x09, desc=7, value=0x1008, extra=2),
        Rec(0x06, desc=10, value=8, text="inner"),
        Rec(0x1F, desc=10, value=0x0100, text="block_static"),    # below 4096: a bit address
        Rec(0x1B, value=0x100A, text="again"),
        Rec(0x5F, desc=0x33, value=0x00120034),
        Rec(0x60, desc=0xFFFE, value=0x100C),
        Rec(0x62, desc=10, value=77, text="ranged"),
        Rec(0x63, desc=11, value=78, text="ranged_parameter"),
        Rec(0x64, desc=77, value=0x1008, extra=5),
        Rec(0x65, desc=77, value=0x100A, text="1C"),
        Rec(0x65, desc=77, value=0x100B, text="123456789"),       # nine digits: no row
        Rec(0x65, desc=77, value=0x100B, text="12G"),             # no hex: no row
        Rec(0x66, desc=77, value=0x100C),
        Rec(0x64, desc=99, value=0x100C, extra=1),                # unknown key: no row
        Rec(0x1E),
        Rec(0x2F),
        Rec(0x0F, desc=9, value=0x1010, extra=2),
        Rec(0x02, desc=10, value=0x1012, extra=2),
        Rec(0x11, value=0x1020),
        # A function without name, ended by the next begin.
        Rec(0x25, desc=10, value=0x1020, extra=2),
        Rec(0x25, desc=10, value=0x1030, extra=2, text="f__FPcRi", name="f(char*, int&)"),
        Rec(0x08, desc=0x08),
        Rec(0x09, desc=20, value=0x1032, extra=2),
        Rec(0x09, desc=21, value=0x1034, extra=2),
        Rec(0x11, value=0x1038),                                   # closes both blocks too
        Rec(0x25, desc=10, value=0x1040, extra=3, text="f__Fie_v", name="void f(int, ...)"),
        Rec(0x08, desc=0x20),
        Rec(0x11, value=0x1030),                                   # below its start: length 0
        Rec(0x56, desc=2),
        Rec(0x02, desc=1, value=0x1044, extra=2),
        Rec(0x56, desc=9),                                         # never named: no lines
        Rec(0x02, desc=2, value=0x1046, extra=2),
        # Assembler symbols: global (bits 6-7 = 11) and static (10) of every class.
        Rec(0x1E, value=0x8100, text="asm_byte", cls=0xC0 | 12),
        Rec(0x1E, value=0x8102, text="asm_word", cls=0xC0 | 16),
        Rec(0x1E, value=0x0021, text="asm_bit", cls=0xC0 | 20),
        Rec(0x1E, value=0xFD10, text="asm_bitword", cls=0xC0 | 24),
        Rec(0x1E, value=0x1050, text="asm_label2", cls=0xC0 | 28),
        Rec(0x1E, value=0x1052, text="asm_label1", cls=0xC0 | 32),
        Rec(0x1E, value=0x1054, text="asm_label3", cls=0xC0 | 36),
        Rec(0x1E, value=0x1056, text="asm_other", cls=0xC0 | 40),
        Rec(0x1E, value=0x8104, text="static_byte", cls=0x80 | 12),
        Rec(0x1E, value=0x1058, text="static_label", cls=0x80 | 32),
        Rec(0x5C, extra=5),                                        # ?INTVECT: no module relation
        Rec(0x5D, extra=5),
        Rec(0x5C, extra=4),
        Rec(0x5C, extra=4),                                        # twice: one relation row
        Rec(0x5D, extra=4),
        Rec(0x5D, extra=2),
        Rec(0x5D, extra=2),                                        # nesting back to 0: the module ends
        Rec(0x16, desc=10, value=0x8200, text="after_module_end"),
        Rec(0x1B, value=0x1060, text="not_in_module_pass"),        # the module pass never sees it
        # Module 2: the unbalanced nesting of module 1 does not reach into it.
        Rec(0x04, text="util.c"),
        Rec(0x04, desc=1),                                         # not a module: forgets the files
        Rec(0x1D, desc=1, text="c:\\src\\util.c"),
        Rec(0x1D, desc=2, text="c:\\src\\main.h"),
        Rec(0x56, desc=1),
        Rec(0x5C, extra=3),
        Rec(0x2D, desc=10, value=32 << 16, text="long"),
        Rec(0x25, desc=10, value=0x1040, extra=3, text="util"),
        Rec(0x09, desc=2, value=0x1042, extra=2),                 # never closed
        Rec(0x06, desc=10, value=2, text="u"),
    ] + [Rec(0x09, desc=30, value=0x1043, extra=1) for _ in range(258)] + [
        # 258 blocks deep: the scopes past 256 are not followed; these take the 256th.
        Rec(0x06, desc=10, value=4, text="deep"),
        Rec(0x1F, desc=10, value=0x8030, text="deep_static"),
    ] + [Rec(0x0F, desc=31, value=0x1044, extra=1) for _ in range(258)] + [
        Rec(0x11, value=0x1048),
        Rec(0x25, desc=10, value=0x1048, extra=3, text="never_ended"),
        Rec(0x06, desc=10, value=2, text="v"),
        # Module 3: module 2's nesting never came back to 0, and its pass ends here.
        Rec(0x04, text="tail.c"),
        Rec(0x2D, desc=20, value=8 << 16, text="char"),
    ]
    return Program(version=4, sections=[
        Sec("CODE", 0x78, 0x1000, 0x40, code(0x40, 1)),
        Sec("CODE2", 0x78, 0x1040, 0x20, code(0x20, 2)),
        Sec("DATA", 0x7A, 0x8000, 0x300, code(0x300, 3)),
        Sec("?INTVECT", 0x78, 0x0000, 4, code(4, 4)),
    ], records=recs)


def shared_sample():
    """Two modules whose code lies in one section, which both relate to: a query at an
    address of the second must read the second."""
    def modul(name, at, lines, data_at):
        letter = name[0]
        return [
            Rec(0x04, text=name),
            Rec(0x1D, desc=1, text="src/" + name),
            Rec(0x56, desc=1),
            Rec(0x5C, extra=2),
            Rec(0x2D, desc=10, value=16 << 16, text="int"),
            Rec(0x16, desc=10, value=data_at, text="g" + letter),
            Rec(0x1F, desc=10, value=data_at + 2, text="s" + letter),
            Rec(0x02, desc=lines[0], value=at, extra=4),
            Rec(0x25, desc=10, value=at, extra=2, text="f" + letter),
            Rec(0x08, desc=0x04),
            Rec(0x22, desc=10, value=4, text="p" + letter),
            Rec(0x06, desc=10, value=2, text="l" + letter),
            Rec(0x1F, desc=10, value=data_at + 4, text="k" + letter),
            Rec(0x02, desc=lines[1], value=at + lines[2], extra=4),
            Rec(0x11, value=at + 0x10),
            Rec(0x5D, extra=2),
        ]
    return Program(version=4, sections=[
        Sec("CODE", 0x78, 0x1000, 0x80, code(0x80, 1)),
        Sec("DATA", 0x7A, 0x8000, 0x20, code(0x20, 2)),
    ], records=modul("a.c", 0x1000, (10, 11, 4), 0x8000) + modul("b.c", 0x1040, (20, 21, 8), 0x8010))


def bench_sample(modules):
    """A program of `modules` modules of alike size: types, variables, functions with
    parameters, locals, blocks and lines."""
    recs = []
    for m in range(modules):
        code_at = 0x10000 + m * 0x100
        recs += [
            Rec(0x04, text="module%d.c" % m),
            Rec(0x1D, desc=1, text="src/module%d.c" % m),
            Rec(0x1D, desc=2, text="src/common.h"),
            Rec(0x56, desc=1),
            Rec(0x5C, extra=2),
            Rec(0x2D, desc=10, value=16 << 16, text="int"),
            Rec(0x2D, desc=11, value=8 << 16, text="char"),
            Rec(0x26, desc=12, value=11),
            Rec(0x28, desc=13, text="record%d" % m),
            Rec(0x17, desc=10, value=0, text="id"),
            Rec(0x17, desc=12, value=16, text="name"),
            Rec(0x17, desc=10, value=32, text="size"),
            Rec(0x12, value=48),
            Rec(0x16, desc=13, value=0x40000 + m * 16, text="table%d" % m),
            Rec(0x1F, desc=10, value=0x40008 + m * 16, text="count%d" % m),
        ]
        for f in range(3):
            at = code_at + f * 0x40
            recs += [
                Rec(0x02, desc=10 + f * 10, value=at, extra=4),
                Rec(0x25, desc=10, value=at, extra=2, text="function%d_%d" % (m, f)),
                Rec(0x08, desc=0x04, value=10 + f * 10),
                Rec(0x22, desc=10, value=4, text="first"),
                Rec(0x40, desc=12),
                Rec(0x22, desc=12, value=0, text="second"),
                Rec(0x06, desc=10, value=2, text="local"),
                Rec(0x09, desc=11 + f * 10, value=at + 8, extra=4),
                Rec(0x06, desc=11, value=6, text="inner"),
                Rec(0x02, desc=12 + f * 10, value=at + 12, extra=4),
                Rec(0x0F, desc=13 + f * 10, value=at + 0x20, extra=2),
                Rec(0x02, desc=14 + f * 10, value=at + 0x30, extra=4),
                Rec(0x11, value=at + 0x40),
            ]
        recs.append(Rec(0x5D, extra=2))
    return Program(version=4, sections=[Sec("CODE", 0x78, 0x10000, modules * 0x100, code(modules * 0x100, 1))],
                   records=recs)


def damaged(program, change):
    data = bytearray(write_out(program))
    change(data)
    return bytes(data)


def main():
    base = sections_sample(4)
    image = write_out(base)
    samples = {
        "sections-v3.out": sections_sample(3),
        "sections-v4.out": base,
        "modules.out": modules_sample(),
        "shared-code.out": shared_sample(),
    }
    for name, program in samples.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(write_out(program))
        with open(os.path.join(HERE, name + ".expect"), "w", encoding="latin-1", newline="\n") as f:
            f.write(expect_text(program))

    # Damaged files, each with the reason the load gives.
    cut = 8 + 14 * len(base.gaps) + 1  # into the strings: the gap table's head is gone
    count = len(base.records) + len(base.sections)
    contents = sum(len(s.data) + len(s.data) % 2 for s in base.sections)
    names = 22 + 20 * len(base.sections) + contents + 8 * base.relocations
    broken = {
        "damaged-short.out": (lambda d: d.__delitem__(slice(len(d) - cut, len(d))),
                              "The file is cut short: its tables need %d bytes up to the gap table's head, it has %d."),
        "damaged-text.out": (lambda d: struct.pack_into("<I", d, names + 14 * 2, 7),
                             "Name record 2 has its text at 0x7, outside the strings."),
        "damaged-names.out": (lambda d: struct.pack_into("<H", d, 10, len(base.sections) - 1),
                              "The name table has %d records, fewer than the %d sections that it must name."),
        "damaged-contents.out": (lambda d: struct.pack_into("<I", d, 22 + 20 * 4 + 12, 0x10000),
                                 "The contents of section 4 (0x10000 bytes at 0x%X) lie outside the contents area."),
        "damaged-gaps.out": (lambda d: struct.pack_into("<H", d, len(d) - 14 * len(base.gaps) - 4, 0x7FFF),
                             "The gap table's 32767 records run past the end of the file."),
    }
    full = len(image)
    section4 = struct.unpack_from("<I", image, 22 + 20 * 4 + 8)[0]
    texts = {
        "damaged-short.out": broken["damaged-short.out"][1] % (full - 14 * len(base.gaps), full - cut),
        "damaged-text.out": broken["damaged-text.out"][1],
        "damaged-names.out": broken["damaged-names.out"][1] % (len(base.sections) - 1, len(base.sections)),
        "damaged-contents.out": broken["damaged-contents.out"][1] % section4,
        "damaged-gaps.out": broken["damaged-gaps.out"][1],
    }
    for name, (change, _) in broken.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(damaged(base, change))
        with open(os.path.join(HERE, name + ".expect"), "w", newline="\n") as f:
            f.write("== status\nstatus\t7\t%s\n" % texts[name])


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--bench":
        with open(sys.argv[3], "wb") as f:
            f.write(write_out(bench_sample(int(sys.argv[2]))))
    else:
        main()
