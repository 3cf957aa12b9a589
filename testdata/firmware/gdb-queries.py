#!/usr/bin/env python3
"""Write the gdb commands that oracle.sh asks about a program, one a line, from the
program's readelf dumps (--debug-dump=info and --debug-dump=decodedline):

  each function with code      info line F, info scope F, info address F
  each file-scope variable     info address V, whatis V
  each function's static       whatis F::V, output &F::V
  each named type              ptype /o struct|union|enum T, or ptype /o T for a class or typedef
  each line address A          info line *A, info scope *A, info symbol A
  each line L of a file F      info line F:L (the files and lines of the rows)

With --breaks only the breakpoints of the lines are asked instead: for each line L of a file
F, break F:L, then info breakpoints (each address gdb chose, with its function, file and
line), then delete, so that each answer lists one line's breakpoint alone.

A function or variable of internal linkage is named through its unit (FILE:F where gdb takes
a location, 'FILE'::V in an expression); info address looks a name up in no unit, so one that
several units define is asked as output &'FILE'::V instead.

  gdb-queries.py INFO DECODEDLINE [--line-units N] [--breaks]

--line-units N asks about the line addresses, and the lines, of the first N units only.
"""
import argparse, re

DIE = re.compile(r"^\s*<(\d+)><([0-9a-f]+)>: Abbrev Number: \d+(?: \((DW_TAG_\w+)\))?")
ATTR = re.compile(r"^\s*<[0-9a-f]+>\s+(DW_AT_\w+)\s*:\s?(.*)$")
INDIRECT = re.compile(r"^\(indirect (?:line )?string, offset: (?:0x)?[0-9a-f]+\): ")
REF = re.compile(r"<0x([0-9a-f]+)>")
ROW = re.compile(r"^(\S+)\s+(\d+|-)\s+(0x[0-9a-f]+)")
SCOPES = ("DW_TAG_class_type", "DW_TAG_structure_type", "DW_TAG_union_type", "DW_TAG_namespace")
TYPES = {"DW_TAG_structure_type": "struct ", "DW_TAG_union_type": "union ",
         "DW_TAG_enumeration_type": "enum ", "DW_TAG_class_type": "", "DW_TAG_typedef": ""}


class Die:
    def __init__(self, offset, depth, tag, parent, unit):
        self.offset, self.depth, self.tag, self.parent, self.unit = offset, depth, tag, parent, unit
        self.attrs = {}
        self.children = []


def read_dies(path):
    """The DIEs of every unit, as trees; each knows its unit's DW_TAG_compile_unit DIE."""
    dies, units, stack, last = {}, [], [], None
    with open(path) as f:
        for line in f:
            m = DIE.match(line)
            if m:
                depth, offset, tag = int(m.group(1)), int(m.group(2), 16), m.group(3)
                del stack[depth:]
                if tag is None:  # the null entry that ends a list of children
                    last = None
                    continue
                parent = stack[-1] if stack else None
                last = Die(offset, depth, tag, parent, parent.unit if parent else None)
                if parent:
                    parent.children.append(last)
                else:
                    last.unit = last
                    units.append(last)
                dies[offset] = last
                stack.append(last)
                continue
            m = ATTR.match(line)
            if m and last is not None:
                last.attrs[m.group(1)] = INDIRECT.sub("", m.group(2).strip())
    return dies, units


def origin(die, dies):
    """The DIEs that describe the same entity: die, then its abstract origin or the declaration it completes."""
    chain = []
    while die is not None and die not in chain:
        chain.append(die)
        ref = die.attrs.get("DW_AT_abstract_origin") or die.attrs.get("DW_AT_specification")
        die = dies.get(int(REF.search(ref).group(1), 16)) if ref and REF.search(ref) else None
    return chain


