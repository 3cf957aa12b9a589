// The idle pass of the symbol engine: what the worker does with the seconds in which no
// request comes. It watches the loaded program file, so that the host learns when the
// tool chain has rebuilt it, and once the debugger has left the engine alone for a while
// it reads ahead what later requests would otherwise wait for: the full lists of statics
// and globals, then the modules one by one, after which the program file is let go.
#include "symbolengine.h"

#include <comerror.h>
#include <oletarcmdcaller.h>
#include <qelsymbol.h>

namespace {

// Idle time after which the read-ahead starts; reaching it is not enough.
const DWORD kQuietMs = 30000;
// One read-ahead step every this many passes, so a pass a second leaves the worker
// mostly free for requests that come now.
const DWORD kPassesPerStep = 5;

// The requests whose answers for name "*" and path "*" are kept as the caches.
const int kGlobalsCode = 401;
const int kStaticsCode = 403;

// The QelSymbol command by which the host learns that the loaded program changes, and
// the kind of the change that says its file was rewritten.
const DWORD kProgramChangedCommand = 2;
const ULONG kProgramFileChanged = 2;

} // namespace

void CSymbolEngine::OnIdle(CSymbolRequest &)
{
    ++IdlePasses;
    if (CurrentReader != nullptr) {
        const int change = CurrentReader->CheckFileChanged();
        if (change != 1)
            NoticeProgramChanged(change);
    }
    if (NextModulToRead <= 0)
        return;
    if (NextModulToRead > ModulCount || CurrentReader == nullptr) {
        // Every module is in the database: the tool chain may have the file back.
        ModulCount = 0;
        NextModulToRead = 0;
        if (CurrentReader != nullptr)
            CurrentReader->Close();
        return;
    }
    const DWORD now = IdleTicks();
    if (IdleSince == 0) {
        // 0 means "not measuring", so a clock that reads 0 starts a tick later.
        IdleSince = now != 0 ? now : 1;
        return;
    }
    if (now - IdleSince <= kQuietMs || IdlePasses % kPassesPerStep != 0)
        return;
    if (StaticsCache == nullptr) {
        StaticsCache = ListAllVariables(kStaticsCode);
        if (StaticsCache != nullptr)
            return;
    }
    if (GlobalsCache == nullptr) {
        GlobalsCache = ListAllVariables(kGlobalsCode);
        if (GlobalsCache != nullptr)
            return;
    }
    // A module that cannot be read is passed over all the same: the pass would otherwise
    // try it again every step and never come to the end of the file.
    ReadModulOrTrace(NextModulToRead);
    ++NextModulToRead;
    CommitRequestTransaction();
}

CObject *CSymbolEngine::ListAllVariables(int code)
{
    Handler handler;
    {
        QueueHold hold(m_Lockable);
        auto found = m_Handlers.find(code);
        if (found != m_Handlers.end())
            handler = found->second;
    }
    if (!handler)
        return nullptr;
    CSymbolRequest request(RequesterSynchronous);
    request.m_nCode = code;
    for (VARIANT *pattern : {&request.Param1, &request.Param2}) {
        pattern->vt = VT_BSTR;
        pattern->bstrVal = SysAllocString(u"*");
        if (pattern->bstrVal == nullptr)
            AfxThrowMemoryException();
    }
    handler(request);
    CObject *list = request.m_pResult;
    request.m_pResult = nullptr;
    return list;
}

void CSymbolEngine::NoticeProgramChanged(int change)
{
    // The partner debugger, when there is one, holds the program for both.
    CComPtr<IUnknown> foreign = QueryDebugServer(SYF_GET_FOREIGN_DEBUG_SERVER);
    IUnknown *told = foreign != nullptr ? foreign.p : m_pOwner;
    if (told == nullptr)
        return;
    CString name = CurrentReader->GetFileName();
    if (name.IsEmpty())
        name = CurrentReader->GetFilePath();
    CVariantArray notice(4);
    VARIANT value;
    value.vt = VT_UI4;
    value.ulVal = kProgramFileChanged;
    notice[0].SetValue(value);
    value.vt = VT_I4;
    value.lVal = static_cast<LONG>(CurrentReader->GetProgramId());
    notice[1].SetValue(value);
    notice[2].SetString(name);
    value.lVal = change;
    notice[3].SetValue(value);
    COleTarCmdCaller caller(told, &CLSID_QelSymbol);
    try {
        caller.ExecHandOver(kProgramChangedCommand, &notice, nullptr, 0);
    } catch (const _com_error &) {
        // What the host makes of the notice is its own affair; it comes again next pass.
    }
}
