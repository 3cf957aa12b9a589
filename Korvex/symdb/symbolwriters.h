// The writers of Symbols rows. Each appends one row through an open (or openable)
// Symbols recordset, with the SymbolID of the writer; SymbolIndex is the engine's.
// A named row gets ModulIndex = the record's module, ScopeIndex, Name and the encoded
// Name in NameString. Data columns that a kind does not use hold -1.
//
// The writers of variables (SymbolID 1 to 5) pack the type in Data_1: with
// `sharedTypes` TRUE into module 0. A type number that does not fit is refused
// (CQelIndexRangeException) before anything is written.
#pragma once

#include "loaderrecords.h"
#include "symboltables.h"

// Data_1 = the packed type (Data[0]); Data_2 to Data_4 = the address (Data[1..3]).
void WriteParameterSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs, BOOL sharedTypes);  // 1
void WriteLocalSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs, BOOL sharedTypes);      // 2
void WriteGlobalSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs, BOOL sharedTypes);     // 5
// As above, with Data_5 and Data_6 from Data[4] and Data[5].
void WriteLocalStaticSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs, BOOL sharedTypes); // 3
// As above, with Data_5 from Data[4].
void WriteModulStaticSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs, BOOL sharedTypes); // 4

// Data_1 = Data[0] as it stands; Data_2 to Data_4 = Data[1..3].
void WriteGlobalAsmSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs);   // 6
void WriteStaticAsmSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs);   // 7
void WriteLifetimeSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs);    // 12
void WriteGlobalLabelSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs); // 13
void WriteStaticLabelSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs); // 14
// Data_1 = -1; Data_2 and Data_3 = the address mode and value (Data[0], Data[1]).
void WriteLabelSymbol9(const SymbolRecordTag &record, CDBSymbolInfo &rs); // 9

// Nameless rows: Data_1 = Data[0]. A block's Data_2 to Data_4 are its address mode,
// start and length (Data[1], Data[2], Data[4]); the others' are Data[1..3].
void WriteBlockSymbol(const UnnamedSymbolRecordTag &record, CDBSymbolInfo &rs);       // 8
void WriteSymbol10(const UnnamedSymbolRecordTag &record, CDBSymbolInfo &rs);          // 10
void WriteStackAdjustSymbol(const UnnamedSymbolRecordTag &record, CDBSymbolInfo &rs); // 11
