// The text from which qelsfrdb builds a controller database.
//
// Sections [Derivative], [SFRSelect], [SFRAddressSelect], [SFRFieldSelect],
// [SFRFieldValues] and [SFRBlockSelect], each a CSV block (RFC 4180) whose header line
// names exactly the columns of the table of that name, in any order. Numbers are
// decimal or "0x" hexadecimal of 32 bits; an empty cell is "" or 0. Lines that start
// with '#' and blank lines between records are passed over.
//
// The description must hold together as the controller engine reads it: one derivative;
// each index given once; every SFRIndex, SFRFieldIndex and (non-zero) SFRBlockIndex
// naming a row that is there; blocks numbered 1, 2, ... in the order given, since a
// register names its block by its place in the block list; address modes 1, 7 or 8
// only. Anything else is refused with "FILE:LINE: reason".
#pragma once

#include <afx.h>

#include <string>
#include <vector>

// The tables, in the order of SfrTables().
enum SfrTable {
    SfrDerivative,
    SfrRegisters,
    SfrAddresses,
    SfrFields,
    SfrFieldValues,
    SfrBlocks,
    SfrTableCount
};

struct SfrColumn {
    const char *name;
    bool text;
};

struct SfrTableLayout {
    const char *name;
    std::vector<SfrColumn> columns;
};

// The six tables with their columns in the order of the controller recordsets.
const std::vector<SfrTableLayout> &SfrTables();

struct SfrCell {
    DWORD number = 0;
    std::string text;
};

struct SfrRow {
    int line = 0;
    std::vector<SfrCell> cells; // in the table's column order
};

struct SfrDescription {
    std::vector<SfrRow> rows[SfrTableCount];
};

// Texts longer than this are refused: the database's text columns hold no more.
const size_t kSfrTextLimit = 255;

// Parses and checks `size` bytes of `data`; FALSE with `error` ("FILE:LINE: reason")
// when the description is refused.
BOOL ParseSfrDescription(const char *data, size_t size, LPCSTR fileName, SfrDescription &description,
                         CString &error);
