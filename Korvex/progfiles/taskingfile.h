// CTaskingOutFile: the module level of the Tasking ".out" reader, the object that a load
// makes for a Tasking program file.
//
// It reads one module's debugging records into the database when the symbol engine
// asks for it: types, blocks, locals, parameters, labels, lifetimes and source lines. A
// module's records follow its module record (kind 0x04, descriptor 0) and end at the
// 0x5D record that brings the section nesting back to 0, or at the next module record,
// whichever comes first. A pass runs inside a savepoint and marks the module analysed
// at its end; a database error leaves none of its rows and the module unread.
//
// The record fields that the module pass reads (the globals pass's own are in
// taskingglobals.h; testdata/tasking/FORMAT.md has the same table):
//
//   kind  descriptor      value                             extra    row
//   0x02  line            address                           length   SourceLines of the current file,
//                                                                    SectionIndex the current section
//   0x04  not 0           -                                 -        source-file numbers forgotten
//   0x05  type number     0-15 element type, 16-31 lower    -        array begins
//                         bound
//   0x06  type            place: see below                  -        Symbols 2 in the innermost scope
//   0x07  type number     256 with 0x10000: the one-bit     -        Types: base type "bit" (1 bit), else
//                         base type; else 16-31 base type,           the bit-field: Data_1 the width,
//                         8-15 bit offset, 0-7 width                  Data_2 the bit offset, Data_3 1 when
//                                                                     the base type is a signed integer
//   0x08  attributes      line of the function's start     -        SourceLines at the function's
//                         (0: none)                                  address, Length 0
//   0x09  line            block start                       length   SourceLines, then a block opens
//   0x0D  type number     named type                        -        typedef
//   0x0E  type number     -                                 -        enumeration begins
//   0x0F  line            block end                         length   SourceLines, then the innermost
//                                                                    block ends (Symbols 8)
//   0x10  -               size in bits                      -        enumeration written
//   0x11  -               function end                      -        the function's open blocks and
//                                                                    its own block end (Symbols 8)
//   0x12  -               size in bits                      -        structure written
//   0x16  -               -                                 -        nothing: the globals pass wrote
//   0x1F                                                             the row at its final address
//   0x17  type            offset in bits                    -        structure or union member
//   0x1A  -               size in bits                      -        union written
//   0x1B  -               address                           -        Symbols 9 (mode 1) in the scope
//   0x1D  file number     -                                 -        source file (text: its path)
//   0x21  -               value                             -        enumerator
//   0x22  type            place: see below                  -        Symbols 1 of the function
//   0x25  -               function start                    -        the function's block opens
//   0x26  type number     0-15 target; kind 1 when bit 17   -        pointer
//                         is set, 2 when bit 19 is set too
//                         and bits 20-22 are clear
//   0x28  type number     -                                 -        structure begins
//   0x2D  type number     16-31 size in bits                -        base type (text: its name)
//   0x31  -               highest index (see below)         -        array written
//   0x37  type number     result type                       -        function type
//   0x3B  type number     -                                 -        union begins
//   0x40  register        -                                 -        the next 0x06 or 0x22 lives in it
//   0x56  file number     -                                 -        current source file
//   0x5C  -               -                                 section  nesting + 1; current section
//   0x5D  -               -                                 -        nesting - 1; at 0 the module ends
//   0x5F  d               v                                 -        Symbols 10: 1, v >> 16, d, v & 0xFFFF
//   0x60  stack offset    address                           -        Symbols 11 of the function
//                         (signed 16 bits)                           (Data_1 offset, Data_2..4 address)
//   0x62  type            lifetime key                      -        Symbols 2 in mode 5 with the next
//   0x63                                                             lifetime list (0x63: Symbols 1)
//   0x64  lifetime key    from address                      register Symbols 12: register (mode 3)
//   0x65  lifetime key    from address                      -        Symbols 12: stack (mode 2), the
//                                                                    offset the text in hexadecimal
//   0x66  lifetime key    from address                      -        Symbols 12: list end (mode 6)
//
//   Place of 0x06 and 0x22: after a 0x40 record the register (mode 3, third word -1);
//   else for 0x06 of the bit type 256 a register bit (mode 0x40000003, value bits 4-7
//   the register, bits 0-3 the bit); else the stack (mode 2) at the value (0x22: its
//   low 16 bits). 0x31's value is the array's highest index: Count = value + 1 - the
//   lower bound (0 when that is below 0).
//
//   Names are the records' texts, decoded by the demangler. Member and enumerator
//   numbers are 0x10000 plus the record's place after the module record. Scopes are
//   packed indexes of the module and the place of the 0x25 or 0x09 record that opened
//   them (the module's own scope: place 0). Lifetime lists count from 1 per module.
//
//   Static assembler symbols: a record whose class bits (2-5) give a class and whose
//   bits 6-7 are 10 is written as in the globals pass (which takes bits 6-7 = 11), as
//   Symbols 7 (classes 12, 16, 20, 24: data-type codes 14, 15, 13, 17) or Symbols 14
//   (classes 28, 32, 36: call types 2, 1, 3).
#pragma once

#include "taskingglobals.h"

#include <unordered_map>

class CTaskingOutFile : public CTaskingOutGlobals {
public:
    CTaskingOutFile(CQelDatabase &database, DWORD programId, IUnknown *owner);
    ~CTaskingOutFile() override;

    // Reads module `moduleIndex` (its Moduls row number): 1 when it is read now or was
    // read before, 0 when there is no such module or its pass failed. The flag is not
    // used.
    int ReadModules(int moduleIndex, int flag) override;

private:
    struct ModulePass;

    void ReadModule(ModulePass &pass);
    // One record; FALSE when it ends the module.
    BOOL Dispatch(ModulePass &pass, DWORD index, const TaskingNameRecord &record);
    BOOL DispatchType(ModulePass &pass, DWORD index, const TaskingNameRecord &record);
    LONG FirstFunctionOf(LONG modul);

    // Code.
    void WriteSourceLine(ModulePass &pass, LONG line, DWORD address, LONG length);
    void BeginFunction(ModulePass &pass, DWORD index, DWORD start);
    void EndFunction(ModulePass &pass, DWORD end);
    void BeginBlock(ModulePass &pass, DWORD index, DWORD start);
    void EndBlock(ModulePass &pass, DWORD end);
    void WriteVariable(ModulePass &pass, DWORD index, const TaskingNameRecord &record);
    void WriteLifetime(ModulePass &pass, const TaskingNameRecord &record);
    LONG CurrentScope(const ModulePass &pass) const;

    // Types; FALSE (with a notice) when the module has the type number already.
    BOOL IsNewType(ModulePass &pass, LONG number);

    CDBTypeInfo m_types;
    CDBSourceLines m_sourceLines;
    std::unordered_map<LONG, LONG> m_firstFunctions; // module -> its first FunctionIndex
    std::unordered_map<LONG, DWORD> m_functionStarts; // FunctionIndex -> its address
};
