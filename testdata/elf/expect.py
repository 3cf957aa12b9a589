#!/usr/bin/env python3
# Writes, for each sample program NAME.elf, the values that the ELF and DWARF dumps are
# checked against, as the binutils of the ARM cross tool chain read them:
#
#   NAME.elf.expect   one value per line, from arm-none-eabi-readelf -h -l -S -s -W and
#                     --debug-dump=info,rawline,decodedline
#
# Lines (fields separated by one tab):
#   header FIELD VALUE            ELF header values, numbers in hex
#   segment N TYPE OFF VADDR PADDR FILESZ MEMSZ FLAGS ALIGN
#   section N NAME TYPE ADDR OFF SIZE ES FLAGS LINK INFO ALIGN
#   symbol TABLE N VALUE SIZE TYPE BIND NDX NAME
#   unit OFFSET VERSION ABBREV_OFFSET ADDRESS_SIZE           (version-2 units only)
#   entry OFFSET ABBREV TAG                                   (ABBREV 0: a null entry)
#   attr NAME KIND VALUE     KIND n (number, hex; signed numbers as readelf prints them),
#                            s (text) or b (block bytes in hex)
#   table OFFSET VERSION MIN_INSN DEFAULT_IS_STMT LINE_BASE LINE_RANGE OPCODE_BASE
#   row FILE LINE ADDRESS STMT    LINE "-" at the end of a sequence; STMT 1 or 0
#
# The outputs are committed; run this only after make.sh changed the samples.
import glob, os, re, subprocess, sys

READELF = "arm-none-eabi-readelf"

def readelf(*args):
    return subprocess.run([READELF, *args], check=True, capture_output=True, text=True).stdout

def hexnum(text):
    return "%#x" % int(text, 16 if not text.startswith("0x") else 0)

def elf_values(path, out):
    text = readelf("-h", "-l", "-S", "-s", "-W", path)
    fields = {"Entry point address": "entry", "Start of program headers": "phoff",
              "Start of section headers": "shoff", "Flags": "flags", "Size of this header": "ehsize",
              "Size of program headers": "phentsize", "Number of program headers": "phnum",
              "Size of section headers": "shentsize", "Number of section headers": "shnum",
              "Section header string table index": "shstrndx"}
    segment = 0
    table = None
    for line in text.splitlines():
        m = re.match(r"\s+([A-Za-z ]+):\s+(\S+)", line)
        if m and m.group(1) in fields:
            out.append("header\t%s\t%#x" % (fields[m.group(1)], int(m.group(2).rstrip(","), 0)))
            continue
        m = re.match(r"\s+\[\s*(\d+)\] (.{17}) (\S+)\s+([0-9a-f]{8}) ([0-9a-f]{6}) ([0-9a-f]{6}) ([0-9a-f]{2}) (.{3}) +(\d+) +(\d+) +(\d+)$", line)
        if m:
            out.append("section\t" + "\t".join([m.group(1), m.group(2).strip(), m.group(3),
                       hexnum(m.group(4)), hexnum(m.group(5)), hexnum(m.group(6)), hexnum(m.group(7)),
                       m.group(8).strip() or "-", m.group(9), m.group(10), m.group(11)]))
            continue
        m = re.match(r"\s+(LOAD|NULL|DYNAMIC|INTERP|NOTE|SHLIB|PHDR|\S+)\s+(0x[0-9a-f]+) (0x[0-9a-f]+) (0x[0-9a-f]+) (0x[0-9a-f]+) (0x[0-9a-f]+) (.{3}) (0x[0-9a-f]+)$", line)
        if m:
            out.append("segment\t%d\t%s\t%s" % (segment, m.group(1), "\t".join(
                [hexnum(m.group(i)) for i in range(2, 7)] + [m.group(7).replace(" ", "") or "-", hexnum(m.group(8))])))
            segment += 1
            continue
        m = re.match(r"Symbol table '(\S+)'", line)
        if m:
            table = m.group(1)
            continue
        m = re.match(r"\s+(\d+): ([0-9a-f]{8})\s+(\d+) (\S+)\s+(\S+)\s+\S+\s+(\S+) ?(.*)$", line)
        if m and table:
            out.append("symbol\t" + "\t".join([table, m.group(1), hexnum(m.group(2)), m.group(3),
                       m.group(4), m.group(5), m.group(6), m.group(7)]))

