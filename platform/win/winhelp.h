// WinHelp: showing a topic of a help file. There is no help viewer here; the process
// names one (the debugger host's stand-in does), which WinHelp hands every call to.
#pragma once

#include "basetypes.h"

#define HELP_CONTEXT 0x0001
#define HELP_QUIT 0x0002
#define HELP_CONTENTS 0x0003

// Answers TRUE when it showed what was asked.
typedef BOOL (*QelHelpViewer)(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR data);

// NULL: no viewer, and WinHelp fails.
void QelSetHelpViewer(QelHelpViewer viewer);

// FALSE, with ERROR_NOT_SUPPORTED as the last error, when no viewer is set; FALSE with
// ERROR_INVALID_PARAMETER without a file.
BOOL WinHelpA(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR data);

inline BOOL WinHelp(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR data)
{
    return WinHelpA(owner, helpFile, command, data);
}
