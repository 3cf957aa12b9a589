// CControllerSymbolEngine: the engine that the symbol server creates. It adds to the
// requests of CSymbolEngine the special function registers of the target controller,
// read from its controller database by request 3000.
#pragma once

#include "symbolengine.h"

class CControllerSymbolEngine : public CSymbolEngine {
public:
    explicit CControllerSymbolEngine(IUnknown *owner);
    // Stops the worker before this part goes, since the worker calls into it.
    ~CControllerSymbolEngine() override;

    // Request 3000. The controller databases are not read yet: the request answers
    // StatusNotSupported.
    void LoadControllerRegisters(CSymbolRequest &request) override;
};
