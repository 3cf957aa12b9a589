// The VarEd check of the ELF globals pass: when the debugger's VarEd (RB) feature is on,
// the statements of the program's ".VarEd_Info" section are read before the DWARF 2
// globals pass resolves them.
//
// The outcome goes to the host as trace lines; a section with a syntax error is shown to
// the user in a message box as well, unless the host forbids message boxes. The globals
// pass goes on whatever the outcome.
#pragma once

#include <afx.h>
#include <diaghelper.h>

#include "varedstatements.h"

// Asks `host` (the host's debug-server object) whether the feature is on: its
// IQelSymbSrv must give 1 for SYF_GET_GLOBAL_VARED; a host without that interface has it
// off. When on, parses `size` bytes of `section` into `statements` (none after a syntax
// error). `section` is null when the program has no ".VarEd_Info" section; an empty one
// is any other pointer with `size` 0. When off, or without a section, `statements` is
// left as it is. A query of the host that fails otherwise than with E_NOINTERFACE raises
// its HRESULT as a COM error.
void CheckVarEdInfo(IUnknown *host, const BYTE *section, DWORD size, CVarEdStatements &statements,
                    CQelDiagHelper &diag);
