// CSymbolEngineHolder: what a symbol-server object keeps of its engine: the engine itself
// and the program-information objects it has handed out.
//
// The engine is made by the second form of Init and deleted by Init with two nulls, by
// Cleanup and by the object's end; deleting it stops its worker first. The list keeps at
// most one object, the last one handed out, with one reference of its own.
#pragma once

#include "controllerengine.h"

#include <programinfo.h>

#include <mutex>

class CSymbolEngineHolder {
public:
    CSymbolEngineHolder() = default;
    ~CSymbolEngineHolder();
    CSymbolEngineHolder(const CSymbolEngineHolder &) = delete;
    CSymbolEngineHolder &operator=(const CSymbolEngineHolder &) = delete;

    // A new engine for `owner` in place of none; FALSE when it cannot be made, or when
    // there is one already (it must be deleted first).
    BOOL CreateEngine(IUnknown *owner);
    // Destroys the engine (CSymbolEngine::Destroy, which also works on its own worker)
    // and empties the list; nothing when there is none.
    void DeleteEngine();
    CSymbolEngine *GetEngine() const { return m_pEngine; }

    // Keeps `info` (adding a reference) in place of the object kept before, which is
    // released. Any thread may hand an object out while another asks for it.
    void KeepProgramInfo(CProgramInfo *info);
    // The objects kept: 0 or 1.
    LONG GetProgramCount() const;
    // Object `index` of the list, with a reference of the caller's own, so that it stays
    // while another thread replaces it; null when there is none.
    CComPtr<IProgramInfo> GetProgramInfo(LONG index) const;

private:
    CSymbolEngine *m_pEngine = nullptr; // owned
    mutable std::mutex m_infoLock;
    CComPtr<IProgramInfo> m_pProgramInfo;
};
