// The cookies under which command handlers register their commands with the host frame.
//
// The frame keeps a cookie as a 32-bit value, and a cookie must say which handler and
// which of its table entries it stands for, so cookies are handed out from one
// process-wide table rather than made from addresses. A cookie is never 0 (the frame's
// "no cookie") nor -1 (a view server not registered yet), and is not given again while
// it is in use; a cookie given back is checked against the handler and entry it was
// issued for before it is freed.
#pragma once

#include <afx.h>

class CBasicOleTarCmdHndl;

namespace FrameCookies {

// A new cookie for entry `index` of `handler`'s table, or 0 when the table is full.
DWORD Issue(const CBasicOleTarCmdHndl *handler, int index);
// The cookie is free again; FALSE when it was not in use for this handler and entry.
BOOL Release(DWORD cookie, const CBasicOleTarCmdHndl *handler, int index);

} // namespace FrameCookies
