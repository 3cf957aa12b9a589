#!/usr/bin/env python3
# Writes the EOMF sample programs of this folder from the declarative descriptions below,
# each NAME.obj with NAME.expect beside it:
#
#   [TABLE]                a table of the symbol database, as `qelhost load NAME.obj
#   COLUMN<TAB>COLUMN...   --modules --rows TABLE` prints it (rows in the order of the
#   VALUE<TAB>VALUE...     table's primary index), without the columns that the engine
#                          numbers (SymbolIndex, SourceLineIndex) or encodes (NameString)
#   [download]             the blocks the host receives: start, kind, bytes in hex
#   status N TEXT          for a damaged program: the load's status and a piece of its text
#
# The rows follow from the descriptions by the rules of the EOMF reader (procedures,
# symbols, types, lifetimes), not from the bytes written: the byte writer and the rules
# meet only in the record offsets of the Moduls rows.
#
# Run it with Python 3 from anywhere; the outputs are committed.
import os

HERE = os.path.dirname(os.path.abspath(__file__))

# ---- record encodings -------------------------------------------------------------------

def w(v): return [v & 0xFF, (v >> 8) & 0xFF]
def d(v): return [v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, (v >> 24) & 0xFF]
def idx(v): return [v] if v < 128 else [0x80 | (v >> 8), v & 0xFF]
def name(s): return [len(s)] + list(s.encode('latin-1'))
def base(b):
    # Group and section index 0, then a frame: a 16 KB page (bit 15) when the base is a
    # multiple of 16 KB below 64 KB, else a 64 KB segment.
    if b % 0x10000 == 0:
        return [0, 0] + w(b >> 16)
    assert b % 0x4000 == 0
    return [0, 0] + w(0x8000 | (b >> 14))

class Writer:
    def __init__(self):
        self.bytes = []
    def record(self, rtype, body):
        L = len(body) + 1
        rec = [rtype] + w(L) + body
        rec.append((-sum(rec)) & 0xFF)
        self.bytes += rec
        return len(self.bytes)

SECTION_TYPE = {'BIT': 0, 'DATA': 1, 'CODE': 2, 'CONST': 3}
TYSE = {'BIT': 3, 'DATA': 3, 'CODE': 1, 'CONST': 2}
BASE = {'bit': 0x41, 'char': 0x42, 'uchar': 0x43, 'int': 0x44, 'uint': 0x45, 'long': 0x46,
        'ulong': 0x47, 'float': 0x48, 'double': 0x49, 'void': 0x4A, 'bitword': 0x4C, 'near': 0x4D,
        'far': 0x4E}
KIND = {'BIT': 0, 'VARIABLE': 1, 'LABEL': 2, 'REGBANK': 3, 'INTNO': 4, 'CONSTANT': 5, 'REGISTER': 6,
        'STACK': 7}
MODEL = {'TINY': 1, 'SMALL': 2, 'COMPACT': 3, 'MEDIUM': 4, 'LARGE': 5, 'HCOMPACT': 6, 'HLARGE': 7}

def typeref(t, types):
    return types[t] if t in types else BASE[t]

# ---- the descriptions -------------------------------------------------------------------
# Types are named; TYPNEW records are written in the order of `types`, the first getting
# index 128. A symbol: (kind, name, value, type, flagged, bit). A procedure holds blocks,
# nested as they are in the file.

