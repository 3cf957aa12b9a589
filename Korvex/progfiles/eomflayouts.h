// The record bodies that the EOMF readers interpret, read whole before they are used: a
// body that ends before one of its fields gives FALSE and nothing of it is used.
#pragma once

#include "eomfrecord.h"

#include <vector>

// PEDATA and VECTAB: loadable data (L - 5 bytes from offset 7).
struct EomfData {
    DWORD Address = 0;
    BYTE SectionType = 0; // 0 BIT, 1 DATA, 2 CODE, 3 CONST
    const BYTE *Data = nullptr;
    DWORD Length = 0;
};
BOOL ReadEomfData(const EomfRecord &record, EomfData *data);

// SECDEF and XSECDEF.
struct EomfSectionDef {
    BYTE Attributes = 0; // byte 3: type in bits 6-7, bit position in bits 0-3
    BYTE Flags = 0;      // byte 4: bits 2-6 0 for an absolute section, bit 1 length 65535
    DWORD Address = 0;
    DWORD Length = 0;    // as written; in bits for a BIT section
    WORD NameIndex = 0;
    WORD ClassIndex = 0;

    BYTE Kind() const { return BYTE(Attributes >> 6); }
    BYTE BitPosition() const { return BYTE(Attributes & 0x0F); }
    BOOL IsAbsolute() const { return (Flags & 0x7C) == 0; }
    // The length in bytes; a BIT section's covers its bit position.
    DWORD ByteLength() const;
};
BOOL ReadEomfSectionDef(const EomfRecord &record, EomfSectionDef *section);

// The section type of a SECDEF (and of PEDATA) as the database's TYSE_ number.
DWORD EomfSectionKind(BYTE type);

// One entry of PUBDEF, LOCSYM, GLBDEF and DEBSYM.
struct EomfSymbol {
    CString Name;
    WORD Value = 0;
    BYTE Info = 0;
    WORD Type = 0;

    BYTE Kind() const { return BYTE((Info >> 4) & 7); }
    BYTE BitNumber() const { return BYTE(Info & 0x0F); }
    BOOL IsFlagged() const { return (Info & 0x80) != 0; }
};
enum : BYTE {
    EOMF_SYMBOL_BIT = 0,
    EOMF_SYMBOL_VARIABLE = 1,
    EOMF_SYMBOL_LABEL = 2,
    EOMF_SYMBOL_REGBANK = 3,
    EOMF_SYMBOL_INTERRUPT = 4,
    EOMF_SYMBOL_CONSTANT = 5,
    EOMF_SYMBOL_REGISTER = 6,
    EOMF_SYMBOL_STACK = 7,
};
struct EomfSymbols {
    DWORD Base = 0;
    BOOL BlockRelative = FALSE; // a DEBSYM of a block
    WORD Block = 0;
    std::vector<EomfSymbol> Entries;
};
BOOL ReadEomfSymbols(const EomfRecord &record, EomfSymbols *symbols);

// BLKDEF.
struct EomfBlock {
    DWORD Base = 0;
    CString Name;
    WORD Offset = 0;
    WORD Length = 0;
    BYTE Flags = 0;
    WORD Type = 0; // only for a named block

    BOOL IsProcedure() const { return (Flags & 0x80) != 0; }
};
BOOL ReadEomfBlock(const EomfRecord &record, EomfBlock *block);

// LINNUM.
struct EomfLine {
    WORD Line = 0;
    WORD Offset = 0;
};
struct EomfLines {
    DWORD Base = 0;
    std::vector<EomfLine> Lines;
};
BOOL ReadEomfLines(const EomfRecord &record, EomfLines *lines);

// COMMENT.
struct EomfComment {
    BYTE Class = 0;
    BOOL NoPurge = FALSE;
    CString Text;
};
BOOL ReadEomfComment(const EomfRecord &record, EomfComment *comment);

// TYPNEW: the descriptor kind at 3, the fields of each kind after it. Type fields are
// 16-bit words.
enum : BYTE {
    EOMF_TYPE_COMPONENTS = 0x20,
    EOMF_TYPE_POINTER = 0x21,
    EOMF_TYPE_ARRAY = 0x22,
    EOMF_TYPE_FUNCTION = 0x23,
    EOMF_TYPE_STRUCT = 0x24,
    EOMF_TYPE_BITFIELD = 0x25,
};
struct EomfComponent {
    WORD Type = 0;
    DWORD Value = 0; // member offset, or the register or stack place of a parameter
    BYTE ParameterKind = 0;
    BYTE Bit = 0;
    CString Name;
};
struct EomfTypeDescriptor {
    BYTE Kind = 0;
    BYTE Attribute = 0;
    WORD Type = 0; // pointer target, array element, function result, bit-field base
    WORD List = 0; // function parameters, struct members
    DWORD Size = 0;
    BYTE BitOffset = 0;
    BYTE BitWidth = 0;
    CString Name;
    BOOL BoundsFit = FALSE;    // an array's dimension count fits the record's length
    std::vector<DWORD> Bounds; // then its bounds
    std::vector<EomfComponent> Components;
};
// FALSE when the body is short or the kind unknown; an array whose dimension count does
// not fit the record is read with no bounds.
BOOL ReadEomfTypeDescriptor(const EomfRecord &record, EomfTypeDescriptor *type);
