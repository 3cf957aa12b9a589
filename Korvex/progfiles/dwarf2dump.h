// The DWARF 2 part of the program-file dump: every unit of ".debug_info" with its
// entries and attributes, and the line-number table its DW_AT_stmt_list names.
#pragma once

#include "dwarf2entries.h"
#include "targetfile.h"

// Units of versions or sizes the reader does not read are stepped over by their length,
// and the dump says so; a unit that breaks its bounds ends the dump with the reason.
void DumpDwarf2Units(CQelTargetFile &out, const Dwarf2Sections &sections, const BYTE *line, size_t lineSize);

// The value of the reader's current attribute as the dump shows it: the form's name and
// the value in it, named where the attribute has a table of names.
CString FormatDwarf2Attribute(const CDwarf2EntryReader &reader);