C_NEAR = {
    'head': 'LHEADR', 'name': 'CNEAR',
    'lnames': ['CODE', 'CONST', 'DATA', 'BITS', 'FAR', 'CCODE'],
    'sections': [
        dict(type='CODE', address=0x1000, length=0x100, name=1, cls=6),
        dict(type='CONST', address=0x2000, length=0x20, name=2, cls=0),
        dict(type='DATA', ext='huge', address=0x8000, length=0x40, name=3, cls=0),
        dict(type='BIT', address=0xFD10, length=6, pos=3, name=4, cls=0),
        dict(type='DATA', ext='xhuge', address=0x30000, length=0, max=True, name=5, cls=0),
    ],
    'types': [
        ('ptr_node', ('pointer', 3, 'node')),                 # forward: node comes later
        ('node', ('struct', 'node', 6, 'node_members')),
        ('node_members', ('components', [('int', 0, 'val'), ('ptr_node', 2, 'next'), ('uint', 4, 'flags')])),
        ('matrix', ('array', 0, 'int', [2, 3])),
        ('field', ('bitfield', 'char', 1, 4)),
        ('ufield', ('bitfield', 'uint', 0, 9)),
        ('pair', ('union', 'pair', 4, 'pair_members')),
        ('pair_members', ('components', [('long', 0, 'l'), ('field', 0, 'f')])),
        ('calc_t', ('function', 1, 'int', 'calc_params')),
        ('calc_params', ('params', [('int', 4, 3, 0, 'a'), ('char', 2, 3, 0, 'b')])),
        ('fp_t', ('pointer', 4, 'calc_t')),
        ('far_ptr', ('pointer', 5, 'long')),
    ],
    'modules': [
        dict(name='CALC', translator='C166 V4.0', input='calc.c', model='SMALL',
             data=[(0x1000, 'CODE', [0xCC, 0x00] * 8), (0x1010, 'CODE', [0xDB, 0x00] * 16),
                   (0x2000, 'CONST', [1, 2, 3]), (0x2004, 'CONST', [4])],
             procs=[
                 dict(name='helper', offset=0x1000, length=0x10, type='void'),
                 dict(name='calc', offset=0x1010, length=0x20, type='calc_t',
                      symbols=[('REGISTER', 'a', 4, 'int', False, 0), ('REGISTER', 'b', 3, 'char', False, 0),
                               ('STACK', 'p', 2, 'ptr_node', False, 0)],
                      blocks=[dict(offset=0x1014, length=0x10,
                                   symbols=[('REGISTER', 'x', 2, 'long', False, 0),
                                            ('REGISTER', 'lo', 8, 'uchar', False, 0),
                                            ('STACK', 'm', 6, 'matrix', True, 0)],
                                   blocks=[dict(offset=0x1018, length=4,
                                                symbols=[('STACK', 'deep', 8, 'int', False, 0),
                                                         ('REGISTER', 'd8', 4, 'double', False, 0)])])]),
             ],
             lines=[(0x1010, [(20, 0), (21, 4), (22, 0x18)])],
             globals=[('PUBDEF', 0x10000, [('VARIABLE', 'table', 0x8000 - 0x10000 & 0xFFFF, 'matrix', True, 0),
                                           ('VARIABLE', 'list', 0x8010 - 0x10000 & 0xFFFF, 'ptr_node', True, 0),
                                           ('LABEL', 'back', 0x10000 - 0x1030, 'near', True, 0)]),
                      ('PUBDEF', 0, [('VARIABLE', 'cb', 0x8014, 'fp_t', False, 0),
                                     ('VARIABLE', 'un', 0x8018, 'pair', False, 0),
                                     ('LABEL', 'calc', 0x1010, 'near', False, 0),
                                     ('LABEL', 'entry', 0x1000, 'far', False, 0),
                                     ('BIT', 'ready', 0xFD10, 'bit', False, 5),
                                     ('BIT', 'regbit', 4, 'bit', True, 2),
                                     ('CONSTANT', 'K', 7, 'int', False, 0),
                                     ('REGBANK', 'RB0', 0xFC00, 'int', False, 0),
                                     ('INTNO', 'ISR', 0x20, 'int', False, 0)]),
                      ('GLBDEF', 0xC000, [('VARIABLE', 'shared', 0x20, 'far_ptr', False, 0)])],
             statics=[('LOCSYM', 0, [('VARIABLE', 'count', 0x8020, 'uint', False, 0),
                                     ('LABEL', 'loop', 0x1020, 'near', False, 0),
                                     ('BIT', 'sbit', 0xFD11, 'bit', False, 1)])],
             proc_statics={'calc': [('VARIABLE', 'seen', 0x8024, 'int', False, 0)]}),
    ],
    'unknown': True,
    'padding': 2,
}

DEPLST_MIXED = {
    'head': 'DEPLST', 'name': 'MIXED',
    'deps': [(0, 'C:\\PRJ\\OUT\\MIXED.ABS'), (1, 'C:\\PRJ\\SRC\\Main.C'), (2, 'C:\\C166\\INC\\REG167.H'),
             (3, 'C:\\PRJ\\MIXED.LNK'), (4, 'C:\\PRJ\\OBJ\\START.OBJ'), (0xFF, 'l166 @mixed.lnk')],
    'lnames': ['VECTORS', 'ICODE', 'IDATA', 'CGROUP'],
    'vectab': [(0x0000, [0xFA, 0x00, 0x00, 0x02]), (0x0008, [0xFA, 0x00, 0x40, 0x02])],
    'sections': [
        dict(type='CODE', ext='xhuge', address=0x200, length=0x80, name=2, cls=0),
        dict(type='DATA', address=0xE000, length=0x10, name=3, cls=0),
        dict(type='BIT', ext='huge', address=0xFD00, length=9, pos=0, name=0, cls=0),
        dict(type='CONST', ext='huge', address=0x300, length=0x10, name=0, cls=0),
    ],
    'groups': [(4, [2, 5])],
    'types': [],
    'modules': [
        dict(name='MAIN', translator='C166 COMPILER V4', input='main.c', model='LARGE',
             data=[(0x200, 'CODE', [0xCB, 0x00, 0xCC]), (0x203, 'CODE', [0x00]), (0xE000, 'DATA', [9, 9])],
             procs=[dict(name='main', offset=0x200, length=0x40, type='int',
                         symbols=[('STACK', 'i', 4, 'int', True, 0)])],
             lines=[(0x200, [(5, 0), (6, 2), (9, 0x3E)])],
             globals=[('PUBDEF', 0, [('VARIABLE', 'g', 0xE000, 'int', False, 0),
                                     ('LABEL', 'main', 0x200, 'far', False, 0)])],
             statics=[]),
        dict(name='START', translator='A166 ASSEMBLER', input=None, model=None,
             data=[(0x240, 'CODE', [0xDA, 0x00, 0x00, 0x02])],
             procs=[], lines=[],
             globals=[('PUBDEF', 0, [('LABEL', '?C_STARTUP', 0x240, 'far', False, 0),
                                     ('LABEL', 'go', 0x244, 'int', False, 0),
                                     ('VARIABLE', 'stk', 0xE008, 'uchar', False, 0),
                                     ('VARIABLE', 'bw', 0xE00A, 'bitword', False, 0),
                                     ('VARIABLE', 'wd', 0xE00C, 'uint', False, 0),
                                     ('BIT', 'flag', 0xFD00, 'bit', False, 3)])],
             statics=[('LOCSYM', 0, [('VARIABLE', 'tmp', 0xE00E, 'uchar', False, 0),
                                     ('BIT', 'lbit', 0xFD00, 'bit', False, 4),
                                     ('LABEL', 'here', 0x242, 'near', False, 0)])]),
    ],
    'padding': 0,
}

