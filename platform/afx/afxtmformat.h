// strftime into a CString in the C locale, for CTime and COleDateTime (inside the framework
// only; not part of afx.h).
#pragma once

#include "afxstring.h"

#include <ctime>

// The text of `format` for `parts`; empty for a NULL or empty format, or one whose text
// grows beyond 64 KiB.
CString AfxFormatTm(const struct tm &parts, LPCSTR format);
