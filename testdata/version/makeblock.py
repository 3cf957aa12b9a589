#!/usr/bin/env python3
# Writes block.bin, a VS_VERSIONINFO block in the documented layout (UTF-16LE keys, each
# key, value and child at a 32-bit boundary), as a seed of the version-resource fuzz target.
import struct

def node(key, value=b"", value_length=0, kind=1, children=()):
    data = bytearray(6) + (key + "\0").encode("utf-16-le")
    data += b"\0" * (-len(data) % 4) + value
    for child in children:
        data += b"\0" * (-len(data) % 4) + child
    struct.pack_into("<HHH", data, 0, len(data), value_length, kind)
    return bytes(data)

def text(key, value):
    return node(key, (value + "\0").encode("utf-16-le"), len(value) + 1)

fixed = struct.pack("<13I", 0xFEEF04BD, 0x10000, 0x00030001, 0x0004009F, 0x00030001, 0x0004009F,
                    0x3F, 0, 4, 2, 0, 0, 0)
strings = node("StringFileInfo", children=[node("040904E4", children=[
    text("FileVersion", "3.1.4.159"), text("InternalName", "Brennet"),
    text("FileDescription", "CASE tool add-on")])])
variables = node("VarFileInfo", children=[node("Translation", struct.pack("<HH", 0x0409, 0x04E4), 4, 0)])
root = node("VS_VERSION_INFO", fixed, len(fixed), 0, [strings, variables])
open(__file__.replace("makeblock.py", "block.bin"), "wb").write(root)
