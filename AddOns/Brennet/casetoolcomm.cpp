#include "casetoolcomm.h"

#include "caselinkfactory.h"

#include "commandvalues.h"

#include <hostcmdgroups.h>
#include <hostinterfaces.h>
#include <oletarcmdcaller.h>
#include <qelhostframe.h>
#include <symbolprocessing.h>

#include <atomic>

namespace {

constexpr DWORD kAddWatchSymbol = 71;
constexpr DWORD kAddressValues = 8;
constexpr DWORD kBreakpointListKind = 2;
// Symbol kinds of a variable record that a watch window can show without a frame.
constexpr LONG kFunctionStatic = 3;
constexpr LONG kGlobal = 5;

std::atomic<CaseToolFactory> g_factory{&MakeCaseToolLink};

// Posted to a window made for one link that was let go inside its callback: the link is
// in lParam, and the window goes with it.
constexpr UINT kDeleteLinkMessage = WM_USER + 1;
constexpr char kLinkEndWindowClass[] = "QelCaseToolLinkEnd";

LRESULT CALLBACK LinkEndWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kDeleteLinkMessage)
        return DefWindowProcA(window, message, wParam, lParam);
    delete reinterpret_cast<CCaseToolComm *>(lParam);
    DestroyWindow(window);
    // The module held itself for the message, whose handler is its code.
    _pAtlModule->Unlock();
    return 0;
}

// When no window can be made or posted to, the link is kept rather than deleted under its
// caller.
void DeleteFromMessageLoop(CCaseToolComm *link)
{
    static const bool registered = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &LinkEndWindowProc;
        windowClass.lpszClassName = kLinkEndWindowClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    HWND window = registered ? CreateWindowExA(0, kLinkEndWindowClass, "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                               nullptr, nullptr)
                             : nullptr;
    if (window == nullptr)
        return;
    _pAtlModule->Lock();
    if (!PostMessageA(window, kDeleteLinkMessage, 0, reinterpret_cast<LPARAM>(link))) {
        _pAtlModule->Unlock();
        DestroyWindow(window);
    }
}

CSymbolProcessing &ModuleSymbolClient()
{
    static CSymbolProcessing client;
    return client;
}

} // namespace

// The answers are delivered on the thread that asked, through the client's window.
class CaseToolAnswers {
public:
    static void Labels(int requestId, CLabelTagArray *labels, DWORD_PTR context);
    static void Variables(CVariableTagArray *variables, DWORD_PTR context);
};

BOOL CCaseToolComm::Connect(LPCSTR, IUnknown *debugServer, CQelDiagHelper *diagnostics)
{
    m_debugServer = debugServer;
    m_diagnostics = diagnostics;
    return TRUE;
}

void CCaseToolComm::Disconnect()
{
    ModuleSymbolClient().Detach();
    m_pendingBreakpoints.clear();
    m_debugServer.Release();
    // The add-on's, which may go before a link let go inside its callback.
    m_diagnostics = nullptr;
}

void CCaseToolComm::Destroy()
{
    if (m_callbacks == 0) {
        delete this;
        return;
    }
    if (m_letGo)
        return;
    m_letGo = true;
    Disconnect();
    EndTool();
}

CCaseToolComm::CallbackScope::~CallbackScope()
{
    if (--m_link.m_callbacks == 0 && m_link.m_letGo)
        DeleteFromMessageLoop(&m_link);
}

CSymbolProcessing *CCaseToolComm::SymbolClient()
{
    CSymbolProcessing &client = ModuleSymbolClient();
    return m_debugServer != nullptr && client.Attach(m_debugServer) ? &client : nullptr;
}

BOOL CCaseToolComm::ShowPosition(DWORD, LPCSTR, DWORD)
{
    return TRUE;
}

BOOL CCaseToolComm::SetBreakpoint(LPCSTR, DWORD, BOOL)
{
    return TRUE;
}

BOOL CCaseToolComm::RemoveAllBreakpoints()
{
    return TRUE;
}

BOOL CCaseToolComm::SetRunState(DWORD)
{
    return TRUE;
}

BOOL CCaseToolComm::IsConnected()
{
    return FALSE;
}

BOOL CCaseToolComm::ShowValue(LPCSTR, const VARIANT &)
{
    return TRUE;
}

BOOL CCaseToolComm::SendBreakpointAddresses(LPCSTR descriptor, DWORD hostCommand, BOOL flag)
{
    CSymbolProcessing &client = ModuleSymbolClient();
    if (m_debugServer == nullptr || !client.Attach(m_debugServer))
        return FALSE;
    int id = client.RequestBreakpointAddresses(descriptor, 1);
    if (id == 0)
        return FALSE;
    m_pendingBreakpoints[id] = {hostCommand, flag};
    return client.RegisterLabelsCallbackWithId(id, &CaseToolAnswers::Labels, reinterpret_cast<DWORD_PTR>(this));
}

