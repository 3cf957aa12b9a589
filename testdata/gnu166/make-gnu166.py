#!/usr/bin/env python3
"""Writes the GNU C166 test programs of this folder from the descriptions below.

No packaged tool writes this a.out container, so each program is described here at the
level of what it means (modules, functions, lines, variables, types, sections) and this
script writes both the file and NAME.expect: for each table that the tests compare, the
lines of `qelhost load NAME --modules --rows TABLE`, in the order of the table's primary
index. The rows follow from the description: the byte writer is not asked. The rows of
each type definition are stated by hand beside its stabs string.

A damaged program's .expect holds the status line that its load answers.

Run it from anywhere; the outputs are committed beside it. With "--bench FILE [MODULES]"
it writes only the large program that bench/load_bench times (3000 modules).
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

N_EXT, N_TEXT, N_DATA, N_BSS = 0x01, 0x04, 0x06, 0x08
N_GSYM, N_FUN, N_STSYM, N_LCSYM, N_RSYM, N_SLINE = 0x20, 0x24, 0x26, 0x28, 0x40, 0x44
N_SO, N_LSYM, N_SOL, N_PSYM, N_LBRAC, N_RBRAC = 0x64, 0x80, 0x84, 0xA0, 0xC0, 0xE0

TABLES = ['Sections', 'Moduls', 'SourceFiles', 'ModulSourceFileRelation', 'ModulSectionRelation',
          'SectionSourceFileRelation', 'Functions', 'Symbols', 'Types', 'SourceLines', 'RegisterMap']
COLUMNS = {
    'Sections': 'SectionIndex Name Type AddressMode AddressValue Length',
    'Moduls': 'ModulIndex Name Offset Analyzed',
    'SourceFiles': 'SourceFileIndex Type Name EntryInFile Analyzed',
    'ModulSourceFileRelation': 'ModulIndex SourceFileIndex',
    'ModulSectionRelation': 'ModulIndex SectionIndex',
    'SectionSourceFileRelation': 'SectionIndex SourceFileIndex',
    'Functions': 'FunctionIndex Name NameString AddressMode AddressValue Length SectionIndex ReturnType Scope '
                 'CallType',
    'Symbols': 'SymbolIndex ModulIndex SymbolID ScopeIndex Name NameString Data_1 Data_2 Data_3 Data_4 Data_5 '
               'Data_6',
    'Types': 'TypeIndex ModulIndex TypeID Name Data_1 Data_2 Data_3 Data_4',
    'SourceLines': 'SourceLineIndex SourceLine AddressMode AddressValue Length SectionIndex SourceFileIndex',
    'RegisterMap': 'Name Number',
}
# Tables whose rows come in insertion order (no primary index); the rest are sorted by
# their leading key columns.
UNSORTED = {'RegisterMap'}
KEY_COLUMNS = {'ModulSourceFileRelation': 2, 'ModulSectionRelation': 2, 'SectionSourceFileRelation': 2}

BIT_TYPE, WORD_TYPE, FIRST_RUNNING = 0x20000, 0x20001, 0x20002


def encoded(name):
    """The NameString form: lower-case letters moved up by 0x81."""
    return ''.join(chr(ord(c) + 0x81) if 'a' <= c <= 'z' else c for c in name)


def pack(modul, number):
    if number is None or number < 0:
        return -1
    return ((modul & 0x1FFF) << 18) | (number & 0x3FFFF)


def s32(value):
    value &= 0xFFFFFFFF
    return value - (1 << 32) if value >= 1 << 31 else value


# ---- the description's items ------------------------------------------------------

class Fun:
    """A function: N_FUN "name:F<ret>" (letter 'f' static), its lines and its body."""
    def __init__(self, name, address, ret=1, static=False, lines=(), body=()):
        self.name, self.address, self.ret, self.static = name, address, ret, static
        self.lines, self.body = list(lines), list(body)


class Param:  # N_PSYM on the stack, or N_RSYM "name:P<type>" in a register
    def __init__(self, name, type_, value, register=False):
        self.name, self.type, self.value, self.register = name, type_, value, register


class Local:  # N_LSYM "name:<type>" on the stack, or N_RSYM "name:r<type>"
    def __init__(self, name, type_, value, register=False):
        self.name, self.type, self.value, self.register = name, type_, value, register


class Block:  # N_LBRAC, the body, N_RBRAC; offsets from the function's start
    def __init__(self, start, end, body=()):
        self.start, self.end, self.body = start, end, list(body)


class TypeDef:
    """N_LSYM "name:t..." with the rows it gives, stated by hand: (number, TypeID, Name,
    Data_1..Data_4); a number 'R:label' takes the next running number, and a data word
    ('T', n) is type n packed with the module, ('T', 'label') a running one."""
    def __init__(self, stab, rows):
        self.stab, self.rows = stab, rows


class Global:  # N_GSYM "name:G<type>" here; its "_name" comes with the linker's symbols
    def __init__(self, name, type_):
        self.name, self.type = name, type_


class Static:  # N_STSYM (or N_LCSYM) "name:S<type>" or "name:V<type>"
    def __init__(self, name, type_, address, letter='S', lcsym=False):
        self.name, self.type, self.address, self.letter, self.lcsym = name, type_, address, letter, lcsym


class Source:  # N_SO (or N_SOL) with a name
    def __init__(self, name, sub=False):
        self.name, self.sub = name, sub


class Raw:  # a symbol as it stands: (name, type, other, description, value)
    def __init__(self, name, type_, description=0, value=0):
        self.name, self.type, self.description, self.value = name, type_, description, value


class Module:
    """`end`: 'early' (".end" right after ".text"), 'late' (after the module's symbols) or
    None (no ".end": the module ends with the code section that holds its start)."""
    def __init__(self, name, start, length, end, items):
        self.name, self.start, self.length, self.end, self.items = name, start, length, end, items


# ---- the writer ---------------------------------------------------------------------

class Program:
    def __init__(self, name, code=0x66, model=0, magic=0x107, start=0, trailer='A', entries=(), modules=(),
                 linker=(), damage=None):
        self.name, self.code, self.model, self.magic, self.start = name, code, model, magic, start
        self.trailer, self.entries, self.modules, self.linker = trailer, list(entries), list(modules), list(linker)
        self.damage = damage or {}


class Writer:
    def __init__(self, program):
        self.p = program
        self.symbols = []          # (name, type, other, description, value)
        self.strings = bytearray(b'\0\0\0\0')
        self.names = {}
        self.rows = {t: [] for t in TABLES}
        self.functions = []        # [row, address] in order, for the lengths
        self.source_files = {}     # path -> index
        self.files_with_lines = set()
        self.pending_globals = {}  # name -> (type, modul)
        self.module_passes = []    # per module: list of module-pass actions

    def name_offset(self, name):
        if name == '':
            return 0
        if name not in self.names:
            self.names[name] = len(self.strings)
            self.strings += name.encode('latin-1') + b'\0'
        return self.names[name]

    def symbol(self, name, type_, description=0, value=0):
        self.symbols.append((name, type_, 0, description & 0xFFFF, value & 0xFFFFFFFF))

    # -- sections --
    def section_list(self):
        """The code and data sections of the section table, with the special-jump runs."""
        sections, run = [], None
        for number, entry in enumerate(self.p.entries, 1):
            kind, address = entry[0], entry[1]
            if kind in ('code', 'data'):
                sections.append([1 if kind == 'code' else 3, address, len(entry[2]),
                                 ('text@%d' if kind == 'code' else 'data@%d') % number])
            elif kind == 'jump':
                if run and run[1] + run[2] == address:
                    run[2] += 4
                    continue
                if run:
                    run[3] = 'text@%d' % number
                    sections.append(run)
                run = [1, address, 4, None]
        if run:
            # Numbered after the table's last entry: with the entries running to the end
            # of the file, that is the one that holds T.
            count = len(self.p.entries) + (1 if self.p.trailer == 'A' else 0)
            run[3] = 'text@%d' % (count + 1)
            sections.append(run)
        return sections

    def code_section_end(self, sections, address):
        for type_, start, length, _ in sections:
            if type_ == 1 and start <= address < start + length:
                return start + length
        return None

    # -- the walk of the description --
    def build(self):
        sections = self.section_list()
        module_sections = []
        for number, module in enumerate(self.p.modules, 1):
            self.modul, self.section, self.file, self.directory = number, number, 0, ''
            self.scopes, self.depth = 0, 0
            self.rows['Moduls'].append([number, module.name, 32 + self.text_size() + self.data_size()
                                        + 12 * len(self.symbols), 1])
            self.symbol(module.name + '.text', N_TEXT, 0, module.start)
            length = module.length
            if length is None:
                length = self.code_section_end(sections, module.start) - module.start
            if module.end == 'early':
                self.symbol(module.name + '.end', N_TEXT, 0, module.start + length)
            actions = []
            self.module_passes.append((number, actions))
            for item in module.items:
                self.item(item, actions)
            if module.end == 'late':
                self.symbol(module.name + '.end', N_TEXT, 0, module.start + length)
            module_sections.append((number, module, length))
        for item in self.p.linker:
            self.item(item, [])
        # The sections: each module's under its number, then those that no module names.
        for number, module, length in module_sections:
            self.rows['Sections'].append([number, module.name + '.text', 1, 1, module.start, length])
            self.rows['ModulSectionRelation'].append([number, number])
            for section in sections:
                if section[0] == 1 and section[1] == module.start and section[2] == length:
                    section[3] = None
        number = len(self.p.modules)
        for type_, start, length, name in sections:
            if name:
                number += 1
                self.rows['Sections'].append([number, name, type_, 1, start, length])
        # Function lengths: up to the next function, the last to the end of its section.
        for i, (row, address) in enumerate(self.functions):
            if i + 1 < len(self.functions):
                following = self.functions[i + 1][1]
                row[5] = following - address if following >= address else 0
            else:
                end = self.code_section_end(sections, address)
                row[5] = end - address if end is not None else 0
        for file_row in self.rows['SourceFiles']:
            if file_row[0] in self.files_with_lines:
                file_row[1] = 1000
        self.rows['RegisterMap'] = [['R%d' % n, n] for n in range(16)]
        self.module_rows()

    def text_size(self):
        return sum(len(e[2]) for e in self.p.entries if e[0] == 'code')

    def data_size(self):
        return sum(len(e[2]) for e in self.p.entries if e[0] == 'data')

    def add_symbol_row(self, modul, symbol_id, scope, name, data):
        self.rows['Symbols'].append([None, modul, symbol_id, scope, name, encoded(name)] + [s32(d) for d in data])

    def source(self, name):
        if name == '':
            return
        if name.endswith('/'):
            self.directory = name
            return
        path = name if name.startswith('/') else self.directory + name
        if path not in self.source_files:
            self.source_files[path] = len(self.source_files) + 1
            self.rows['SourceFiles'].append([self.source_files[path], 0, os.path.basename(path), path, 0])
        self.file = self.source_files[path]
        for table, pair in (('ModulSourceFileRelation', [self.modul, self.file]),
                            ('SectionSourceFileRelation', [self.section, self.file])):
            if pair not in self.rows[table]:
                self.rows[table].append(pair)

    def item(self, item, actions):
        m = getattr(self, 'modul', 0)
        if isinstance(item, Source):
            self.symbol(item.name, N_SOL if item.sub else N_SO)
            self.source(item.name)
        elif isinstance(item, Fun):
            letter = 'f' if item.static else 'F'
            self.symbol('%s:%s%d' % (item.name, letter, item.ret), N_FUN, 0, item.address)
            index = len(self.functions) + 1
            row = [index, item.name, encoded(item.name), 1, item.address, 0, self.section, pack(m, item.ret),
                   m if item.static else -m, 0]
            self.rows['Functions'].append(row)
            self.functions.append((row, item.address))
            # A local static belongs to the scope of its function's block, numbered as
            # the module pass numbers the module's scopes.
            self.scopes += 1
            self.function_scope = pack(m, self.scopes)
            for line, address in item.lines:
                self.symbol('', N_SLINE, line, address)
                self.rows['SourceLines'].append([None, line, 1, address, -1, self.section, self.file])
                if self.file:
                    self.files_with_lines.add(self.file)
            actions.append(('fun', index, item.address, row))
            self.body(item.body, actions)
        elif isinstance(item, TypeDef):
            self.symbol(item.stab, N_LSYM)
            actions.append(('types', item.rows))
        elif isinstance(item, Global):
            self.symbol('%s:G%d' % (item.name, item.type), N_GSYM)
            self.pending_globals[item.name] = (item.type, m)
        elif isinstance(item, Static):
            self.symbol('%s:%s%d' % (item.name, item.letter, item.type), N_LCSYM if item.lcsym else N_STSYM, 0,
                        item.address)
            if item.letter == 'V':
                self.add_symbol_row(m, 3, self.function_scope, item.name,
                                    [pack(m, item.type), 1, item.address, 0, self.file, len(self.functions)])
            else:
                self.add_symbol_row(m, 4, m, item.name, [pack(m, item.type), 1, item.address, 0, self.file, -1])
        elif isinstance(item, Raw):
            self.symbol(item.name, item.type, item.description, item.value)
            self.raw_rows(item, m)
        else:
            raise ValueError(item)

    def raw_rows(self, item, m):
        kind, value, desc = item.type, item.value & 0xFFFFFFFF, item.description
        if kind == N_TEXT | N_EXT:
            if value % 2 == 0 and not item.name.startswith('__dpp'):
                self.add_symbol_row(-1, 13, -1, item.name, [0, 1, value, -1, -1, -1])
        elif kind in (N_DATA | N_EXT, N_DATA) and desc in (0x4711, 0x4712):
            if desc == 0x4711:
                data = [pack(m, BIT_TYPE), 0x40000001, (value & 0xFFFF) * 2 + 0xFD00, value >> 16]
            else:
                data = [pack(m, WORD_TYPE), 1, value & 0xFFFF, 0]
            if kind == N_DATA | N_EXT:
                self.add_symbol_row(m, 5, m, item.name, data + [-1, -1])
            else:
                self.add_symbol_row(m, 4, m, item.name, data + [self.file, -1])
        elif kind in (N_DATA | N_EXT, N_BSS | N_EXT):
            pending = self.pending_globals.pop(item.name[1:], None)
            if pending:
                type_, owner = pending
                self.add_symbol_row(owner, 5, owner, item.name[1:], [pack(owner, type_), 1, value, 0, -1, -1])
            else:
                self.add_symbol_row(-1, 6, -1, item.name, [0, 1, value, -1, -1, -1])

    def body(self, items, actions):
        for item in items:
            if isinstance(item, Param):
                if item.register:
                    self.symbol('%s:P%d' % (item.name, item.type), N_RSYM, 0, item.value)
                else:
                    self.symbol('%s:p%d' % (item.name, item.type), N_PSYM, 0, item.value)
                actions.append(('param', item))
            elif isinstance(item, Local):
                if item.register:
                    self.symbol('%s:r%d' % (item.name, item.type), N_RSYM, 0, item.value)
                else:
                    self.symbol('%s:%d' % (item.name, item.type), N_LSYM, 0, item.value)
                actions.append(('local', item))
            elif isinstance(item, Block):
                self.symbol('', N_LBRAC, 0, item.start)
                actions.append(('lbrac', item))
                if self.depth > 0:
                    self.scopes += 1
                self.depth += 1
                self.body(item.body, actions)
                self.depth -= 1
                self.symbol('', N_RBRAC, 0, item.end)
                actions.append(('rbrac', item))
            elif isinstance(item, TypeDef):
                self.symbol(item.stab, N_LSYM)
                actions.append(('types', item.rows))
            else:
                raise ValueError(item)

    # -- the module pass, module after module --
    def module_rows(self):
        for modul, actions in self.module_passes:
            types = self.rows['Types']
            types.append([pack(modul, BIT_TYPE), modul, 0, 'bit', 1, 13, 0, 0])
            types.append([pack(modul, WORD_TYPE), modul, 0, 'unsigned int', 16, 10, 0, 0])
            running = [FIRST_RUNNING]
            scopes = [0]
            lists = [0]
            state = {'blocks': [], 'fun': None}

            def lifetimes(block, end):
                for list_, value in block['locals']:
                    self.add_symbol_row(modul, 12, list_, '', [block['start'], 2, value, 0, -1, -1])
                    self.add_symbol_row(modul, 12, list_, '', [end - 1, 6, -1, -1, -1, -1])

            def flush():
                fun = state['fun']
                end = fun[2] + fun[3][5] if fun else 0
                while state['blocks']:
                    lifetimes(state['blocks'].pop(), end)

            for action in actions:
                kind = action[0]
                if kind == 'fun':
                    flush()
                    _, index, address, row = action
                    state['fun'] = action
                    scopes[0] += 1
                    scope = pack(modul, scopes[0])
                    self.add_symbol_row(modul, 8, scope, '', [0, 1, address, row[5], -1, -1])
                    state['blocks'] = [{'number': 0, 'scope': scope, 'start': address, 'offset': 0, 'locals': []}]
                    state['block_number'] = 0
                elif kind == 'param':
                    item = action[1]
                    mode = 3 if item.register else 2
                    self.add_symbol_row(modul, 1, state['fun'][1], item.name,
                                        [pack(modul, item.type), mode, item.value, 0, -1, -1])
                elif kind == 'local':
                    item, block = action[1], state['blocks'][-1]
                    if item.register:
                        data = [pack(modul, item.type), 3, item.value, 0, -1, -1]
                    else:
                        lists[0] += 1
                        block['locals'].append((lists[0], item.value))
                        data = [pack(modul, item.type), 5, lists[0], 1, -1, -1]
                    self.add_symbol_row(modul, 2, block['scope'], item.name, data)
                elif kind == 'lbrac':
                    item, address = action[1], state['fun'][2]
                    if len(state['blocks']) >= 2:
                        state['block_number'] += 1
                        scopes[0] += 1
                        number, scope = state['block_number'], pack(modul, scopes[0])
                    else:
                        number, scope = 0, state['blocks'][-1]['scope']
                    state['blocks'].append({'number': number, 'scope': scope, 'start': address + item.start,
                                            'offset': item.start, 'locals': []})
                elif kind == 'rbrac':
                    item, block = action[1], state['blocks'].pop()
                    length = item.end - block['offset']
                    if len(state['blocks']) >= 2:
                        self.add_symbol_row(modul, 8, block['scope'], '',
                                            [block['number'], 1, block['start'], length, -1, -1])
                    lifetimes(block, block['start'] + length)
                elif kind == 'types':
                    labels = {}
                    for row in action[1]:
                        number = row[0]
                        if isinstance(number, str):
                            labels[number[2:]] = running[0]
                            running[0] += 1
                    for row in action[1]:
                        number = labels[row[0][2:]] if isinstance(row[0], str) else row[0]

                        def word(w):
                            if isinstance(w, tuple):
                                return pack(modul, labels[w[1]] if isinstance(w[1], str) else w[1])
                            return w
                        types.append([pack(modul, number), modul, row[1], row[2]] + [word(w) for w in row[3:]])
            flush()

    # -- the file --
    def file_bytes(self):
        p = self.p
        text = b''.join(e[2] for e in p.entries if e[0] == 'code')
        data = b''.join(e[2] for e in p.entries if e[0] == 'data')
        table = b''.join(struct.pack('<IBBHI', self.name_offset_of(s[0]), s[1], s[2], s[3], s[4])
                         for s in self.symbols)
        # a.out's string table begins with its own size; no name lies there.
        strings = struct.pack('<I', len(self.strings)) + bytes(self.strings[4:])
        symbols_size = p.damage.get('symbols_size', len(table))
        header = struct.pack('<I7I', p.magic | p.code << 16 | p.model << 24, p.damage.get('text_size', len(text)),
                             len(data), sum(e[2] for e in p.entries if e[0] == 'bss'), symbols_size, p.start, 0, 0)
        head = header + text + data + table + strings
        t = len(head)
        entries = b''
        for entry in p.entries:
            kind, address = entry[0], entry[1]
            if kind == 'code':
                entries += struct.pack('<III', 1, len(entry[2]) + p.damage.get('code_grow', 0), address)
            elif kind == 'data':
                entries += struct.pack('<III', 2, len(entry[2]), address)
            elif kind == 'bss':
                entries += struct.pack('<III', 4, entry[2], address)
            elif kind == 'jump':
                entries += struct.pack('<III', 0xB, entry[2], address)
        t = p.damage.get('table_offset', t)
        if p.trailer == 'A':
            # The entries run to the end: the last one, of a type the reader only dumps,
            # has T for its length.
            return head + b'\0\0\0\0' + entries + struct.pack('<III', 0x99, t & 0xFFFFFFFF, 0)
        return head + b'\0\0\0\0' + entries + struct.pack('<II', t & 0xFFFFFFFF, 0)

    def name_offset_of(self, name):
        return self.p.damage['name_offset'] if name == self.p.damage.get('bad_name') else self.name_offset(name)

    def expect_text(self):
        lines = []
        counters = {'Symbols': 0, 'SourceLines': 0}
        for table in TABLES:
            rows = self.rows[table]
            if table in counters:
                for row in rows:
                    counters[table] += 1
                    row[0] = counters[table]
            if table not in UNSORTED:
                rows = sorted(rows, key=lambda r: r[:KEY_COLUMNS.get(table, 1)])
            lines.append('== ' + table)
            lines.append(COLUMNS[table].replace(' ', '\t'))
            lines += ['\t'.join(str(v) for v in row) for row in rows]
        return '\n'.join(lines) + '\n'


def write(program, status=None):
    """`status`: the status line of a load that fails, with {size} (the file's), {symbols}
    (the symbol table's size) and {bad} (the number of the symbol named by damage
    'bad_name') filled in; FILE stands for the program's path."""
    writer = Writer(program)
    writer.build()
    base = os.path.join(HERE, program.name)
    contents = writer.file_bytes()
    with open(base + '.a166', 'wb') as out:
        out.write(contents)
    if status is not None:
        names = [s[0] for s in writer.symbols]
        bad = names.index(program.damage['bad_name']) + 1 if 'bad_name' in program.damage else 0
        status = status.format(size=len(contents), symbols=12 * len(writer.symbols), bad=bad)
    with open(base + '.expect', 'w', encoding='latin-1', newline='\n') as out:
        out.write(status if status is not None else writer.expect_text())


# ---- the programs ---------------------------------------------------------------------

def code(length, fill):
    return bytes((fill + i) & 0xFF for i in range(length))


# The type definitions of module "types": every form of the parser's grammar, with the
# rows that each gives, worked out from the stabs strings by hand.
TYPES = [
    TypeDef('int:t1=r1;-32768;32767;', [(1, 0, 'int', 16, 9, 0, 0)]),
    TypeDef('unsigned int:t2=r2;0;65535;', [(2, 0, 'unsigned int', 16, 10, 0, 0)]),
    TypeDef('char:t3=r3;-128;127;', [(3, 0, 'char', 8, 1, 0, 0)]),
    TypeDef('unsigned char:t4=r4;0;255;', [(4, 0, 'unsigned char', 8, 2, 0, 0)]),
    TypeDef('long int:t5=r1;-2147483648;2147483647;', [(5, 0, 'long int', 32, 5, 0, 0)]),
    TypeDef('long unsigned int:t6=r1;0;37777777777;', [(6, 0, 'long unsigned int', 32, 6, 0, 0)]),
    TypeDef('float:t7=r1;4;0;', [(7, 0, 'float', 32, 7, 0, 0)]),
    TypeDef('double:t8=r1;8;0;', [(8, 0, 'double', 64, 8, 0, 0)]),
    TypeDef('void:t9=9', [(9, 0, 'void', 0, 0, 0, 0)]),
    TypeDef('odd:t10=r1;1;5;', []),                 # no base type has these bounds
    TypeDef('word:t11=2', [(11, 1, 'word', ('T', 2), 0, 0, 0)]),
    TypeDef('point:T12=s4x:1,0,16;y:1,16,16;;',
            [(12, 5, 'point', 32, 2, 0, 0),
             ('R:x', 11, 'x', ('T', 1), 0, 0, ('T', 12)),
             ('R:y', 11, 'y', ('T', 1), 16, 0, ('T', 12))]),
    TypeDef('flags:T13=s2ready:2,0,1;mode:2,1,3;level:1,4,4;rest:2,8,8;;',
            [(13, 5, 'flags', 16, 4, 0, 0),
             ('R:b1', 2, '', 1, 0, 0, 0), ('R:ready', 11, 'ready', ('T', 'b1'), 0, 0, ('T', 13)),
             ('R:b2', 2, '', 3, 1, 0, 0), ('R:mode', 11, 'mode', ('T', 'b2'), 0, 0, ('T', 13)),
             ('R:b3', 2, '', 4, 4, 1, 0), ('R:level', 11, 'level', ('T', 'b3'), 0, 0, ('T', 13)),
             ('R:b4', 2, '', 8, 0, 0, 0), ('R:rest', 11, 'rest', ('T', 'b4'), 8, 0, ('T', 13))]),
    TypeDef(':t14=u2w:2,0,16;b:4,0,8;;',
            [(14, 6, '_unnamed_struct_', 16, 2, 0, 0),
             ('R:w', 11, 'w', ('T', 2), 0, 0, ('T', 14)),
             ('R:b', 11, 'b', ('T', 4), 0, 0, ('T', 14))]),
    TypeDef('colour:T15=ered:0,green:5,blue:-2,;',
            [(15, 7, 'colour', 16, 3, 0, 0),
             ('R:red', 12, 'red', 0, 0, 0, ('T', 15)),
             ('R:green', 12, 'green', 5, 0, 0, ('T', 15)),
             ('R:blue', 12, 'blue', -2, 0, 0, ('T', 15))]),
    TypeDef(':t16=ered:1,;', [(16, 7, '_unnamed_enum_', 16, 1, 0, 0), ('R:e', 12, 'red', 1, 0, 0, ('T', 16))]),
    TypeDef('buffer:t17=ar1;0;9;4', [(17, 4, '', ('T', 4), 10, 0, 0)]),
    TypeDef('matrix:t18=ar1;0;2;19=ar1;0;3;1',
            [(19, 4, '', ('T', 1), 4, 0, 0), (18, 4, '', ('T', 19), 3, 0, 0)]),
    TypeDef('p:t20=*1', [(20, 3, '', ('T', 1), 0, 0, 0)]),
    TypeDef('np:t21=*[n]*1', [(21, 3, '', ('T', 1), 0, 0, 0)]),
    TypeDef('fp:t22=*[f]*1', [(22, 3, '', ('T', 1), 1, 0, 0)]),
    TypeDef('hp:t23=&[h]&1', [(23, 3, '', ('T', 1), 2, 0, 0)]),
    TypeDef('fn:t24=f1', [(24, 9, '', ('T', 1), -1, -1, 0)]),
    TypeDef('ffp:t25=*[f]*26=f[sn]f9', [(26, 9, '', ('T', 9), -1, -1, 0), (25, 3, '', ('T', 26), 2, 0, 0)]),
    TypeDef('handler:t27=*28=F[sf]F2', [(28, 9, '', ('T', 2), -1, -1, 0), (27, 3, '', ('T', 28), 0, 0, 0)]),
    TypeDef('nf:t29=f[n]f1', [(29, 9, '', ('T', 1), -1, -1, 0)]),
    TypeDef('ff:t30=F[f]F1', [(30, 9, '', ('T', 1), -1, -1, 0)]),
    TypeDef('node:T31=s4next:32=*31,0,16;data:33=ar1;0;0;1,16,16;;',
            [(31, 5, 'node', 32, 2, 0, 0),
             (32, 3, '', ('T', 31), 0, 0, 0), ('R:next', 11, 'next', ('T', 32), 0, 0, ('T', 31)),
             (33, 4, '', ('T', 1), 1, 0, 0), ('R:data', 11, 'data', ('T', 33), 16, 0, ('T', 31))]),
    TypeDef('again:t1=r1;-32768;32767;', []),         # number 1 is written once
    TypeDef('high:t131072=r1;0;255;', []),            # among the running numbers: a notice
    TypeDef('bad:t34=s2;', []),                       # refused by the parser
    TypeDef('empty:T35=s0;;', []),                    # no member: refused by the grammar
]


def full(name, first_end, second_end, trailer):
    entries = [
        ('code', 0x1000, code(0x40, 1)),
        ('jump', 0x100, 0xEA001000),
        ('jump', 0x104, 0xEA001010),
        ('code', 0x1040, code(0x30, 2)),          # follows the first without a gap
        ('jump', 0x200, 0xEA001040),              # a gap: a new run
        ('data', 0x8000, code(0x10, 3)),
        ('bss', 0xA000, 0x40),
        ('code', 0x2000, code(0x20, 4)),
        ('jump', 0x204, 0xEA002000),
    ]
    main = Module('main', 0x1000, 0x40, first_end, [
        Source('/src/'), Source('main.c'),
        Global('counter', 1), Global('table', 1),
        Fun('main', 0x1000, ret=1, lines=[(10, 0x1000), (11, 0x1008), (14, 0x1010)], body=[
            Param('argc', 1, 4), Param('fast', 2, 12, register=True),
            Local('i', 1, -2), Local('r', 2, 5, register=True),
            Block(0, 0x20, [Local('inner', 1, -4), Block(4, 0x10, [Local('deep', 2, -6)])]),
        ]),
        Static('calls', 1, 0x8002, letter='V'),
        Source('main.h', sub=True),
        Fun('helper', 0x1020, ret=9, static=True, lines=[(3, 0x1020)]),
        Source('main.c'),
        Static('state', 1, 0x8004), Static('scratch', 2, 0xA010, lcsym=True),
        Raw('flag', N_DATA | N_EXT, 0x4711, 0x0003_0010), Raw('port', N_DATA | N_EXT, 0x4712, 0x0001_FE12),
        Raw('sbit', N_DATA, 0x4711, 0x0005_0002), Raw('sword', N_DATA, 0x4712, 0xFF20),
        Raw('main.o', N_TEXT), Raw('main.data', N_TEXT, 0, 0x8000), Raw('main.obj', N_TEXT),
    ])
    types = Module('types', 0x1040, 0x30, second_end, [
        Source('/abs/types.c'),
        Fun('use', 0x1040, ret=12, lines=[(1, 0x1040), (2, 0x1044)], body=TYPES),
        Global('origin', 12),
    ])
    rest = Module('rest', 0x2000, None, None, [
        Source('lib/'), Source('rest.c'), Source(''),
        Fun('tail', 0x2000, lines=[(7, 0x2000)]),
    ])
    linker = [
        Raw('_counter', N_DATA | N_EXT, 0, 0x8000), Raw('_table', N_BSS | N_EXT, 0, 0xA000),
        Raw('_origin', N_DATA | N_EXT, 0x1234, 0x8008), Raw('_asmdata', N_DATA | N_EXT, 0, 0x800A),
        Raw('_asmbss', N_BSS | N_EXT, 0, 0xA020),
        Raw('start', N_TEXT | N_EXT, 0, 0x1000), Raw('odd', N_TEXT | N_EXT, 0, 0x1001),
        Raw('__dpp0', N_TEXT | N_EXT, 0, 0x1004),
        Raw('X167Call', N_TEXT | N_EXT, 0, 0x1060), Raw('X167Ret', N_TEXT | N_EXT, 0, 0x1064),
        Raw('Px_taskret', N_TEXT | N_EXT, 0, 0x2004), Raw('Px_intentry', N_TEXT | N_EXT, 0, 0x2008),
        Raw('PX_MON166_FIX', N_TEXT | N_EXT, 0, 0x200C),
    ]
    return Program(name, start=0x1000, trailer=trailer, entries=entries, modules=[main, types, rest], linker=linker)


def small(name, code_byte, model, damage=None, magic=0x107, trailer='B'):
    entries = [('code', 0x400, code(0x10, 9)), ('data', 0x900, code(4, 7))]
    module = Module('m', 0x400, 0x10, 'late', [
        Source('m.c'),
        Fun('f', 0x400, lines=[(1, 0x400)], body=[
            TypeDef('int:t1=r1;-32768;32767;', [(1, 0, 'int', 16, 9, 0, 0)]),
            TypeDef('dp:t2=*1', [(2, 3, '', ('T', 1), {0: 0, 1: 0, 2: 0, 4: 1}.get(model, 1), 0, 0)]),
            TypeDef('cp:t3=*4=f1', [(4, 9, '', ('T', 1), -1, -1, 0),
                                    (3, 3, '', ('T', 4), {0: 0, 1: 0, 2: 2, 4: 2}.get(model, 1), 0, 0)]),
            Block(0, 4, []),
        ]),
    ])
    return Program(name, code=code_byte, model=model, magic=magic, trailer=trailer, entries=entries,
                   modules=[module], damage=damage)


def bench_program(path, count):
    """A program of `count` modules for bench/load_bench: each with two functions, lines,
    a parameter, locals in a block, a structure and a global."""
    modules, linker = [], []
    for m in range(count):
        base = 0x10000 + m * 0x40
        modules.append(Module('m%d' % m, base, 0x40, 'late', [
            Source('/src/bench/'), Source('m%d.c' % m),
            Global('g%d' % m, 1),
            Fun('f%d_a' % m, base, lines=[(10 + i, base + 4 * i) for i in range(4)], body=[
                TypeDef('int:t1=r1;-32768;32767;', []),
                TypeDef('s%d:T2=s6a:1,0,16;b:1,16,16;c:3=*1,32,16;;' % m, []),
                Param('p', 1, 4), Local('x', 2, -6),
                Block(0, 0x10, [Local('y', 1, -8)]),
            ]),
            Fun('f%d_b' % m, base + 0x20, static=True, lines=[(30 + i, base + 0x20 + 4 * i) for i in range(4)]),
        ]))
        linker.append(Raw('_g%d' % m, N_BSS | N_EXT, 0, 0x80000 + 2 * m))
    program = Program('bench', start=0x10000, entries=[('code', 0x10000, code(0x40 * count, 0)),
                                                        ('bss', 0x80000, 2 * count)],
                      modules=modules, linker=linker)
    writer = Writer(program)
    writer.build()
    with open(path, 'wb') as out:
        out.write(writer.file_bytes())


def main():
    import sys
    if len(sys.argv) >= 3 and sys.argv[1] == '--bench':
        bench_program(sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 3000)
        return
    # The same program with the module markers in both orders: the same rows.
    write(full('full', 'early', 'late', 'A'))
    write(full('full-swapped', 'late', 'early', 'A'))
    write(full('full-trailer8', 'early', 'late', 'B'))
    for code_byte, model, trailer in ((0x66, 0, 'A'), (0xCA, 1, 'B'), (0xCB, 2, 'A'), (0xFD, 4, 'B')):
        write(small('model%d-code%02X' % (model, code_byte), code_byte, model, trailer=trailer))
    refused = 'status\t7\tThe format of the program file FILE is not supported.\n'
    for name, code_byte, model, magic in (('refused-model3', 0x66, 3, 0x107), ('refused-code64', 0x64, 0, 0x107),
                                          ('refused-magic', 0x66, 0, 0x108)):
        write(small(name, code_byte, model, magic=magic), refused)
    damaged = [
        ('damaged-symbolsize', {'symbols_size': 13}, 'The symbol table\'s size 13 is not a multiple of 12.'),
        ('damaged-textsize', {'text_size': 0x7FFFFFF0},
         'The text, data and symbols (2147483632, 4 and {symbols} bytes) do not fit in the file of {size} bytes.'),
        ('damaged-trailer', {'table_offset': 3},
         'The section table\'s offset 3 does not fit the file of {size} bytes.'),
        ('damaged-code', {'code_grow': 4}, 'Section 1 (20 bytes) runs past the end of the text image.'),
        ('damaged-name', {'bad_name': 'f:F1', 'name_offset': 0x10000},
         'The name of symbol {bad} (offset 65536) lies outside the string table.'),
    ]
    for name, damage, text in damaged:
        write(small(name, 0x66, 0, damage=damage), 'status\t7\t%s\n' % text)
    # A module whose ".end" lies below its start, and a block that ends without beginning.
    below = small('damaged-end', 0x66, 0)
    below.modules[0].length = -0x10
    write(below, 'status\t7\tThe end of module m (3F0h) lies below its start (400h).\n')
    unbalanced = small('damaged-rbrac', 0x66, 0)
    unbalanced.modules[0].items.append(Raw('', N_RBRAC, 0, 4))
    write(unbalanced, 'status\t7\tA block of module 1 ends (N_RBRAC) that did not begin.\n')


if __name__ == '__main__':
    main()
