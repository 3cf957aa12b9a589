#!/usr/bin/env python3
# Writes the sample storage files of this folder (seeds of the storage reader's fuzz
# target): python3 make-samples.py
#
# The format is that of platform/com/internal/stgformat.h: a 24-byte header (magic,
# version, body length, CRC-32 of the body, CRC-32 of the header) and the root's
# contents as records.
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


with open('empty.stg', 'wb') as out:
    out.write(image([]))
with open('workspace.stg', 'wb') as out:
    out.write(image([
        stream('Version', b'\x03\0\0\0'),
        storage('BinaryFiles', [
            stream('Number', b'\x01\0\0\0'),
            storage('BinaryFile1', [
                stream('FullPath', '/work/app.elf\0'.encode('utf-16-le')),
                storage('Breakpoints', [stream('Number', b'\0\0\0\0')]),
            ]),
        ]),
    ]))
