# Writes a 32-bit little-endian ARM ELF file of given sections, for the sample programs
# that no packaged tool chain makes (make-dwarf1.py, make-dwarf2-edges.py).
import struct

def write_elf(path, sections, segments, entry):
    """sections: (name, type, flags, address, contents (a size for SHT_NOBITS)[, link,
    entry size]), in order;
    segments: indexes of the sections that get a loadable program header each, with its
    flags."""
    names = b"\0"
    name_offsets = []
    for s in sections + [(".shstrtab",)]:
        name_offsets.append(len(names))
        names += s[0].encode() + b"\0"
    sections = sections + [(".shstrtab", 3, 0, 0, names)]

    data = bytearray(0x100)  # header and program headers, contents from 0x100 on
    placed = []
    for s in sections:
        while len(data) % 4: data.append(0)
        placed.append(len(data))
        data += b"" if isinstance(s[4], int) else s[4]
    while len(data) % 4: data.append(0)
    shoff = len(data)
    shdrs = bytes(40)
    for i, s in enumerate(sections):
        align = 4 if any(i == index for index, _ in segments) else 1
        link, entsize = (s[5], s[6]) if len(s) > 5 else (0, 0)
        size = s[4] if isinstance(s[4], int) else len(s[4])
        shdrs += struct.pack("<10I", name_offsets[i], s[1], s[2], s[3], placed[i], size, link, 0, align, entsize)
    data += shdrs
    ident = b"\x7fELF" + bytes([1, 1, 1]) + bytes(9)
    header = ident + struct.pack("<HHIIIIIHHHHHH", 2, 40, 1, entry, 52, shoff, 0x5000200, 52, 32, len(segments), 40,
                                 len(sections) + 1, len(sections))
    data[0:52] = header
    for n, (index, flags) in enumerate(segments):
        s = sections[index]
        data[52 + 32 * n:84 + 32 * n] = struct.pack("<8I", 1, placed[index], s[3], s[3], len(s[4]), len(s[4]), flags, 4)
    with open(path, "wb") as f:
        f.write(data)
    print(path, len(data), "bytes")