def name_of(die, dies):
    """The name as gdb spells it in C++ (Class::member), and whether it has external linkage."""
    chain = origin(die, dies)
    external = any("DW_AT_external" in d.attrs for d in chain)
    named = next((d for d in chain if "DW_AT_name" in d.attrs), None)
    if named is None:
        return None, external
    parts = [named.attrs["DW_AT_name"]]
    scope = named.parent
    while scope is not None and scope.tag in SCOPES and "DW_AT_name" in scope.attrs:
        parts.insert(0, scope.attrs["DW_AT_name"])
        scope = scope.parent
    return "::".join(parts), external


def static_storage(die):
    return die.attrs.get("DW_AT_location", "").find("(DW_OP_addr:") >= 0


def statics_in(die):
    """The variables in static storage declared anywhere inside a function."""
    for child in die.children:
        if child.tag == "DW_TAG_variable" and static_storage(child):
            yield child
        if child.tag in ("DW_TAG_lexical_block", "DW_TAG_inlined_subroutine"):
            yield from statics_in(child)


def symbol_queries(dies, units):
    functions, variables, types = [], [], []
    for unit in units:
        for die in unit.children:
            if die.tag == "DW_TAG_subprogram" and "DW_AT_low_pc" in die.attrs:
                functions.append(die)
            elif die.tag == "DW_TAG_variable" and "DW_AT_declaration" not in die.attrs:
                variables.append(die)
            elif die.tag in TYPES and "DW_AT_name" in die.attrs and "DW_AT_declaration" not in die.attrs:
                types.append(die)
    defined = {}
    for die in functions + variables:
        name = name_of(die, dies)[0]
        defined[name] = defined.get(name, 0) + 1

    def address(die, name, external):
        if external or defined[name] == 1:
            return f"info address {name}"
        return f"output &'{die.unit.attrs['DW_AT_name']}'::{name}"

    out = []
    for die in functions:
        name, external = name_of(die, dies)
        where = name if external else f"{die.unit.attrs['DW_AT_name']}:{name}"
        out += [f"info line {where}", f"info scope {where}", address(die, name, external)]
        scope = name if external else f"'{die.unit.attrs['DW_AT_name']}'::{name}"
        for var in statics_in(die):
            out += [f"whatis {scope}::{var.attrs['DW_AT_name']}", f"output &{scope}::{var.attrs['DW_AT_name']}"]
    for die in variables:
        name, external = name_of(die, dies)
        out += [address(die, name, external),
                f"whatis {name}" if external else f"whatis '{die.unit.attrs['DW_AT_name']}'::{name}"]
    for die in types:
        out.append(f"ptype /o {TYPES[die.tag]}{die.attrs['DW_AT_name']}")
    return out


def line_rows(path, units):
    """The line table's rows (file, line, address), end-of-sequence rows left out."""
    rows, unit = [], 0
    with open(path) as f:
        for line in f:
            if line.startswith("CU: "):
                unit += 1
                continue
            m = ROW.match(line)
            if m and m.group(2) != "-" and (units is None or unit <= units):
                rows.append((m.group(1), int(m.group(2)), int(m.group(3), 16)))
    return rows


def file_lines(rows):
    """Each file's distinct lines, files in the order they first come."""
    lines = {}
    for file, line, _ in rows:
        lines.setdefault(file, set()).add(line)
    return [(file, line) for file in lines for line in sorted(lines[file])]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("info")
    ap.add_argument("decodedline")
    ap.add_argument("--line-units", type=int)
    ap.add_argument("--breaks", action="store_true")
    a = ap.parse_args()
    rows = line_rows(a.decodedline, a.line_units)
    if a.breaks:
        for file, line in file_lines(rows):
            print(f"break {file}:{line}\ninfo breakpoints\ndelete")
        return
    dies, units = read_dies(a.info)
    queries = symbol_queries(dies, units)
    for addr in sorted({address for _, _, address in rows}):
        queries += [f"info line *{addr:#x}", f"info scope *{addr:#x}", f"info symbol {addr:#x}"]
    queries += [f"info line {file}:{line}" for file, line in file_lines(rows)]
    seen = set()
    for q in queries:
        if q not in seen:
            seen.add(q)
            print(q)


if __name__ == "__main__":
    main()
