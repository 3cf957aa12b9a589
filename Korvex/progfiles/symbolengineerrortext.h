// The texts by which the symbol server's windows tell a request status of the symbol
// engine.
#pragma once

#include <afx.h>

// The text of status *code: "Successfull - no error" for 0, the kind of error for the
// statuses the engine sets, "Value(?): " and the low 16 bits of the code in hex for any
// other code.
CString GetSymbolEngineErrorText(const int *code);
