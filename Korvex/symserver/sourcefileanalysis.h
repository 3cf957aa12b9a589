// The analysis of a source file's line table on its first use, for the handlers whose
// rows carry the file's Analyzed flag.
#pragma once

#include "symbolengine.h"

#include <queryrecordsets.h>

// Analyses each file of `rows` that is not analysed yet, running the query again after
// each, and leaves `rows` on its first row. A file is analysed at most once here: one
// whose row cannot be found by its EntryInFile, or that its analysis leaves unmarked,
// would otherwise send the walk round for ever.
void AnalyseFilesOfRows(CSymbolEngine &engine, CDBSourceLineByAddress &rows);

// Analyses the file of the first row of `rows` when it is not analysed yet and runs the
// query again; TRUE when the first row's file is analysed then.
BOOL AnalyseFirstRowFile(CSymbolEngine &engine, CDBSourceLineByAddress &rows);
