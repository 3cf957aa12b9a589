#!/usr/bin/env python3
"""Oracles of the simulated target, from gdb (make-watch.sh runs this).

  make-frames.py sections ELF   prints gdb's x/Nxb of every allocated section of ELF,
                                each after a line "section NAME ADDRESS SIZE"
  make-frames.py frames ELF     writes ELF cores of two stops inside watch_frame of the
                                watch program ELF (ELF minus .elf, then -frame1.core and
                                -frame2.core) and beside each, in .gdb.txt, what
                                gdb-multiarch reads in it: the registers, the stack
                                words, and the frame's arguments and locals

A core is an ARM GNU/Linux core as gdb reads one: a PT_NOTE segment with the process
status (NT_PRSTATUS, 148 bytes, R0-R15, CPSR and ORIG_R0 at offset 72) and PT_LOAD
segments of the stack and of the RAM, which lay themselves over the program's memory.
The stop has a chosen frame pointer and stack pointer; the program counter stands after
the prologue (frame 1) or at a later line (frame 2), the stack words around the frame
are chosen, and the locals hold chosen values, the pointers among them pointing at
globals. gdb finds where each local lies; this script only puts values there.
"""
import re
import struct
import subprocess
import sys

GDB = ["gdb-multiarch", "-batch", "-nx"]


def sections_of(path):
    data = open(path, "rb").read()
    shoff, = struct.unpack_from("<I", data, 32)
    shentsize, shnum, shstrndx = struct.unpack_from("<HHH", data, 46)
    headers = [struct.unpack_from("<10I", data, shoff + i * shentsize) for i in range(shnum)]
    names = headers[shstrndx]
    result = []
    for h in headers:
        name = data[names[4] + h[0]:data.index(b"\0", names[4] + h[0])].decode()
        result.append({"name": name, "type": h[1], "flags": h[2], "addr": h[3], "offset": h[4], "size": h[5],
                       "bytes": data[h[4]:h[4] + h[5]] if h[1] != 8 else bytes(h[5])})
    return result


def gdb(elf, *commands, core=None):
    args = GDB + [elf]
    if core:
        args += ["-ex", "set osabi GNU/Linux", "-ex", "core-file " + core]
    for c in commands:
        args += ["-ex", c]
    return subprocess.run(args, capture_output=True, text=True).stdout


def print_sections(elf):
    commands = []
    for s in sections_of(elf):
        if s["flags"] & 2 and s["size"]:
            commands += ["echo section %s 0x%x %d\\n" % (s["name"], s["addr"], s["size"]),
                         "x/%dxb 0x%x" % (s["size"], s["addr"])]
    sys.stdout.write(gdb(elf, *commands))


def write_core(path, registers, blocks):
    """registers: R0-R15 and CPSR; blocks: (address, bytes)."""
    status = bytearray(148)
    struct.pack_into("<H", status, 12, 5)          # pr_cursig: SIGTRAP
    struct.pack_into("<I", status, 24, 1)          # pr_pid
    struct.pack_into("<18I", status, 72, *registers, 0)
    note = struct.pack("<III", 5, len(status), 1) + b"CORE\0\0\0\0" + bytes(status)
    phnum = 1 + len(blocks)
    offset = 52 + 32 * phnum
    headers = struct.pack("<8I", 4, offset, 0, 0, len(note), 0, 0, 4)
    body = note
    for address, contents in blocks:
        headers += struct.pack("<8I", 1, offset + len(body), address, 0, len(contents), len(contents), 6, 4)
        body += contents
    ident = b"\x7fELF" + bytes([1, 1, 1, 0]) + bytes(8)
    header = ident + struct.pack("<HHIIIIIHHHHHH", 4, 40, 1, 0, 52, 0, 0, 52, 32, phnum, 40, 0, 0)
    with open(path, "wb") as f:
        f.write(header + headers + body)


def addresses(elf, core, names):
    out = gdb(elf, *["print/x (unsigned int)&%s" % n for n in names], core=core)
    values = [int(v, 16) for v in re.findall(r"^\$\d+ = (0x[0-9a-f]+)", out, re.M)]
    if len(values) != len(names):
        sys.exit("gdb did not give every address:\n" + out)
    return dict(zip(names, values))


def put(memory, base, address, value):
    memory[address - base:address - base + len(value)] = value


