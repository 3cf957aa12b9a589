// The GNU C166 program file: an a.out executable of the GNU tool chain for C16x/ST10,
// with stabs debugging strings. All numbers are 32-bit little-endian.
//
//   0                      header (GNU166_HEADER_SIZE bytes, Gnu166Header)
//   32                     text image, then data image
//   32 + text + data       symbol table, GNU166_ENTRY_SIZE bytes a symbol
//   ... + symbols          string table; a name offset counts from its start
//   T                      (T = the word at the end of the file - 8) the section table
//                          starts at T + 4: entries of type, length and address
#pragma once

#include <afx.h>

#include "valuenames.h"

enum : DWORD {
    GNU166_MAGIC = 0x107,
    GNU166_HEADER_SIZE = 32,
    GNU166_ENTRY_SIZE = 12, // a symbol, and a section-table entry
};

// Section-table entry types.
enum : DWORD {
    GNU166_SECTION_CODE = 1,
    GNU166_SECTION_DATA = 2,
    GNU166_SECTION_BSS = 4,
    GNU166_SECTION_SPECIAL_JUMPS = 0xB,
};

// Symbol types: bits 0-4 of a plain symbol, or the whole byte of a stabs entry.
enum : BYTE {
    GNU166_N_EXT = 0x01,
    GNU166_N_TEXT = 0x04,
    GNU166_N_DATA = 0x06,
    GNU166_N_BSS = 0x08,
    GNU166_N_GSYM = 0x20,
    GNU166_N_FUN = 0x24,
    GNU166_N_STSYM = 0x26,
    GNU166_N_LCSYM = 0x28,
    GNU166_N_RSYM = 0x40,
    GNU166_N_SLINE = 0x44,
    GNU166_N_SO = 0x64,
    GNU166_N_LSYM = 0x80,
    GNU166_N_SOL = 0x84,
    GNU166_N_PSYM = 0xA0,
    GNU166_N_LBRAC = 0xC0,
    GNU166_N_RBRAC = 0xE0,
};

// Descriptions of N_DATA symbols that stand for a bit and a word of the bit-addressable
// area rather than for a C variable.
enum : WORD {
    GNU166_DESC_BIT = 0x4711,
    GNU166_DESC_WORD = 0x4712,
};

// Memory models.
enum : BYTE {
    GNU166_MODEL_SMALL = 0,
    GNU166_MODEL_COMPACT = 1,
    GNU166_MODEL_SPECIAL_MEDIUM = 2,
    GNU166_MODEL_LARGE = 4,
};

struct Gnu166Header {
    DWORD Magic; // bits 0-15 of the first word
    BYTE Code;   // processor and call convention
    BYTE Model;
    DWORD Text;
    DWORD Data;
    DWORD Bss;
    DWORD Symbols; // bytes
    DWORD Start;
    DWORD TextRelocations;
    DWORD DataRelocations;
};

struct Gnu166Symbol {
    DWORD NameOffset;
    BYTE Type;
    BYTE Other;
    WORD Description;
    DWORD Value;
};

DWORD ReadGnu166Word(const BYTE *p);
Gnu166Header ReadGnu166Header(const BYTE *p); // GNU166_HEADER_SIZE bytes
Gnu166Symbol ReadGnu166Symbol(const BYTE *p); // GNU166_ENTRY_SIZE bytes

// Why a header is refused ("" when it is taken): the magic, then the model, then the
// code byte, which must name one of the C167 conventions the debugger knows.
CString Gnu166HeaderRefusal(const Gnu166Header &header);

// The value-to-name tables of the dump.
extern const QEL_VALUE_NAME g_gnu166CodeNames[];
extern const QEL_VALUE_NAME g_gnu166ModelNames[];
extern const QEL_VALUE_NAME g_gnu166SymbolTypeNames[]; // bits 0-4
extern const QEL_VALUE_NAME g_gnu166StabNames[];       // the whole type byte
extern const QEL_VALUE_NAME g_gnu166SectionTypeNames[];
