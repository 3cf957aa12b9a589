// Test inputs of the EOMF reader: a program assembled by hand, record by record, with
// every field and every checksum worked out from the record layouts.
//
// Two modules: MAIN, compiled from C (translator "C166"), with types, blocks,
// parameters, a local, lines and symbols of every place; START, assembler. Before them
// the dependency list, names, sections of all four types (a BIT section at bit 4, one of
// length 65535, one that is not absolute), a group and the vector table; after them two
// bytes of padding.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

inline const std::vector<BYTE> &EomfHandProgram()
{
    static const std::vector<BYTE> bytes = {
        // offset 0: DEPLST
        0x70, 0x1C, 0x00, // type, L = 28
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, // Input file, a byte, time 0
        0x0D, 'C', ':', '\\', 'S', 'R', 'C', '\\', 'M', 'A', 'I', 'N', '.', 'C', // its path
        0xFF, 0x05, 'c', 'c', '1', '6', '6', // Command line, long name of 5
        0x4C, // checksum
        // offset 31: LHEADR
        0x82, 0x06, 0x00, // type, L = 6
        0x04, 'P', 'R', 'O', 'G', // name
        0x3C, // checksum
        // offset 40: LNAMES
        0x96, 0x19, 0x00, // type, L = 25
        0x05, 'C', 'O', 'D', 'E', '1', // 1
        0x05, 'C', 'O', 'D', 'E', '2', // 2
        0x05, 'D', 'A', 'T', 'A', '1', // 3
        0x05, 'C', 'C', 'O', 'D', 'E', // 4
        0xFB, // checksum
        // offset 68: SECDEF CODE1
        0xB0, 0x0B, 0x00, // type, L = 11
        0x80, 0x00, // CODE; absolute
        0x00, 0x00, 0x00, 0x02, // address 0200h
        0x20, 0x00, // length
        0x01, 0x04, // name CODE1, class CCODE
        0x9E, // checksum
        // offset 82: SECDEF CODE2
        0xB0, 0x0B, 0x00, // type, L = 11
        0x80, 0x00, // CODE; absolute
        0x00, 0x00, 0x00, 0x04, // address 0400h
        0x10, 0x00, // length
        0x02, 0x04, // name CODE2, class CCODE
        0xAB, // checksum
        // offset 96: XSECDEF DATA1
        0xC5, 0x0D, 0x00, // type, L = 13
        0x60, 0x00, // DATA, xhuge; absolute
        0x01, 0x00, 0x00, 0xC0, // address 1C000h
        0x10, 0x00, 0x00, 0x00, // length
        0x03, 0x00, // name DATA1, no class
        0xFA, // checksum
        // offset 112: SECDEF BIT
        0xB0, 0x0B, 0x00, // type, L = 11
        0x04, 0x00, // BIT at bit 4; absolute
        0x00, 0x00, 0x00, 0xFD, // address FD00h
        0x09, 0x00, // 9 bits
        0x00, 0x00, // no name, no class
        0x3B, // checksum
        // offset 126: SECDEF DATA 65535
        0xB0, 0x0B, 0x00, // type, L = 11
        0x40, 0x02, // DATA; absolute, length 65535
        0x02, 0x00, 0x00, 0x00, // address 20000h
        0x00, 0x00, // length word
        0x00, 0x00, // no name, no class
        0x01, // checksum
        // offset 140: SECDEF relocatable
        0xB0, 0x0B, 0x00, // type, L = 11
        0x80, 0x04, // CODE; not absolute
        0x00, 0x00, 0x00, 0x00, // address
        0x02, 0x00, // length
        0x00, 0x00, // no name, no class
        0xBF, // checksum
        // offset 154: GRPDEF
        0xB1, 0x05, 0x00, // type, L = 5
        0x00, 0x03, // a byte, name DATA1
        0xFF, 0x04, // component, section 4
        0x44, // checksum
        // offset 162: VECTAB
        0xE9, 0x09, 0x00, // type, L = 9
        0x00, 0x00, 0x00, // address 000000h
        0x02, // CODE
        0xFA, 0x00, 0x00, 0x02, // JMPS 0:0200h
        0x10, // checksum
        // offset 174: THEADR
        0x80, 0x06, 0x00, // type, L = 6
        0x04, 'M', 'A', 'I', 'N', // module
        0x51, // checksum
        // offset 183: COMMENT
        0x88, 0x0A, 0x00, // type, L = 10
        0x00, 0x80, // Translator, NOPURGE
        'C', '1', '6', '6', ' ', 'V', '4', // text
        0x64, // checksum
        // offset 196: COMMENT
        0x88, 0x09, 0x00, // type, L = 9
        0x4B, 0x00, // Input file, PURGE
        'm', 'a', 'i', 'n', '.', 'c', // text
        0xEE, // checksum
        // offset 208: MODINF
        0xE7, 0x02, 0x00, // type, L = 2
        0x08, // SMALL, non segmented, no case
        0x0F, // checksum
        // offset 213: TYPNEW 128
        0xF0, 0x08, 0x00, // type, L = 8
        0x21, 0x03, 0x00, // pointer, attribute 3 + 0
        0x00, 0x00, // two bytes
        0x81, 0x00, // to 129, which comes later
        0x63, // checksum
        // offset 224: TYPNEW 129
        0xF0, 0x0E, 0x00, // type, L = 14
        0x24, 0x01, // struct
        0x04, 0x00, 0x00, 0x00, // size
        0x82, 0x00, // members 130
        0x04, 'n', 'o', 'd', 'e', // name
        0xAD, // checksum
        // offset 241: TYPNEW 130
        0xF0, 0x1D, 0x00, // type, L = 29
        0x20, // component list
        0x02, 0x00, // count
        0x44, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 'v', 'a', 'l', // int at 0
        0x80, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 'n', 'e', 'x', 't', // pointer 128 at 2
        0x02, // checksum
        // offset 273: TYPNEW 131
        0xF0, 0x07, 0x00, // type, L = 7
        0x23, 0x02, // function, far
        0x44, 0x00, // int result
        0x84, 0x00, // parameters 132
        0x1C, // checksum
        // offset 283: TYPNEW 132
        0xF0, 0x0E, 0x00, // type, L = 14
        0x20, // component list
        0x01, 0x00, // count
        0x42, 0x00, 0x03, 0x00, 0x00, 0x00, 0x03, 0x00, 0x01, 'c', // char in R3
        0x35, // checksum
        // offset 300: TYPNEW 133
        0xF0, 0x0E, 0x00, // type, L = 14
        0x22, 0x02, 0x00, // array, 2 dimensions, near
        0x44, 0x00, // of int
        0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, // [3][4]
        0x93, // checksum
        // offset 317: TYPNEW 134
        0xF0, 0x06, 0x00, // type, L = 6
        0x25, // bit-field
        0x44, 0x00, // of int
        0x02, 0x03, // offset 2, width 3
        0x9C, // checksum
        // offset 326: TYPNEW 135
        0xF0, 0x08, 0x00, // type, L = 8
        0x21, 0x04, 0x00, // pointer, function near
        0x00, 0x00, // two bytes
        0x83, 0x00, // to 131
        0x60, // checksum
        // offset 337: PEDATA
        0xB9, 0x0D, 0x00, // type, L = 13
        0x00, 0x00, 0x02, // address 000200h
        0x02, // CODE
        0xCC, 0x00, 0xCC, 0x00, 0xCB, 0x00, 0xCB, 0x00, // data
        0x08, // checksum
        // offset 353: PEDATA
        0xB9, 0x08, 0x00, // type, L = 8
        0x00, 0x00, 0x04, // address 000400h
        0x02, // CODE
        0xCB, 0x00, 0xCC, // data
        0xA2, // checksum
        // offset 364: PEDATA
        0xB9, 0x06, 0x00, // type, L = 6
        0x00, 0x04, 0x04, // address 000404h
        0x02, // CODE
        0x00, // data
        0x37, // checksum
        // offset 373: PEDATA
        0xB9, 0x07, 0x00, // type, L = 7
        0x01, 0x00, 0xC0, // address 01C000h
        0x01, // DATA
        0x12, 0x34, // data
        0x38, // checksum
        // offset 383: BLKDEF init
        0xB7, 0x12, 0x00, // type, L = 18
        0x00, 0x00, 0x00, 0x00, // base 0
        0x04, 'i', 'n', 'i', 't', // name
        0x00, 0x04, 0x04, 0x00, 0x80, // offset, length, procedure
        0x00, 0x00, // two bytes
        0x4A, // void
        0xAD, // checksum
        // offset 404: BLKEND
        0x7C, 0x01, 0x00, // type, L = 1
        0x83, // checksum
        // offset 408: BLKDEF main
        0xB7, 0x13, 0x00, // type, L = 19
        0x00, 0x00, 0x00, 0x00, // base 0
        0x04, 'm', 'a', 'i', 'n', // name
        0x00, 0x02, 0x08, 0x00, 0x80, // offset, length, procedure
        0x00, 0x00, // two bytes
        0x80, 0x83, // type 131
        0x00, // checksum
        // offset 430: DEBSYM
        0xB6, 0x0F, 0x00, // type, L = 15
        0x02, 0x02, // block 2
        0x01, 'c', 0x03, 0x00, 0x60, 0x42, // REGISTER VARIABLE char in RH1
        0x01, 'k', 0x04, 0x00, 0xF0, 0x44, // STACK VARIABLE int at R0-4
        0x8A, // checksum
        // offset 448: BLKDEF block
        0xB7, 0x0B, 0x00, // type, L = 11
        0x00, 0x00, 0x00, 0x00, // base 0
        0x00, // no name
        0x02, 0x02, 0x04, 0x00, 0x00, // offset, length, no procedure
        0x36, // checksum
        // offset 462: DEBSYM
        0xB6, 0x09, 0x00, // type, L = 9
        0x02, 0x03, // block 3
        0x01, 'i', 0x05, 0x00, 0x60, 0x44, // REGISTER VARIABLE int in R5
        0x29, // checksum
        // offset 474: BLKEND
        0x7C, 0x01, 0x00, // type, L = 1
        0x83, // checksum
        // offset 478: BLKEND
        0x7C, 0x01, 0x00, // type, L = 1
        0x83, // checksum
        // offset 482: LINNUM
        0x94, 0x0D, 0x00, // type, L = 13
        0x00, 0x00, 0x00, 0x00, // base 0
        0x0A, 0x00, 0x00, 0x02, // line 10
        0x0B, 0x00, 0x04, 0x02, // line 11
        0x42, // checksum
        // offset 498: PUBDEF
        0xB3, 0x2D, 0x00, // type, L = 45
        0x00, 0x00, 0x01, 0x00, // base: segment 1
        0x07, 'c', 'o', 'u', 'n', 't', 'e', 'r', 0x00, 0xC0, 0x10, 0x80, 0x85, // VARIABLE
        0x04, 'h', 'e', 'a', 'd', 0x0C, 0xC0, 0x10, 0x80, 0x80, // VARIABLE
        0x02, 'f', 'p', 0x0E, 0xC0, 0x10, 0x80, 0x87, // VARIABLE
        0x04, 'm', 'a', 'i', 'n', 0x00, 0xFE, 0xA0, 0x4D, // LABEL, near, 10000h - FE00h
        0x80, // checksum
        // offset 546: GLBDEF
        0xE6, 0x0E, 0x00, // type, L = 14
        0x00, 0x00, 0x03, 0x80, // base: page 3
        0x04, 'f', 'l', 'a', 'g', 0x00, 0x3D, 0x05, 0x41, // BIT 5
        0x68, // checksum
        // offset 563: LOCSYM
        0xB5, 0x15, 0x00, // type, L = 21
        0x00, 0x00, 0x00, 0x00, // base 0
        0x02, 's', 't', 0x08, 0xC0, 0x10, 0x80, 0x86, // VARIABLE
        0x03, 'l', 'b', 'l', 0x06, 0x02, 0x20, 0x4E, // LABEL, far
        0xBC, // checksum
        // offset 587: REGDEF
        0xE3, 0x0E, 0x00, // type, L = 14
        0x01, // logical
        0x02, 'R', 'B', // name
        0xFF, 0x00, // R0-R7
        0x01, // one area
        0x03, 'C', 'O', 'M', 0x00, 0x03, // R8, R9
        0x93, // checksum
        // offset 604: PECDEF
        0xE4, 0x03, 0x00, // type, L = 3
        0x05, 0x00, // PEC0, PEC2
        0x14, // checksum
        // offset 610: SSKDEF
        0xE5, 0x02, 0x00, // type, L = 2
        0x02, // 64
        0x17, // checksum
        // offset 615: unknown
        0x42, 0x02, 0x00, // type, L = 2
        0x00, // a byte
        0xBC, // checksum
        // offset 620: MODEND
        0x8A, 0x01, 0x00, // type, L = 1
        0x75, // checksum
        // offset 624: THEADR
        0x80, 0x07, 0x00, // type, L = 7
        0x05, 'S', 'T', 'A', 'R', 'T', // module
        0xE6, // checksum
        // offset 634: COMMENT
        0x88, 0x07, 0x00, // type, L = 7
        0x00, 0x00, // Translator, PURGE
        'A', '1', '6', '6', // text
        0x93, // checksum
        // offset 644: PUBDEF
        0xB3, 0x1C, 0x00, // type, L = 28
        0x00, 0x00, 0x00, 0x00, // base 0
        0x0A, '?', 'C', '_', 'S', 'T', 'A', 'R', 'T', 'U', 'P', 0x00, 0x00, 0x20, 0x4E, // LABEL, far
        0x03, 's', 't', 'k', 0x0E, 0xC0, 0x10, 0x43, // VARIABLE, unsigned char
        0x2F, // checksum
        // offset 675: LOCSYM
        0xB5, 0x17, 0x00, // type, L = 23
        0x00, 0x00, 0x00, 0x00, // base 0
        0x03, 't', 'm', 'p', 0x0F, 0xC0, 0x10, 0x4C, // VARIABLE, bitword
        0x05, 'b', 'f', 'l', 'a', 'g', 0x00, 0xFD, 0x01, 0x41, // BIT 1
        0x75, // checksum
        // offset 701: MODEND
        0x8A, 0x01, 0x00, // type, L = 1
        0x75, // checksum
        0x00, 0x00, // padding
    };
    return bytes;
}

// The offsets of the hand program's records that the tests name.
enum : DWORD {
    kEomfMainTheadr = 174,  // the MAIN module's THEADR
    kEomfMainStart = 183,   // the record after it
    kEomfStartTheadr = 624, // START's THEADR
    kEomfStartStart = 634,
    kEomfLastModend = 701,
    kEomfPadding = 705,     // two bytes that make no record
};

inline bool WriteEomfFile(const std::string &path, const std::vector<BYTE> &bytes)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