# Two C modules whose code lies in one CODE section: a query at an address of the second
# must read the second, although the section relates to the first as well.
def shared_module(name_, source, at, lines, data_at):
    return dict(name=name_, translator='C166 V4.0', input=source, model='SMALL',
                data=[(at, 'CODE', [0xCC, 0x00] * 8)],
                procs=[dict(name='f' + name_.lower(), offset=at, length=0x10, type='int',
                            symbols=[('STACK', 'p' + name_.lower(), 2, 'int', False, 0)],
                            blocks=[dict(offset=at + 4, length=8,
                                         symbols=[('STACK', 'l' + name_.lower(), 4, 'int', False, 0)])])],
                lines=[(at, lines)],
                globals=[('PUBDEF', 0, [('VARIABLE', 'g' + name_.lower(), data_at, 'int', False, 0),
                                        ('LABEL', 'f' + name_.lower(), at, 'near', False, 0)])],
                statics=[('LOCSYM', 0, [('VARIABLE', 's' + name_.lower(), data_at + 2, 'int', False, 0)])],
                proc_statics={'f' + name_.lower(): [('VARIABLE', 'k' + name_.lower(), data_at + 4, 'int', False, 0)]})

# After fa's end, a block at module level: its static belongs to the module, not to fa.
SHARED_A = shared_module('A', 'a.c', 0x1000, [(10, 0), (11, 4)], 0x8000)
SHARED_A['blocks'] = [dict(offset=0x1020, length=8, statics=[('VARIABLE', 'ha', 0x8006, 'int', False, 0)])]

SHARED_CODE = {
    'head': 'LHEADR', 'name': 'SHARED',
    'lnames': ['CODE', 'DATA'],
    'sections': [
        dict(type='CODE', address=0x1000, length=0x80, name=1, cls=0),
        dict(type='DATA', address=0x8000, length=0x20, name=2, cls=0),
    ],
    'types': [],
    'modules': [
        SHARED_A,
        shared_module('B', 'b.c', 0x1040, [(20, 0), (21, 8)], 0x8010),
    ],
    'padding': 0,
}

# ---- the byte writer --------------------------------------------------------------------

def type_indexes(program):
    return {n: 128 + i for i, (n, _) in enumerate(program['types'])}

def symbol_bytes(symbols, types):
    body = []
    for kind, nm, value, t, flagged, bit in symbols:
        info = (KIND[kind] << 4) | bit | (0x80 if flagged else 0)
        body += name(nm) + w(value) + [info] + idx(typeref(t, types))
    return body

