#!/usr/bin/env python3
"""Oracles of the simulated target, from gdb (make-watch.sh runs this).

  make-frames.py sections ELF   prints gdb's x/Nxb of every allocated section of ELF,
                                each after a line "section NAME ADDRESS SIZE"
  make-frames.py frames ELF     writes ELF cores of stops of the watch program ELF (ELF
                                minus .elf, then -frameK.core inside watch_frame and
                                -thumbK.core inside watch2_counter) and beside each, in
                                .gdb.txt, what gdb-multiarch reads in it: the registers,
                                the stack words, the frame's arguments and locals and the
                                objects its pointers point at

A core is an ARM GNU/Linux core as gdb reads one: a PT_NOTE segment with the process
status (NT_PRSTATUS, 148 bytes, R0-R15, CPSR and ORIG_R0 at offset 72) and PT_LOAD
segments of the stack and of the RAM, which lay themselves over the program's memory.
The stop has a chosen frame pointer and stack pointer, those of the function's frame with
the caller's stack pointer at ENTRY_SP; the program counter stands after the prologue, at
the entry or at a later line, the stack words around the frame are chosen, and the
parameters and locals hold chosen values, the pointers among them pointing at globals.
gdb finds where each lies (in the frame, in the RAM or in a register); this script only
puts values there. At -O1 most of them live in a register for a part of the function and
nowhere else: gdb answers <optimized out> outside it.
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


def location(elf, core, name):
    """Where gdb finds name at the stop of core: ("memory", address) or ("register", N)."""
    run = subprocess.run(GDB + [elf, "-ex", "set osabi GNU/Linux", "-ex", "core-file " + core,
                                "-ex", "print/x (unsigned int)&" + name], capture_output=True, text=True)
    found = re.search(r"^\$\d+ = (0x[0-9a-f]+)", run.stdout, re.M)
    if found:
        return "memory", int(found.group(1), 16)
    found = re.search(r'identifier "\w+" which is in register \$r(\d+)', run.stderr)
    if found:
        return "register", int(found.group(1))
    sys.exit("gdb finds no place of %s in %s:\n%s" % (name, core, run.stderr))


ENTRY_SP = 0x4000FFF0     # the stack pointer at the called function's entry
CALLER_FP = 0x4000FFFC
RAM_END = 0x40010000


def stop(elf, core, function, registers, stack_base, saved, ram, values, prints):
    """Writes core, a stop inside function: registers R0-R15 and CPSR; the stack from
    stack_base to the end of the RAM, pattern words but for saved (address: word); the
    RAM. Then each of values (name: bytes) goes where gdb finds that name at the stop, a
    register taking it zero-extended, and the core is written again, and beside it what
    gdb reads in it. The stop must be one gdb unwinds: its frame (the CFA) at ENTRY_SP."""
    ram_base, ram = ram
    stack = bytearray(b"".join(struct.pack("<I", 0xA5A50000 + i) for i in range((RAM_END - stack_base) // 4)))
    for address, word in saved.items():
        put(stack, stack_base, address, struct.pack("<I", word))
    registers = list(registers)
    write_core(core, registers, [(stack_base, bytes(stack)), (ram_base, bytes(ram))])
    for name, value in values.items():
        kind, where = location(elf, core, name)
        if kind == "register":
            registers[where] = int.from_bytes(value, "little")
        else:
            put(stack if where >= stack_base else ram, stack_base if where >= stack_base else ram_base,
                where, value)
    write_core(core, registers, [(stack_base, bytes(stack)), (ram_base, bytes(ram))])
    frame = gdb(elf, "info frame", core=core)
    if not re.search(r"^#0  (0x[0-9a-f]+ in )?%s \(" % function, frame, re.M) or \
            "frame at 0x%x:" % ENTRY_SP not in frame:
        sys.exit("%s does not stop in a frame of %s at 0x%x:\n%s" % (core, function, ENTRY_SP, frame))
    words = (RAM_END - stack_base) // 4
    out = gdb(elf, "info registers", "x/%dxw 0x%x" % (words, stack_base), "info args", "info locals", *prints,
              core=core)
    with open(core + ".gdb.txt", "w") as f:
        f.write(out)
    print(core, "pc 0x%x" % registers[15])


def frames(elf):
    """The stops of the watch program elf: of -O0, two inside watch_frame (ARM, frame
    pointer r11) and one inside watch2_counter (Thumb, frame pointer r7); of -O1, two inside
    watch_frame, whose parameters and locals live in registers, in the frame or nowhere."""
    stem = elf[:-len(".elf")]
    secs = {s["name"]: s for s in sections_of(elf)}
    ram_base = secs[".data"]["addr"]
    ram = bytearray(secs[".data"]["bytes"] + secs[".bss"]["bytes"])
    symbols = addresses(elf, None, ["config", "chain", "g_int", "long_text", "short_text", "grid", "g_level",
                                    "watch_frame::calls", "watch2_counter::counted"])
    disassembly = gdb(elf, "disassemble main", "info line 62", "info line 64")

    def after_call(callee):
        call = re.search(r"^\s+(0x[0-9a-f]+) <\+\d+>:\tbl\t0x[0-9a-f]+ <%s>" % callee, disassembly, re.M)
        return int(call.group(1), 16) + 4

    def line(number):
        return int(re.search(r'Line %d of "[^"]*" starts at address (0x[0-9a-f]+)' % number,
                             disassembly).group(1), 16)

    def breakpoint(function):
        return int(re.search(r"Breakpoint 1 at (0x[0-9a-f]+)", gdb(elf, "break " + function)).group(1), 16)

    def changed(pairs):
        memory = bytearray(ram)
        for name, value in pairs:
            put(memory, ram_base, symbols[name], value)
        return ram_base, memory

    def word(name):
        return struct.unpack_from("<I", ram, symbols[name] - ram_base)[0]

    frame_prints = ["print *cfg", "print *link", "print text", "print g_int", "print calls"]
    if stem.endswith("-O0"):
        fp = ENTRY_SP - 4
        sp = ENTRY_SP - 104
        saved = {fp: after_call("watch_frame"), fp - 4: CALLER_FP}   # lr and r11 pushed by the prologue
        flags = ram[symbols["config"] - ram_base + 8:symbols["config"] - ram_base + 20]
        arm = [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, fp, 0x12, sp, after_call("watch_frame")]
        # frame 1: after the prologue, the locals as if the function had set them
        stop(elf, stem + "-frame1.core", "watch_frame", arm + [breakpoint("watch_frame"), 0x60000013], sp - 8,
             saved, changed([]),
             {"count": struct.pack("<i", 5), "where": struct.pack("<hh", 3, 4),
              "cfg": struct.pack("<I", symbols["config"]), "tag": b"q",
              "total": struct.pack("<i", 5), "small": bytes([113]),
              "wide": struct.pack("<q", 1234567890123), "ratio": struct.pack("<d", 0.5),
              "part": struct.pack("<f", 3.0), "local_point": struct.pack("<hh", 3, 4),
              "local_bits": bytes(flags), "link": struct.pack("<I", symbols["chain"]),
              "text": struct.pack("<I", word("long_text")), "row": struct.pack("<4h", 5, 6, 7, 8),
              "level": struct.pack("<i", 100000)}, frame_prints)
        # frame 2: at a later line, the walk over the chain done, the memory changed
        stop(elf, stem + "-frame2.core", "watch_frame", arm + [line(62), 0x60000013], sp - 8, saved,
             changed([("g_int", struct.pack("<i", 42)), ("watch_frame::calls", struct.pack("<i", 1))]),
             {"count": struct.pack("<i", -1), "where": struct.pack("<hh", -32768, 32767),
              "cfg": struct.pack("<I", symbols["config"]), "tag": b"\xff",
              "total": struct.pack("<i", -2147483648), "small": bytes([255]),
              "wide": struct.pack("<q", -1), "ratio": struct.pack("<d", -2.5),
              "part": struct.pack("<f", -0.125), "local_point": struct.pack("<hh", -1, 1),
              "local_bits": bytes([0xFF] * 12), "link": struct.pack("<I", 0),
              "text": struct.pack("<I", word("short_text")),
              "row": struct.pack("<4h", -9, -10, -11, -12), "level": struct.pack("<i", 1)}, frame_prints)
        # Thumb, after the prologue (push {r7, lr}; sub sp, #8; add r7, sp, #0), the static
        # changed; r11 is still the ARM caller's frame pointer
        sp = ENTRY_SP - 16
        stop(elf, stem + "-thumb1.core", "watch2_counter",
             [1, 2, 3, 4, 5, 6, 7, sp, 9, 10, 11, CALLER_FP, 0x12, sp, after_call("__watch2_counter_from_arm"),
              breakpoint("watch2_counter"), 0x60000033], sp - 8,
             {ENTRY_SP - 4: after_call("__watch2_counter_from_arm"), ENTRY_SP - 8: 0x4000FFF8},
             changed([("watch2_counter::counted", struct.pack("<I", 1000))]),
             {"step": struct.pack("<i", -3)},
             ["print step", "print counted", "print shared_name", "print *first_link"])
    else:
        # frame 1: at the entry (gcc's locations start there), the parameters in r0-r3
        stop(elf, stem + "-frame1.core", "watch_frame",
             [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0x12, ENTRY_SP, after_call("watch_frame"),
              breakpoint("watch_frame"), 0x60000013], ENTRY_SP - 72, {}, changed([]),
             {"count": struct.pack("<i", 5), "cfg": struct.pack("<I", symbols["config"]), "tag": b"q"},
             frame_prints)
        # frame 2: inside the loop (push {r4-r11, lr}; sub sp, sp, #28), the locals in
        # registers and in the frame, the parameters gone, the memory changed
        sp = ENTRY_SP - 64
        stop(elf, stem + "-frame2.core", "watch_frame",
             [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0x12, sp, after_call("watch_frame"), line(64), 0x60000013],
             sp - 8, {ENTRY_SP - 4: after_call("watch_frame"), ENTRY_SP - 8: CALLER_FP},
             changed([("g_int", struct.pack("<i", 42)), ("watch_frame::calls", struct.pack("<i", 1))]),
             {"total": struct.pack("<i", -7), "small": bytes([255]), "ratio": struct.pack("<d", -2.5),
              "part": struct.pack("<f", 3.0), "link": struct.pack("<I", symbols["chain"] + 12),
              "text": struct.pack("<I", word("short_text")), "row": struct.pack("<4h", -9, -10, -11, -12),
              "level": struct.pack("<i", 1)}, frame_prints)


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("sections", "frames"):
        sys.exit(__doc__)
    (print_sections if sys.argv[1] == "sections" else frames)(sys.argv[2])
