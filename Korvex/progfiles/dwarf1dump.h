// The DWARF 1.1 parts of the program-file dump: the entries of ".debug", the line tables
// of ".line" and the source-information records of ".debug_srcinfo".
#pragma once

#include "dwarf1entries.h"
#include "targetfile.h"

void DumpDwarf1Entries(CQelTargetFile &out, const Dwarf1Sections &sections);
void DumpDwarf1LineTables(CQelTargetFile &out, const BYTE *line, size_t size);
void DumpDwarf1SourceInfo(CQelTargetFile &out, const BYTE *srcinfo, size_t size);
