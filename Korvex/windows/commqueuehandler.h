// CCommQueueRequestHandler: the handler of the communication-queue command group, through
// which components that reach the symbol server as a command target get new objects bound
// to it:
// - 200: a new communication variable object (CQelCommVariableObj), given the handler's
//   owner as its owner. Its first input must be the VT_UI4 8 (further ones are not read)
//   and it has exactly one output value, which receives the object as VT_UNKNOWN; other
//   arguments answer OLECMDERR_E_UNKNOWNGROUP, as for a command of no handler.
// - 205: a new expression object (CoExpr), given the handler's owner as its target; no
//   input is read; one output value receives it as VT_UNKNOWN, and without one the
//   command is refused with E_INVALIDARG before anything is made.
// The owner is the host's debug-server object that carries the symbol server. A made
// object that cannot be bound is released again.
#pragma once

#include <oletarcmdhndl.h>

class CCommQueueRequestHandler : public CBasicOleTarCmdHndl {
    DECLARE_DYNCREATE(CCommQueueRequestHandler)

public:
    CCommQueueRequestHandler();
    ~CCommQueueRequestHandler() override;
    const OLECMDTARHNDLENTRY *GetCommandTable() override;
    const GUID *GetClassGuid() override;

    HRESULT CreateCommVariable(CVariantArray *in, CVariantArray *out);
    HRESULT CreateExpression(CVariantArray *in, CVariantArray *out);
};