def frames(elf):
    stem = elf[:-len(".elf")]
    secs = {s["name"]: s for s in sections_of(elf)}
    ram_base = secs[".data"]["addr"]
    ram = bytearray(secs[".data"]["bytes"] + secs[".bss"]["bytes"])
    symbols = addresses(elf, None, ["config", "chain", "g_int", "long_text", "short_text", "grid", "g_level",
                                    "watch_frame::calls"])
    disassembly = gdb(elf, "disassemble main", "info line 62")
    call = re.search(r"^\s+(0x[0-9a-f]+) <\+\d+>:\tbl\t0x[0-9a-f]+ <watch_frame>", disassembly, re.M)
    after_call = int(call.group(1), 16) + 4
    later = int(re.search(r'Line 62 of "[^"]*" starts at address (0x[0-9a-f]+)', disassembly).group(1), 16)
    prologue_end = int(re.search(r"Breakpoint 1 at (0x[0-9a-f]+)", gdb(elf, "break watch_frame")).group(1), 16)

    entry_sp = 0x4000FFF0
    fp = entry_sp - 4
    sp = entry_sp - 104
    stack_base = sp - 8
    caller_fp = 0x4000FFFC
    text_pointer = struct.unpack_from("<I", ram, symbols["long_text"] - ram_base)[0]
    flags = ram[symbols["config"] - ram_base + 8:symbols["config"] - ram_base + 20]

    stops = [
        # frame 1: after the prologue, the locals as if the function had set them
        (prologue_end, 0, {"count": struct.pack("<i", 5), "where": struct.pack("<hh", 3, 4),
                           "cfg": struct.pack("<I", symbols["config"]), "tag": b"q",
                           "total": struct.pack("<i", 5), "small": bytes([113]),
                           "wide": struct.pack("<q", 1234567890123), "ratio": struct.pack("<d", 0.5),
                           "part": struct.pack("<f", 3.0), "local_point": struct.pack("<hh", 3, 4),
                           "local_bits": bytes(flags), "link": struct.pack("<I", symbols["chain"]),
                           "text": struct.pack("<I", text_pointer), "row": struct.pack("<4h", 5, 6, 7, 8),
                           "level": struct.pack("<i", 100000)}),
        # frame 2: at a later line, the walk over the chain done, the memory changed
        (later, 1, {"count": struct.pack("<i", -1), "where": struct.pack("<hh", -32768, 32767),
                    "cfg": struct.pack("<I", symbols["config"]), "tag": b"\xff",
                    "total": struct.pack("<i", -2147483648), "small": bytes([255]),
                    "wide": struct.pack("<q", -1), "ratio": struct.pack("<d", -2.5),
                    "part": struct.pack("<f", -0.125), "local_point": struct.pack("<hh", -1, 1),
                    "local_bits": bytes([0xFF] * 12), "link": struct.pack("<I", 0),
                    "text": struct.pack("<I", struct.unpack_from("<I", ram, symbols["short_text"] - ram_base)[0]),
                    "row": struct.pack("<4h", -9, -10, -11, -12), "level": struct.pack("<i", 1)}),
    ]
    for number, (pc, changed, values) in enumerate(stops, 1):
        core = "%s-frame%d.core" % (stem, number)
        stack = bytearray(b"".join(struct.pack("<I", 0xA5A50000 + i) for i in range((0x40010000 - stack_base) // 4)))
        put(stack, stack_base, fp, struct.pack("<I", after_call))     # saved lr
        put(stack, stack_base, fp - 4, struct.pack("<I", caller_fp))  # saved r11
        memory = bytearray(ram)
        if changed:
            put(memory, ram_base, symbols["g_int"], struct.pack("<i", 42))
            put(memory, ram_base, symbols["watch_frame::calls"], struct.pack("<i", 1))
        registers = [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, fp, 0x12, sp, after_call, pc, 0x60000013]
        write_core(core, registers, [(stack_base, bytes(stack)), (ram_base, bytes(memory))])
        where = addresses(elf, core, list(values))
        for name, value in values.items():
            put(stack, stack_base, where[name], value)
        write_core(core, registers, [(stack_base, bytes(stack)), (ram_base, bytes(memory))])
        words = (0x40010000 - stack_base) // 4
        out = gdb(elf, "info registers", "x/%dxw 0x%x" % (words, stack_base), "info args", "info locals",
                  "print *cfg", "print *link", "print text", "print g_int", "print calls", core=core)
        with open(core + ".gdb.txt", "w") as f:
            f.write(out)
        print(core, "pc 0x%x" % pc)


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("sections", "frames"):
        sys.exit(__doc__)
    (print_sections if sys.argv[1] == "sections" else frames)(sys.argv[2])
