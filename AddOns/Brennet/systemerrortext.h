// The system's message text of a Win32 error code, for the component's messages.
#pragma once

#include <afx.h>

// The text of `code` as the system gives it; with `format` (a printf format with one %s)
// the text is put into it. An unknown code gives the empty text (or the format with an
// empty text). The answer is `text`.
CString &GetSystemErrorText(DWORD code, CString &text, LPCSTR format = nullptr);
