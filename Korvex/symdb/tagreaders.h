// The readers by which the query handlers turn the current record of a recordset into
// a tag record (tagrecords.h), and the server's own entries, which carry a few words
// more than the records that travel to the clients.
#pragma once

#include "controllertables.h"
#include "queryrecordsets.h"
#include "sfrtags.h"
#include "symboltables.h"
#include "tagrecords.h"

// The server's section entry: the section and its number.
struct _SectionTag : SectionTag {
    LONG SectionIndex = 0;
};

// The server's line entry: the line and the section that holds it.
struct _SourceLineTag : SourceLineTag {
    LONG SectionIndex = 0;
};

// The server's variable entry: the variable and the row's ScopeIndex, Data_5, Data_6.
struct _VariableTag : VariableTag {
    LONG ScopeIndex = 0;
    LONG Data_5 = 0;
    LONG Data_6 = 0;

    // The entry as a client gets it: the server's words dropped, the size cleared
    // until the type has been described.
    void CopyTo(VariableTag &out) const;
};

// Type, address mode and value, Length, Name and SectionIndex.
void FromRecord(_SectionTag &tag, CDBSections &rs);
// Name, Type and EntryInFile; no line: SourceLine, the address and Length are -1.
void FromRecord(SourceFileTag &tag, CDBSourceFiles &rs);
// Name, Type, EntryInFile, SourceLine, address mode and value, and Length.
void FromLineRecord(SourceFileTag &tag, CDBSourceLineByAddress &rs);
// The file part without its Name (EntryInFile names the file), and the section part.
void FromRecord(LocationTag &tag, CDBLocation &rs);
// SourceLine, address mode and value, Length and SectionIndex.
void FromRecord(_SourceLineTag &tag, CDBSourceLines &rs);
// The same fields into the members of the record being added or edited; the table
// keeps no third address word, and the source file is the caller's.
void ToRecord(const _SourceLineTag &tag, CDBSourceLines &rs);
// Name, address mode and value, Length, ReturnType, Scope and CallType.
void FromRecord(FunctionTag &tag, CDBFunctions &rs);
// Name, SymbolID, SymbolIndex, the packed type (Data_1), the address (Data_2 to Data_4),
// and the server's words.
void FromRecord(_VariableTag &tag, CDBSymbolInfo &rs);
// Name, the address (Data_2 to Data_4) and Size = Data_1.
void FromRecord(LabelTag &tag, CDBSymbolInfo &rs);
// The register's own columns; its addresses and fields come from their own tables.
void FromRecord(_SpecialFunctionRegisterTag &tag, CDBSFRSet &rs);
// SFRBlockIndex, Name and Description.
void ReadSfrBlockRecord(SpecialFunctionRegisterBlockTag &tag, CDBSFRBlocks &rs);