BOOL CCaseToolComm::AddWatchVariable(LPCSTR name)
{
    if (m_debugServer == nullptr)
        return FALSE;
    CComPtr<IUnknown> object;
    COleTarCmdCaller(m_debugServer, &CGID_QelHostCommands).ExecForObject(QEL_HOSTCMD_TARGET_ACCESS, &object);
    CComPtr<IQelTargetAccess> access;
    HRESULT hr = object != nullptr ? object->QueryInterface(IID_IQelTargetAccess, reinterpret_cast<void **>(&access))
                                   : E_NOINTERFACE;
    if (FAILED(hr)) {
        if (hr != E_NOINTERFACE && m_diagnostics != nullptr)
            m_diagnostics->Report("The target cannot be reached", hr);
        return FALSE;
    }
    ULONG address = 0;
    if (access->GetCurrentAddress(&address) != S_OK)
        return FALSE;
    CSymbolProcessing &client = ModuleSymbolClient();
    if (!client.Attach(m_debugServer))
        return FALSE;
    int id = client.RequestVariablesInScope(1, static_cast<LONG>(address), name);
    return id != 0 && client.RegisterVariablesCallback(id, &CaseToolAnswers::Variables, reinterpret_cast<DWORD_PTR>(this));
}

void CaseToolAnswers::Labels(int requestId, CLabelTagArray *labels, DWORD_PTR context)
{
    auto *link = reinterpret_cast<CCaseToolComm *>(context);
    CCaseToolComm::CallbackScope scope(*link);
    auto pending = link->m_pendingBreakpoints.find(requestId);
    if (pending == link->m_pendingBreakpoints.end())
        return;
    CCaseToolComm::PendingBreakpoint request = pending->second;
    link->m_pendingBreakpoints.erase(pending);
    int count = labels != nullptr ? labels->GetSize() : 0;
    if (count == 0 || link->m_debugServer == nullptr)
        return;
    try {
        bool values = request.hostCommand == kAddressValues;
        CVariantArray in(values ? count : 3 + 3 * count);
        if (values) {
            for (int i = 0; i < count; ++i)
                SetCommandNumber(in[i], VT_UI4, static_cast<LONG>((*labels)[i].AddressValue));
        } else {
            SetCommandNumber(in[0], VT_UI4, kBreakpointListKind);
            SetCommandNumber(in[1], VT_BOOL, request.flag);
            in[2].SetString((*labels)[0].Name);
            for (int i = 0; i < count; ++i) {
                const LabelTag &label = (*labels)[i];
                SetCommandNumber(in[3 + 3 * i], VT_I4, static_cast<LONG>(label.AddressMode));
                SetCommandNumber(in[4 + 3 * i], VT_UI4, static_cast<LONG>(label.AddressValue));
                SetCommandNumber(in[5 + 3 * i], VT_UI4, static_cast<LONG>(label.AddressExtra));
            }
        }
        COleTarCmdCaller(link->m_debugServer, &CGID_QelHostBreakpoints).Exec(request.hostCommand, &in, nullptr, 0);
    } catch (CException *e) {
        e->Delete();
    } catch (const _com_error &) {
    }
}

void CaseToolAnswers::Variables(CVariableTagArray *variables, DWORD_PTR context)
{
    auto *link = reinterpret_cast<CCaseToolComm *>(context);
    CCaseToolComm::CallbackScope scope(*link);
    if (variables == nullptr || variables->GetSize() != 1 || link->m_debugServer == nullptr)
        return;
    const VariableTag &variable = (*variables)[0];
    if (variable.SymbolID >= kFunctionStatic && variable.SymbolID <= kGlobal)
        SendAddWatchSymbol(link->m_debugServer, variable.SymbolIndex);
}

void SendAddWatchSymbol(IUnknown *target, LONG symbolIndex)
{
    try {
        for (int attempt = 0; attempt < 2; ++attempt) {
            CVariantArray in(1), out(1);
            SetCommandNumber(in[0], VT_I4, symbolIndex);
            SetCommandNumber(out[0], VT_I4, 0);
            COleTarCmdCaller(target, &CLSID_QelSymbol).Exec(kAddWatchSymbol, &in, &out, 0);
            // A non-zero answer: the window had to be opened first and took nothing yet.
            const VARIANT &answer = out[0].GetValue();
            if (answer.vt != VT_I4 || answer.lVal == 0)
                break;
        }
    } catch (CException *e) {
        e->Delete();
    } catch (const _com_error &) {
    }
}

CaseToolFactory SetCaseToolFactory(CaseToolFactory factory)
{
    return g_factory.exchange(factory);
}

CCaseToolComm *CreateCaseToolLink(LPCSTR toolText)
{
    CaseToolFactory factory = g_factory.load();
    return factory != nullptr ? factory(toolText) : nullptr;
}
