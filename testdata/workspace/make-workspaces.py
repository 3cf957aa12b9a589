#!/usr/bin/env python3
# Writes the sample workspace files of this folder (seeds of the workspace routines' fuzz
# target): python3 make-workspaces.py
#
# The storage format is that of platform/com/internal/stgformat.h; the layout inside is
# the symbol server's per-program settings: "BinaryFiles" with "Number", "Filter",
# "AskForLoad" and the entries "BinaryFile<N>" holding "FullPath", the breakpoint storages
# and "SourceAliases". Numbers are 4 bytes little-endian, texts UTF-16 with a zero.
import struct
import zlib


def name(text):
    return bytes([len(text)]) + text.encode('utf-16-le')


def stream(text, data):
    return b'\x02' + name(text) + struct.pack('<I', len(data)) + data


def storage(text, elements):
    return b'\x01' + name(text) + struct.pack('<I', len(elements)) + b''.join(elements)


def image(elements):
    body = struct.pack('<I', len(elements)) + b''.join(elements)
    head = b'\x89QSTG\r\n\x1a' + struct.pack('<III', 1, len(body), zlib.crc32(body))
    return head + struct.pack('<I', zlib.crc32(head)) + body


def number(key, value):
    return stream(key, struct.pack('<I', value))


def text(key, value):
    return stream(key, value.encode('utf-16-le') + b'\0\0')


def breakpoints(kind, names):
    return storage(kind, [number('Number', len(names))] +
                   [text('Breakpoint%d' % (i + 1), n) for i, n in enumerate(names)])


entry = storage('BinaryFile1', [
    text('FullPath', '/work/prog.elf'),
    breakpoints('Breakpoints', ['main.c 12', '0x1234']),
    breakpoints('CoBreakpoints', ['pcp.c 3']),
    storage('SourceAliases', [number('Number', 3),
                              text('EntryInFile1', 'main.c'), text('FullPath1', '/src/main.c'),
                              text('EntryInFile3', 'util.c'), text('FullPath3', '/src/util.c')]),
])
settings = [storage('BinaryFiles', [number('Number', 1), number('Filter', 2), number('AskForLoad', 0), entry])]
with open('settings.stg', 'wb') as out:
    out.write(image(settings))

# Counts far beyond what the storage holds.
wide = storage('BinaryFile2', [
    text('FullPath', '/work/other.elf'),
    storage('Breakpoints', [number('Number', 0x7FFFFFFF), text('Breakpoint1', 'a')]),
    storage('SourceAliases', [number('Number', 0xFFFFFFFF), text('EntryInFile7', 'x.c')]),
])
with open('counts.stg', 'wb') as out:
    out.write(image([storage('BinaryFiles', [number('Number', 2), wide])]))
