// The value-name tables by which the ELF and DWARF dumps print numbers as names, and the
// one lookup they all share.
//
// Each table is a QEL_VALUE_NAME array ended by a row whose name is null. The lookup gives
// the name of the first row with the value; a value without a row gives the text
// "Value(?): 0x" and the value's low 16 bits as four hex digits, so that an unknown number
// still shows in the dump rather than failing it.
#pragma once

#include <afx.h>

#include "valuenames.h"

// The name of `value` in `table`, as a string of the caller's own.
CString ValueName(const QEL_VALUE_NAME *table, DWORD value);

// ELF: header fields, sections, segments and symbols.
extern const QEL_VALUE_NAME g_elfTypeNames[];          // e_type, ET_
extern const QEL_VALUE_NAME g_elfMachineNames[];       // e_machine, EM_
extern const QEL_VALUE_NAME g_elfVersionNames[];       // EV_
extern const QEL_VALUE_NAME g_elfClassNames[];         // ELFCLASS
extern const QEL_VALUE_NAME g_elfDataNames[];          // ELFDATA
extern const QEL_VALUE_NAME g_elfSpecialSectionNames[]; // st_shndx, SHN_
extern const QEL_VALUE_NAME g_elfSectionTypeNames[];   // SHT_
extern const QEL_VALUE_NAME g_elfSectionFlagNames[];   // SHF_, the combinations of the three low flags
extern const QEL_VALUE_NAME g_elfSegmentTypeNames[];   // PT_
extern const QEL_VALUE_NAME g_elfSegmentFlagNames[];   // PF_, every combination
extern const QEL_VALUE_NAME g_elfSymbolBindingNames[]; // STB_
extern const QEL_VALUE_NAME g_elfSymbolTypeNames[];    // STT_, with the ARM Thumb types 13 and 15

// DWARF 1.1 (the tags are shared with DWARF 2).
extern const QEL_VALUE_NAME g_dwarf1AttributeNames[];       // AT_, attribute code with its form
extern const QEL_VALUE_NAME g_dwarf1OperationNames[];       // OP_ of location blocks
extern const QEL_VALUE_NAME g_dwarf1FundamentalTypeNames[]; // FT_
extern const QEL_VALUE_NAME g_dwarf1ModifierNames[];        // MOD_
extern const QEL_VALUE_NAME g_dwarf1SubscriptFormatNames[]; // FMT_

// DWARF 2, and what both versions share.
extern const QEL_VALUE_NAME g_dwarfTagNames[];           // DW_TAG_, and the DWARF 1.1 tags 0, 6, 7, 0xC, 0x14
extern const QEL_VALUE_NAME g_dwarfChildrenNames[];      // DW_CHILDREN_
extern const QEL_VALUE_NAME g_dwarfAttributeNames[];     // DW_AT_
extern const QEL_VALUE_NAME g_dwarfFormNames[];          // DW_FORM_
extern const QEL_VALUE_NAME g_dwarfLanguageNames[];      // DW_LANG_, both versions
extern const QEL_VALUE_NAME g_dwarfInlineNames[];        // DW_AT_inline values, in words
extern const QEL_VALUE_NAME g_dwarfEncodingNames[];      // DW_AT_encoding values, in words
extern const QEL_VALUE_NAME g_dwarfVisibilityNames[];    // DW_VIS_
extern const QEL_VALUE_NAME g_dwarfIdentifierCaseNames[]; // DW_ID_
extern const QEL_VALUE_NAME g_dwarfCallingConventionNames[]; // DW_CC_
extern const QEL_VALUE_NAME g_dwarfAccessibilityNames[]; // DW_ACCESS_
extern const QEL_VALUE_NAME g_dwarfVirtualityNames[];    // DW_VIRTUALITY_
extern const QEL_VALUE_NAME g_dwarfOrderingNames[];      // DW_ORD_, both versions
extern const QEL_VALUE_NAME g_dwarfOperationNames[];     // DW_OP_

// The memory kinds of the EOMF reader.
extern const QEL_VALUE_NAME g_memoryKindNames[];
