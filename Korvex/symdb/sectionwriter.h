// The writer of Sections rows.
#pragma once

#include "symboltables.h"
#include "tagrecords.h"

// Appends the section `section` under the number `sectionIndex` through the writers'
// Sections recordset.
void WriteSectionRecord(LONG sectionIndex, const SectionTag &section, CDBSectionsBinary &rs);
