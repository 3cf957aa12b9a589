// The controller database of code 3000: finding it, and reading its registers.
#pragma once

#include "sfrtables.h"

#include <diaghelper.h>
#include <qeldatabase.h>

// Opens, read-only, the controller database that `param` names, and reads the first row
// of its Derivative table. `param` is the path of a database (a text ending in ".mdb" in
// any case), looked for as given and then in Korvex's directory; or a derivative name,
// compared blind to case with the Name of every database in the directory that the
// registry's "Controller Database" key names, the first one found being taken. A file
// that the database layer refuses (a Jet file made by the maker's tools, say) is passed
// over with a diagnostic, and the search goes on. FALSE when nothing was found, with
// nothing open.
BOOL OpenControllerDatabase(const CString &param, CQelDatabase &database, CSfrDerivative &derivative,
                            CQelDiagHelper &diagnostics);

// Reads every register of the open database, in the order of its SFRSelect query, with
// its addresses, fields and their values, and every block. Addresses, fields and values
// are read once each and grouped by the register and the field they name, in row order,
// so their tables may come in any order; a row that names no register or no field is
// passed over with a trace. A database error leaves as CQeldbException.
void ReadControllerRegisters(CQelDatabase &database, CSfrRegisterList &registers, CSfrBlockList &blocks,
                             CQelDiagHelper &diagnostics);
