// Commands 2 and 7: what happens to the loaded program from outside (it went, or the file
// on disk differs from what the target holds), and the load in service mode.
#include "fileloadmenuitem.h"

#include <hostmainwnd.h>
#include <oletarcmdcaller.h>
#include <qelsymbol.h>
#include <qelsymbolexplorer.h>

namespace {

enum : DWORD {
    kCmdLoadProgram = 1,
    kCmdProgramNotice = 2,
    kCmdCloseTemporaries = 13,
};

enum : DWORD { kProgramUnloaded = 1, kProgramDiffers = 2 };

// One notice of a changed file at a time, in the whole process: the question it asks
// runs a message loop in which the next notice would come.
bool g_handlingNotice = false;

// Set while a notice is handled, whichever way the handling ends.
class NoticeGuard {
public:
    NoticeGuard() : m_taken(!g_handlingNotice) { g_handlingNotice = true; }
    ~NoticeGuard()
    {
        if (m_taken)
            g_handlingNotice = false;
    }
    NoticeGuard(const NoticeGuard &) = delete;
    NoticeGuard &operator=(const NoticeGuard &) = delete;

    bool Taken() const { return m_taken; }

private:
    bool m_taken;
};

} // namespace

HRESULT CFileLoadMenuItem::ProgramNotice(CVariantArray *in, CVariantArray *)
{
    if (!in || in->GetSize() < 1)
        return E_INVALIDARG;
    const DWORD what = in->GetUI4(0);
    if (what == kProgramUnloaded) {
        if (m_pCommandTarget) {
            COleTarCmdCaller target(m_pCommandTarget, &CLSID_QelSymbol);
            if (SUCCEEDED(target.Exec(kCmdProgramNotice, in, nullptr, 0)))
                target.Exec(kCmdCloseTemporaries, nullptr, nullptr, 0);
        }
        if (CComPtr<IQelSymbolExplorer> explorer = Explorer())
            explorer->SignalLoadingPrgFile(0, in->GetI4(1));
        SendCommand(kCmdCloseTemporaries);
        return S_OK;
    }
    if (what != kProgramDiffers || HostStateFlag() != 0)
        return S_OK;
    NoticeGuard guard;
    if (!guard.Taken())
        return S_OK;
    int active = -1;
    GetHostMainWnd(0, &active);
    BOOL reload = FALSE;
    if (m_autoReload.GetBool() && active != -1) {
        reload = active == 1;
    } else {
        if (in->GetI4(3) == 0) {
            CReloadDialog question(GetHostMainWnd(0, nullptr));
            question.m_strFileName = CString(in->GetBSTR(2));
            reload = question.DoModal() == IDOK;
        }
    }
    if (!reload)
        return S_OK;
    CVariantArray reloadIn(3);
    reloadIn[0].SetValue((*in)[2].GetValue());
    return SendCommand(kCmdLoadProgram, &reloadIn);
}

HRESULT CFileLoadMenuItem::LoadInServiceMode(CVariantArray *in, CVariantArray *)
{
    if (!in || in->GetSize() != 1)
        return E_INVALIDARG;
    CVariantArray loadIn(3);
    in->GetBSTR(0);
    loadIn[0].SetValue((*in)[0].GetValue());
    const BOOL saved = m_service.GetBool();
    m_service.PutBool(TRUE);
    HRESULT hr = SendCommand(kCmdLoadProgram, &loadIn);
    if (hr != S_OK) {
        m_service.PutBool(saved);
        return hr;
    }
    StoreProfile();
    if (!m_bServiceSwitched) {
        m_bServiceSwitched = TRUE;
        m_bSavedService = saved;
    }
    return hr;
}