def write_program(program):
    out = Writer()
    types = type_indexes(program)
    if program['head'] == 'DEPLST':
        body = []
        for kind, path in program['deps']:
            if kind == 0xFF:
                body += [0xFF, 0] + w(len(path)) + list(path.encode('latin-1'))
            else:
                body += [kind, 0] + d(0x2A000000 + kind) + name(path)
        out.record(0x70, body)
    out.record(0x82, name(program['name']))
    out.record(0x96, sum((name(n) for n in program['lnames']), []))
    for address, data in program.get('vectab', []):
        out.record(0xE9, [address >> 16] + w(address & 0xFFFF) + [2] + data)
    for s in program['sections']:
        attr = (SECTION_TYPE[s['type']] << 6) | s.get('pos', 0)
        if s.get('ext') == 'xhuge':
            attr |= 0x20
        flags = 0x02 if s.get('max') else 0
        head = [attr, flags] + w(s['address'] >> 16) + w(s['address'] & 0xFFFF)
        if 'ext' in s:
            out.record(0xC5, head + d(s['length']) + idx(s['name']) + idx(s['cls']))
        else:
            out.record(0xB0, head + w(s['length']) + idx(s['name']) + idx(s['cls']))
    for group, members in program.get('groups', []):
        out.record(0xB1, [0] + idx(group) + sum(([0xFF] + idx(m) for m in members), []))
    offsets = []
    for m in program['modules']:
        offsets.append(out.record(0x80, name(m['name'])))
        out.blocks = 0
        out.record(0x88, [0, 0x80] + list(m['translator'].encode('latin-1')))
        if m['input']:
            out.record(0x88, [0x4B, 0] + list(m['input'].encode('latin-1')))
        if m['model']:
            out.record(0xE7, [MODEL[m['model']] << 2])
        if m is program['modules'][0]:
            for n, desc in program['types']:
                out.record(0xF0, typnew(desc, types))
        for address, kind, data in m['data']:
            out.record(0xB9, [address >> 16] + w(address & 0xFFFF) + [SECTION_TYPE[kind]] + data)
        for p in m['procs']:
            write_block(out, p, types, True, m.get('proc_statics', {}).get(p['name'], []))
        for b in m.get('blocks', []):
            write_block(out, b, types, False, b.get('statics', []))
        for address, lines in m['lines']:
            body = base(0)
            for line, offset in lines:
                body += w(line) + w(address + offset)
            out.record(0x94, body)
        for rtype, b, symbols in m['globals']:
            out.record(0xB3 if rtype == 'PUBDEF' else 0xE6, base(b) + symbol_bytes(symbols, types))
        for rtype, b, symbols in m['statics']:
            out.record(0xB5, base(b) + symbol_bytes(symbols, types))
        if program.get('unknown') and m is program['modules'][0]:
            out.record(0x42, [0])
        out.record(0x8A, [])
    out.bytes += [0] * program.get('padding', 0)
    return bytes(out.bytes), offsets

def write_block(out, block, types, procedure, statics):
    nm = block.get('name', '')
    body = base(0) + name(nm) + w(block['offset']) + w(block['length']) + [0x80 if procedure else 0]
    if nm:
        body += [0, 0] + idx(typeref(block['type'], types))
    out.record(0xB7, body)
    number = out_block_number(out)
    if block.get('symbols'):
        out.record(0xB6, [2] + idx(number) + symbol_bytes(block['symbols'], types))
    if statics:
        out.record(0xB6, [0] + base(0) + symbol_bytes(statics, types))
    for inner in block.get('blocks', []):
        write_block(out, inner, types, False, [])
    out.record(0x7C, [])

def out_block_number(out):
    out.blocks = getattr(out, 'blocks', 0) + 1
    return out.blocks

def typnew(desc, types):
    kind = desc[0]
    if kind == 'pointer':
        return [0x21, desc[1], 0, 0, 0] + w(typeref(desc[2], types))
    if kind in ('struct', 'union'):
        return [0x24, 1 if kind == 'struct' else 2] + d(desc[2]) + w(types[desc[3]]) + name(desc[1])
    if kind == 'components':
        body = [0x20] + w(len(desc[1]))
        for t, offset, nm in desc[1]:
            body += w(typeref(t, types)) + d(offset) + [0, 0] + name(nm)
        return body
    if kind == 'params':
        body = [0x20] + w(len(desc[1]))
        for t, value, pkind, bit, nm in desc[1]:
            body += w(typeref(t, types)) + d(value) + [pkind, bit] + name(nm)
        return body
    if kind == 'array':
        return [0x22, len(desc[3]), desc[1]] + w(typeref(desc[2], types)) + sum((d(b) for b in desc[3]), [])
    if kind == 'function':
        return [0x23, desc[1]] + w(typeref(desc[2], types)) + w(types[desc[3]])
    if kind == 'bitfield':
        return [0x25] + w(typeref(desc[1], types)) + [desc[2], desc[3]]
    raise ValueError(kind)

# ---- the rules: what a load and a read of every module write ------------------------------

def s32(v):
    v &= 0xFFFFFFFF
    return v - 0x100000000 if v & 0x80000000 else v

def pack(modul, number):
    return ((modul & 0x1FFF) << 18) | (number & 0x3FFFF)

def basename(path):
    return path.replace('\\', '/').split('/')[-1]