def attribute_value(value):
    m = re.match(r"\(indirect string, offset: (?:0x[0-9a-f]+|0)\): (.*)$", value)
    if m:
        return "s", m.group(1)
    m = re.match(r"(\d+) byte block: ([0-9a-f ]*?)\s*(\(.*\))?$", value)
    if m:
        return "b", m.group(2).strip()
    m = re.match(r"<(0x[0-9a-f]+)>$", value)
    if m:
        return "n", "%#x" % int(m.group(1), 16)
    m = re.match(r"(0x[0-9a-f]+|-?\d+)(\s|$)", value)
    if m:
        number = int(m.group(1), 0)
        return "n", ("%#x" % number) if number >= 0 else str(number)
    return "s", value

def info_values(path, out):
    unit_version = None
    for line in readelf("--debug-dump=info", path).splitlines():
        m = re.match(r"\s+Compilation Unit @ offset (0x[0-9a-f]+|0):", line)
        if m:
            unit = ["%#x" % int(m.group(1), 0)]
            continue
        m = re.match(r"\s+Version:\s+(\d+)", line)
        if m:
            unit_version = int(m.group(1))
            unit.append(m.group(1))
            continue
        if unit_version != 2:
            continue
        m = re.match(r"\s+Abbrev Offset:\s+(\S+)", line)
        if m:
            unit.append("%#x" % int(m.group(1), 0))
            continue
        m = re.match(r"\s+Pointer Size:\s+(\d+)", line)
        if m:
            unit.append(m.group(1))
            out.append("unit\t" + "\t".join(unit))
            continue
        m = re.match(r"\s*<\d+><([0-9a-f]+)>: Abbrev Number: (\d+)(?: \((\S+)\))?", line)
        if m:
            out.append("entry\t%#x\t%s\t%s" % (int(m.group(1), 16), m.group(2), m.group(3) or "null"))
            continue
        m = re.match(r"\s+<[0-9a-f]+>\s+(DW_AT_\w+)\s*: (.*)$", line)
        if m:
            kind, value = attribute_value(m.group(2))
            out.append("attr\t%s\t%s\t%s" % (m.group(1), kind, value))

def line_values(path, out):
    # The tables in section order, each with its rows: readelf starts every table's rows
    # with a "File name" heading, which the samples' tables carry once each.
    tables = []
    fields = {}
    names = ["Offset", "DWARF Version", "Minimum Instruction Length", "Initial value of 'is_stmt'",
             "Line Base", "Line Range", "Opcode Base"]
    for line in readelf("--debug-dump=rawline", path).splitlines():
        m = re.match(r"\s+([A-Za-z' _]+):\s+(\S+)$", line)
        if m and m.group(1) in names:
            fields[m.group(1)] = m.group(2)
            if m.group(1) == "Opcode Base":
                offset = "%#x" % int(fields["Offset"], 0)
                if fields["DWARF Version"] in ("2", "3"):
                    tables.append(["table\t%s\t" % offset + "\t".join(fields[n] for n in names[1:])])
                else:
                    tables.append(["table\t%s\t%s" % (offset, fields["DWARF Version"])])
                fields = {}
    index = -1
    for line in readelf("--debug-dump=decodedline", path).splitlines():
        if line.startswith("File name"):
            index += 1
            continue
        m = re.match(r"(\S+)\s+(\d+|-)\s+(0x[0-9a-f]+|0)\s*(\d+)?\s*(x)?\s*$", line)
        if m and len(tables[index]) and tables[index][0].count("\t") > 2:
            tables[index].append("row\t%s\t%s\t%#x\t%d" % (m.group(1), m.group(2), int(m.group(3), 0), 1 if m.group(5) else 0))
    if index + 1 != len(tables):
        sys.exit("%s: %d row headings for %d line tables" % (path, index + 1, len(tables)))
    for table in tables:
        out.extend(table)

os.chdir(os.path.dirname(os.path.abspath(__file__)))
for path in sorted(glob.glob("*.elf")):
    out = []
    elf_values(path, out)
    info_values(path, out)
    line_values(path, out)
    with open(path + ".expect", "w") as f:
        f.write("\n".join(out) + "\n")
    print(path + ".expect", len(out), "values")
