// CCommQueueRequestHandler: the handler of the communication-queue command group, through
// which components that reach the symbol server as a command target get new objects bound
// to it:
// - 205: a new expression object (CoExpr), given the handler's owner as its target; no
//   input is read; one output value receives it as VT_UNKNOWN.
// The owner is the host's debug-server object that carries the symbol server. A command
// without an output value is refused with E_INVALIDARG before anything is made; a made
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

    HRESULT CreateExpression(CVariantArray *in, CVariantArray *out);
};