class Model:
    def __init__(self, program, offsets):
        self.p = program
        self.types = type_indexes(program)
        self.desc = {self.types[n]: desc for n, desc in program['types']}
        self.rows = {t: [] for t in ('Sections', 'Moduls', 'SourceFiles', 'ModulSourceFileRelation',
                                     'ModulSectionRelation', 'SectionSourceFileRelation', 'Functions',
                                     'Symbols', 'Types', 'SourceLines', 'RegisterMap')}
        self.sections = []
        self.offsets = offsets
        self.marks = set()
        self.next_type = 0x20000
        self.sources = {}

    # Sections: the vector table (first pass), then the absolute section definitions.
    def build_sections(self):
        for address, data in self.p.get('vectab', []):
            self.sections.append(('?C_VECTOR_TABLE_%Xh' % address, 1, address, len(data)))
        for s in self.p['sections']:
            index = len(self.sections)
            nm = self.p['lnames'][s['name'] - 1] if s['name'] else 'unnamed%u' % (index + 1)
            if s['type'] == 'BIT':
                length = (s.get('pos', 0) + s['length'] + 7) // 8
            else:
                length = 65535 if s.get('max') else s['length']
            self.sections.append((nm, TYSE[s['type']], s['address'], length))
        for i, (nm, t, a, l) in enumerate(self.sections):
            self.rows['Sections'].append([i, nm, t, 1, a, l])

    def find_section(self, address, length):
        for i, (_, _, a, l) in enumerate(self.sections):
            if a <= address and (address + max(length, 1)) <= a + l:
                return i
        return -1

    # Types, written the first time a symbol uses them, through a last-in first-out list.
    def use_type(self, t):
        pending = [t]
        while pending:
            n = pending.pop()
            if n < 128 or n not in self.desc or n in self.marks:
                continue
            self.marks.add(n)
            self.write_type(n, self.desc[n], pending)

    def take(self):
        self.next_type += 1
        return self.next_type - 1

    def ref(self, t):
        return typeref(t, self.types)

    def components(self, list_name, owner, pending):
        desc = self.desc[self.types[list_name]]
        for entry in desc[1]:
            if desc[0] == 'components':
                t, offset, nm = entry
                self.type_row(self.take(), 11, nm, self.ref(t), offset * 8, 0, owner)
            else:
                t, value, pkind, bit, nm = entry
                self.type_row(self.take(), 10, '', self.ref(t), 0, 0, owner)
            pending.append(self.ref(t))

    def type_row(self, number, typeid, nm, d1, d2, d3, d4):
        self.rows['Types'].append([number, 0, typeid, nm, d1, d2, d3, d4])

    def write_type(self, n, desc, pending):
        kind = desc[0]
        if kind == 'pointer':
            a = desc[1]
            pkind = 1 if a < 3 else 0 if a <= 4 else 2 if a in (9, 0xD) else 1
            self.type_row(n, 3, '', self.ref(desc[2]), pkind, 0, 0)
            pending.append(self.ref(desc[2]))
        elif kind == 'array':
            numbers = [n] + [self.take() for _ in desc[3][1:]]
            for i, bound in enumerate(desc[3]):
                element = numbers[i + 1] if i + 1 < len(numbers) else self.ref(desc[2])
                self.type_row(numbers[i], 4, '', element, bound, 0, 0)
            pending.append(self.ref(desc[2]))
        elif kind == 'function':
            count = len(self.desc[self.types[desc[3]]][1])
            self.type_row(n, 9, '', self.ref(desc[2]), count, -1, 0)
            self.components(desc[3], n, pending)
            pending.append(self.ref(desc[2]))
        elif kind in ('struct', 'union'):
            count = len(self.desc[self.types[desc[3]]][1])
            self.type_row(n, 5 if kind == 'struct' else 6, desc[1], desc[2] * 8, count, 0, 0)
            self.components(desc[3], n, pending)
        elif kind == 'bitfield':
            base_type = self.ref(desc[1])
            self.type_row(n, 2, '', desc[3], desc[2], 1 if base_type in (0x42, 0x44, 0x46) else 0, 0)
            pending.append(base_type)

    def size_of(self, t):
        factor = 1
        while True:
            if t in (0x42, 0x43):
                return factor
            if t in (0x46, 0x47, 0x48):
                return factor * 4
            if t == 0x49:
                return factor * 8
            desc = self.desc.get(t)
            if desc is None:
                return factor * 2
            if desc[0] == 'pointer':
                return factor * (4 if desc[1] in (5, 6, 9, 0xD) else 2)
            if desc[0] in ('struct', 'union'):
                return factor * desc[2]
            if desc[0] == 'array':
                for b in desc[3]:
                    factor *= b
                t = self.ref(desc[2])
                continue
            return factor * 2

    # ---- the globals pass ----
    def globals_pass(self):
        self.build_sections()
        deps = {}
        for kind, path in self.p.get('deps', []):
            if kind == 1:
                deps.setdefault(basename(path).lower(), path)
        procedures = 0
        for number, m in enumerate(self.p['modules'], 1):
            self.rows['Moduls'].append([number, m['name'], self.offsets[number - 1], 1])
            c = m['translator'].find('C166') >= 0
            call = {None: 2}.get(m['model'], 1 if m['model'] in ('TINY', 'SMALL', 'COMPACT', 'HCOMPACT') else 2)
            m['_c'], m['_call'], m['_first'] = c, call, procedures
            state = dict(section=-1, source=0, lined=set(), lastlined=0, functions=[], depth=0, procblock=0,
                         procindex=0, blocks=0)
            if m['input']:
                path = deps.get(m['input'].lower(), m['input'])
                if path not in self.sources:
                    self.sources[path] = len(self.sources) + 1
                    self.rows['SourceFiles'].append([self.sources[path], 0, basename(path), path, 0])
                state['source'] = self.sources[path]
                if [number, state['source']] not in self.rows['ModulSourceFileRelation']:
                    self.rows['ModulSourceFileRelation'].append([number, state['source']])
            for address, kind, data in m['data']:
                self.relate(number, state, address, len(data))
            for p in m['procs']:
                procedures += 1
                self.globals_block(number, m, state, p, True, procedures)
            for b in m.get('blocks', []):
                self.globals_block(number, m, state, b, False, 0)
            for address, lines in m['lines']:
                s = self.relate(number, state, address + lines[0][1], 0)
                if s >= 0:
                    state['lined'].add(s)
                    if state['source'] and state['source'] != state['lastlined']:
                        state['lastlined'] = state['source']
                        for row in self.rows['SourceFiles']:
                            if row[0] == state['source']:
                                row[1] = 1000
            for rtype, b, symbols in m['globals']:
                self.globals_symbols(number, m, state, b, symbols)
            for rtype, b, symbols in m['statics']:
                if c:
                    self.static_symbols(number, m, state, b, symbols)
            for f in state['functions']:
                if f[0] == -1:
                    continue
                s = self.relate(number, state, f[2], f[3])
                if s >= 0 and s in state['lined']:
                    self.rows['Functions'].append([f[0], f[1], 1, f[2], f[3], s, f[4], f[5], f[6]])

    def relate(self, modul, state, address, length):
        s = self.find_section(address, length)
        if s < 0 or s == state['section']:
            return s
        state['section'] = s
        if [modul, s] not in self.rows['ModulSectionRelation']:
            self.rows['ModulSectionRelation'].append([modul, s])
        if state['source'] and [s, state['source']] not in self.rows['SectionSourceFileRelation']:
            self.rows['SectionSourceFileRelation'].append([s, state['source']])
        return s

    def globals_block(self, modul, m, state, block, procedure, index):
        state['blocks'] += 1
        if procedure:
            ret, call = 0x4A, m['_call']
            t = self.ref(block['type'])
            desc = self.desc.get(t)
            if desc is not None and desc[0] == 'function':
                ret = self.ref(desc[2])
                self.use_type(ret)
                if desc[1] in (1, 2):
                    call = desc[1]
            elif 0x41 <= t <= 0x49:
                ret = t
            address = block['offset']
            for f in state['functions']:
                if f[2] == address and f[1].lower() == block['name'].lower():
                    f[3], f[0] = block['length'], index
                    break
            else:
                state['functions'].append([index, block['name'], address, block['length'], ret, -modul, call])
            state['depth'], state['procblock'], state['procindex'] = 1, state['blocks'], index
            state['inproc'] = True
        else:
            state['depth'] += 1
        statics = m.get('proc_statics', {}).get(block.get('name'), []) if procedure else block.get('statics', [])
        if statics and m['_c']:
            self.static_symbols(modul, m, state, 0, statics)
        for inner in block.get('blocks', []):
            self.globals_block(modul, m, state, inner, False, index)
        if state['depth'] > 0:
            state['depth'] -= 1
            if state['depth'] == 0:
                state['inproc'] = False

    def label_function(self, state, name_, address, scope, call):
        for f in state['functions']:
            if f[2] == address and f[1].lower() == name_.lower():
                f[5] = scope
                return
        state['functions'].append([-1, name_, address, 0, 0x4A, scope, call])

    def call_of(self, m, t):
        return 1 if t == 0x4D else 2 if t == 0x4E else m['_call']

    def globals_symbols(self, modul, m, state, b, symbols):
        for kind, nm, v, t, flagged, bit in symbols:
            t = self.ref(t)
            value = (b + (-v if flagged else v)) & 0xFFFFFFFF
            if kind == 'BIT' and not flagged:
                if m['_c']:
                    self.sym(modul, 5, modul, nm, 0x41, 0x40000001, b + v, bit, -1, -1)
                else:
                    self.sym(modul, 6, modul, nm, 13, 0x40000001, b + v, bit, -1, -1)
            elif kind == 'VARIABLE':
                if m['_c']:
                    self.use_type(t)
                    self.sym(modul, 5, modul, nm, t, 1, value, 0, -1, -1)
                else:
                    self.sym(modul, 6, modul, nm, 14 if t == 0x43 else 17 if t == 0x4C else 15, 1, value, 0, -1, -1)
            elif kind == 'LABEL':
                if m['_c']:
                    self.label_function(state, nm, value, -modul, m['_call'])
                self.sym(modul, 13, modul, nm, self.call_of(m, t), 1, value, 0, -1, -1)

    def static_symbols(self, modul, m, state, b, symbols):
        scope = state['blocks']
        if state.get('inproc') and scope == state['procblock'] + 1:
            scope = state['procblock']
        for kind, nm, v, t, flagged, bit in symbols:
            t = self.ref(t)
            value = (b + (-v if flagged else v)) & 0xFFFFFFFF
            if kind == 'BIT':
                data = [0x41, 0x40000001, b + v, bit]
            elif kind == 'VARIABLE':
                self.use_type(t)
                data = [t, 1, value, -1]
            elif kind == 'LABEL':
                self.label_function(state, nm, value, modul, m['_call'])
                self.sym(modul, 13, modul, nm, self.call_of(m, t), 1, value, 0, -1, -1)
                continue
            else:
                continue
            if not state.get('inproc'):
                self.sym(modul, 4, modul, nm, *data, state['source'], -1)
            else:
                self.sym(modul, 3, pack(modul, scope), nm, *data, state['source'], state['procindex'])

    def sym(self, modul, symbolid, scope, nm, *data):
        self.rows['Symbols'].append([modul, symbolid, scope, nm] + [s32(x) for x in data])

    # ---- the module pass ----
    def module_pass(self, number, m):
        state = dict(blocks=0, functions=m['_first'], lifetime=0, source=0, section=-1)
        if m['input']:
            deps = {basename(p).lower(): p for k, p in reversed(self.p.get('deps', [])) if k == 1}
            state['source'] = self.sources[deps.get(m['input'].lower(), m['input'])]
        for p in m['procs']:
            state['functions'] += 1
            self.module_block(number, m, state, p, True, state['functions'], 0)
        for b in m.get('blocks', []):
            self.module_block(number, m, state, b, False, 0, -1)
        for address, lines in m['lines']:
            s = self.find_section(address + lines[0][1], 0)
            for line, offset in lines:
                self.rows['SourceLines'].append([line, 1, address + offset, -1, s, state['source']])
        for rtype, b, symbols in m['statics']:
            for kind, nm, v, t, flagged, bit in symbols:
                t = self.ref(t)
                value = (b + (-v if flagged else v)) & 0xFFFFFFFF
                if kind == 'LABEL':
                    self.sym(number, 14, number, nm, self.call_of(m, t), 1, value, 0, -1, -1)
                elif m['_c']:
                    continue
                elif kind == 'VARIABLE':
                    self.sym(number, 7, number, nm, 14 if t == 0x43 else 17 if t == 0x4C else 15, 1, value, -1,
                             -1, -1)
                elif kind == 'BIT':
                    mode, place = (0x40000003, v) if flagged else (0x40000001, b + v)
                    self.sym(number, 7, number, nm, 13, mode, place, bit, -1, -1)

    def place(self, kind, v, t, flagged):
        if kind == 'STACK':
            return [2, -v if flagged else v, 0]
        size = self.size_of(t)
        if size == 1 and v <= 15:
            return [3, 24 + v // 2 if v & 1 else 16 + v // 2, -1]
        if size == 2:
            return [3, v, -1]
        if size == 4:
            return [4, v, v + 1]
        return [-1, -1, -1]

    def module_block(self, modul, m, state, block, procedure, index, procblock):
        state['blocks'] += 1
        number = state['blocks']
        procblock = number if procedure else procblock
        start, end = block['offset'], block['offset'] + block['length']
        self.sym(modul, 8, pack(modul, number), '', index if procedure else number, 1, start, block['length'],
                 -1, -1)
        parameters = []
        for kind, nm, v, t, flagged, bit in block.get('symbols', []):
            t = self.ref(t)
            place = self.place(kind, v, t, flagged)
            self.use_type(t)
            if procedure:
                parameters.append((state['lifetime'], place))
                self.sym(modul, 1, index, nm, t, 5, state['lifetime'], 1, -1, -1)
                state['lifetime'] += 1
            elif number == procblock + 1:
                self.lifetime(modul, state['lifetime'], place, start, end)
                self.sym(modul, 2, pack(modul, number), nm, t, 5, state['lifetime'], 1, -1, -1)
                state['lifetime'] += 1
            else:
                self.sym(modul, 2, pack(modul, number), nm, t, *place, -1, -1)
        for inner in block.get('blocks', []):
            self.module_block(modul, m, state, inner, False, index, procblock)
        for lifetime, place in parameters:
            self.lifetime(modul, lifetime, place, start, end)

    def lifetime(self, modul, number, place, start, end):
        self.sym(modul, 12, number, '', start, *place, -1, -1)
        self.sym(modul, 12, number, '', end, 6, -1, -1, -1, -1)

    def download(self):
        ranges = [(a, 1, data) for a, data in self.p.get('vectab', [])]
        for m in self.p['modules']:
            ranges += [(a, TYSE[k], data) for a, k, data in m['data']]
        ranges.sort(key=lambda r: r[0])
        blocks = []
        for a, kind, data in ranges:
            if blocks:
                start, bkind, buf = blocks[-1]
                end = start + len(buf)
                if bkind == kind and a in (end, end + end % 2):
                    buf += [0xFF] * (a - end) + list(data)
                    continue
            blocks.append((a, kind, list(data)))
        return ['%d\t%d\t%s' % (a, 0 if k == 1 else 2, ' '.join('%02X' % b for b in buf)) for a, k, buf in blocks]

HEADERS = {
    'Sections': 'SectionIndex Name Type AddressMode AddressValue Length',
    'Moduls': 'ModulIndex Name Offset Analyzed',
    'SourceFiles': 'SourceFileIndex Type Name EntryInFile Analyzed',
    'ModulSourceFileRelation': 'ModulIndex SourceFileIndex',
    'ModulSectionRelation': 'ModulIndex SectionIndex',
    'SectionSourceFileRelation': 'SectionIndex SourceFileIndex',
    'Functions': 'FunctionIndex Name AddressMode AddressValue Length SectionIndex ReturnType Scope CallType',
    'Symbols': 'ModulIndex SymbolID ScopeIndex Name Data_1 Data_2 Data_3 Data_4 Data_5 Data_6',
    'Types': 'TypeIndex ModulIndex TypeID Name Data_1 Data_2 Data_3 Data_4',
    'SourceLines': 'SourceLine AddressMode AddressValue Length SectionIndex SourceFileIndex',
    'RegisterMap': 'Name Number',
}
# Tables read in the order of their primary index; the others in the order written.
SORTED = {'Types': 0, 'Functions': 0, 'ModulSectionRelation': None, 'SectionSourceFileRelation': None,
          'ModulSourceFileRelation': None}

def expectations(program, offsets):
    model = Model(program, offsets)
    for nm, bits, code in [('bit', 1, 0x41), ('char', 8, 0x42), ('unsigned char', 8, 0x43), ('int', 16, 0x44),
                           ('unsigned int', 16, 0x45), ('long', 32, 0x46), ('unsigned long', 32, 0x47),
                           ('float', 32, 0x48), ('double', 64, 0x49), ('void', 0, 0x4A)]:
        codes = {'bit': 13, 'char': 1, 'unsigned char': 2, 'int': 9, 'unsigned int': 10, 'long': 5,
                 'unsigned long': 6, 'float': 7, 'double': 8, 'void': 0}
        model.type_row(code, 0, nm, bits, codes[nm], 0, 0)
    model.globals_pass()
    for i in range(32):
        model.rows['RegisterMap'].append(['R%d' % i if i < 16 else 'RL%d' % (i - 16) if i < 24 else 'RH%d' % (i - 24), i])
    for number, m in enumerate(program['modules'], 1):
        model.module_pass(number, m)
    lines = []
    for table, header in HEADERS.items():
        rows = model.rows[table]
        if table in SORTED:
            rows = sorted(rows, key=(lambda r: r[0]) if SORTED[table] == 0 else (lambda r: r))
        lines.append('[%s]' % table)
        lines.append(header.replace(' ', '\t'))
        for row in rows:
            lines.append('\t'.join(str(x).replace('\\', '\\\\') for x in row))
    lines.append('[download]')
    lines += model.download()
    return '\n'.join(lines) + '\n'

def damaged(good):
    cases = {}
    b = bytearray(good)
    b[b.index(0xB9) + 7] ^= 1  # a data byte of the first PEDATA
    cases['bad-checksum'] = (bytes(b), 'has a bad checksum')
    cases['truncated-module'] = (good[:-20], 'truncated at offset')
    head = [0x82, 0x03, 0x00, 0x01, ord('P'), 0x2A, 0x80, 0x03, 0x00, 0x01, ord('M'), 0x2F]
    cases['short-pedata'] = (bytes(head + [0xB9, 0x04, 0x00, 0x00, 0x00, 0x02, 0x41, 0x8A, 0x01, 0x00, 0x75]),
                             'PEDATA record at offset 12 is too short')
    cases['short-xsecdef'] = (bytes(head[:6] + [0xC5, 0x08, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0xE0, 0x00,
                                                0x13, 0x8A, 0x01, 0x00, 0x75]),
                              'XSECDEF record at offset 6 is too short')
    return cases

def main():
    for name_, program in (('c-near', C_NEAR), ('deplst-mixed', DEPLST_MIXED), ('shared-code', SHARED_CODE)):
        data, offsets = write_program(program)
        with open(os.path.join(HERE, name_ + '.obj'), 'wb') as f:
            f.write(data)
        with open(os.path.join(HERE, name_ + '.expect'), 'w') as f:
            f.write(expectations(program, offsets))
        if name_ == 'c-near':
            for damaged_name, (bytes_, text) in damaged(data[:-program['padding']]).items():
                with open(os.path.join(HERE, damaged_name + '.obj'), 'wb') as f:
                    f.write(bytes_)
                with open(os.path.join(HERE, damaged_name + '.expect'), 'w') as f:
                    f.write('status 7 %s\n' % text)

main()
