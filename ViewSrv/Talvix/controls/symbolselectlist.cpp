#include "symbolselectlist.h"

#include <comerrorinfo.h>
#include <hostcmdgroups.h>
#include <hostdebuggername.h>
#include <hostinterfaces.h>
#include <oletarcmdcaller.h>
#include <qelsymbol.h>

#include <new>
#include <set>
#include <vector>

namespace {

enum : DWORD { kCmdSelectListShown = 22, kCmdChoice = 22 };
const char kToolText[] = "Select program function";
const char kNamedToolText[] = "Select %s program function";
// A program window lists tens of thousands of functions: the map's chains stay short.
const UINT kMapBuckets = 16411;
const DWORD kComboStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_SORT | CBS_DROPDOWNLIST;

// The font that the list starts with: Arial of 8 points.
CComPtr<IFontDisp> MakeStartFont()
{
    OLECHAR face[] = u"arial";
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = face;
    desc.cySize.int64 = 8 * 10000;
    desc.sWeight = FW_NORMAL;
    desc.sCharset = 0;
    CComPtr<IFontDisp> font;
    OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void **>(&font));
    return font;
}

// QueryInterface whose failure other than E_NOINTERFACE is an error of the call.
template <class I>
CComPtr<I> Query(IUnknown *object)
{
    CComPtr<I> result;
    if (object == nullptr)
        return result;
    HRESULT hr = object->QueryInterface(qel_uuidof<I>(), reinterpret_cast<void **>(&result));
    if (FAILED(hr) && hr != E_NOINTERFACE)
        _com_issue_error(hr);
    return result;
}

} // namespace

CQelSymbolSelectList::CQelSymbolSelectList() : m_wndCombo("ComboBox", this, 1)
{
    m_viewServers.InitHashTable(kMapBuckets, FALSE);
    m_pFont = MakeStartFont();
    const SIZEL pixels{kWidth, kHeight};
    AtlPixelToHiMetric(&pixels, &m_sizeExtent);
}

CQelSymbolSelectList::~CQelSymbolSelectList()
{
    ReleaseViewServers();
}

void CQelSymbolSelectList::FinalRelease()
{
    ReleaseViewServers();
}

void CQelSymbolSelectList::ReleaseViewServers()
{
    std::vector<IUnknown *> held;
    for (POSITION position = m_viewServers.GetStartPosition(); position != nullptr;) {
        UINT address = 0;
        IUnknown *viewServer = nullptr;
        m_viewServers.GetNextAssoc(position, address, viewServer);
        held.push_back(viewServer);
    }
    m_viewServers.RemoveAll();
    // Released after the map is empty: a view server that goes may call back.
    for (IUnknown *viewServer : held) {
        if (viewServer != nullptr)
            viewServer->Release();
    }
}

STDMETHODIMP CQelSymbolSelectList::Init(IUnknown *pDbgSrvUnknown)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    try {
        m_pDbgSrv = pDbgSrvUnknown;
        if (pDbgSrvUnknown == nullptr)
            return S_OK;
        // The symbol server hears of the list; what it answers is its own affair.
        CVariantArray in(1);
        in[0].SetValue(CComVariant(GetUnknown()));
        COleTarCmdCaller(pDbgSrvUnknown, &CLSID_QelSymbol).Exec(kCmdSelectListShown, &in, nullptr, 0);
        CString word = DebuggerWord(pDbgSrvUnknown);
        if (!word.IsEmpty()) {
            CString text;
            text.Format(kNamedToolText, static_cast<LPCSTR>(word));
            SetToolText(text);
        }
    } catch (_com_error &e) {
        return e.Error();
    } catch (CException *e) {
        e->Delete();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

CString CQelSymbolSelectList::DebuggerWord(IUnknown *debugServer)
{
    CComPtr<IQelHostHolder> holder = Query<IQelHostHolder>(debugServer);
    CComPtr<IUnknown> guiServer;
    if (holder == nullptr || FAILED(holder->GetGuiServer(&guiServer)) || guiServer == nullptr)
        return CString();
    CComPtr<IQelDebuggerName> names = Query<IQelDebuggerName>(guiServer);
    CComBSTR name;
    if (names == nullptr || FAILED(names->GetDebuggerName(&name)) || name.m_str == nullptr)
        return CString();
    CString word(name.m_str);
    int blank = word.Find(' ');
    return blank >= 0 ? word.Left(blank) : word;
}

void CQelSymbolSelectList::SetToolText(LPCSTR text)
{
    if (m_hWndToolTip == nullptr)
        return;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = m_wndCombo.m_hWnd;
    tool.uId = kToolId;
    tool.lpszText = const_cast<LPSTR>(text);
    ::SendMessageA(m_hWndToolTip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

// The platform's lookup is blind to case; the entries equal to the text that way stand
// together in the sorted list, and among them the one with exactly the text is the entry.
int CQelSymbolSelectList::FindExactText(const CString &text) const
{
    const LRESULT first = m_wndCombo.SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                 reinterpret_cast<LPARAM>(static_cast<LPCSTR>(text)));
    if (first == CB_ERR)
        return -1;
    const int count = static_cast<int>(m_wndCombo.SendMessage(CB_GETCOUNT));
    for (int index = static_cast<int>(first); index < count; ++index) {
        const LRESULT length = m_wndCombo.SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
        if (length < 0)
            break;
        CString entry;
        m_wndCombo.SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index),
                               reinterpret_cast<LPARAM>(entry.GetBuffer(static_cast<int>(length))));
        entry.ReleaseBuffer(static_cast<int>(length));
        if (entry == text)
            return index;
        if (entry.CompareNoCase(text) != 0)
            break;
    }
    return -1;
}

int CQelSymbolSelectList::FindAddress(UINT address) const
{
    const int count = static_cast<int>(m_wndCombo.SendMessage(CB_GETCOUNT));
    for (int index = 0; index < count; ++index) {
        if (static_cast<UINT>(m_wndCombo.SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index))) == address)
            return index;
    }
    return -1;
}

STDMETHODIMP CQelSymbolSelectList::AddSymbolListEntry(BSTR pszName, UINT uiAddrVal, IUnknown *pUnkViewServer)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (m_wndCombo.m_hWnd == nullptr)
        return E_FAIL;
    try {
        const CString text(pszName);
        int index = FindExactText(text);
        if (index >= 0) {
            if (m_wndCombo.SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), uiAddrVal) == CB_ERR)
                return E_FAIL;
        } else {
            LRESULT added = m_wndCombo.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(static_cast<LPCSTR>(text)));
            if (added < 0)
                return E_FAIL;
            index = static_cast<int>(added);
            // An entry without its address would send a choice nowhere: it goes again.
            if (m_wndCombo.SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), uiAddrVal) == CB_ERR) {
                m_wndCombo.SendMessage(CB_DELETESTRING, static_cast<WPARAM>(index));
                return E_FAIL;
            }
            if (m_wndCombo.SendMessage(CB_GETCURSEL) == CB_ERR)
                m_wndCombo.SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index));
        }
        SetViewServer(uiAddrVal, pUnkViewServer);
    } catch (CException *e) {
        e->Delete();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void CQelSymbolSelectList::SetViewServer(UINT address, IUnknown *viewServer)
{
    IUnknown *before = nullptr;
    m_viewServers.Lookup(address, before);
    if (viewServer != nullptr)
        viewServer->AddRef();
    m_viewServers.SetAt(address, viewServer);
    if (before != nullptr)
        before->Release();
}

STDMETHODIMP CQelSymbolSelectList::RemoveAllViewServerEntries(IUnknown *pUnkViewServer)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    try {
        const LRESULT selected = m_wndCombo.m_hWnd != nullptr ? m_wndCombo.SendMessage(CB_GETCURSEL) : CB_ERR;
        const bool hadSelection = selected != CB_ERR;
        const UINT selectedAddress =
            hadSelection ? static_cast<UINT>(m_wndCombo.SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(selected))) : 0;
        std::vector<UINT> addresses;
        for (POSITION position = m_viewServers.GetStartPosition(); position != nullptr;) {
            UINT address = 0;
            IUnknown *viewServer = nullptr;
            m_viewServers.GetNextAssoc(position, address, viewServer);
            if (viewServer == pUnkViewServer)
                addresses.push_back(address);
        }
        std::vector<IUnknown *> released;
        if (m_wndCombo.m_hWnd != nullptr && !addresses.empty()) {
            // The first entry of each address, found in one pass and deleted from the
            // last one up, so that each deletion leaves the indexes before it as they were.
            std::set<UINT> going(addresses.begin(), addresses.end());
            std::vector<int> doomed;
            const int count = static_cast<int>(m_wndCombo.SendMessage(CB_GETCOUNT));
            for (int index = 0; index < count && !going.empty(); ++index) {
                if (going.erase(static_cast<UINT>(m_wndCombo.SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index)))) != 0)
                    doomed.push_back(index);
            }
            for (auto index = doomed.rbegin(); index != doomed.rend(); ++index)
                m_wndCombo.SendMessage(CB_DELETESTRING, static_cast<WPARAM>(*index));
        }
        for (UINT address : addresses) {
            m_viewServers.RemoveKey(address);
            released.push_back(pUnkViewServer);
        }
        if (m_wndCombo.m_hWnd != nullptr) {
            if (m_wndCombo.SendMessage(CB_GETCOUNT) > 0) {
                int index = hadSelection ? FindAddress(selectedAddress) : -1;
                m_wndCombo.SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index >= 0 ? index : 0));
            } else {
                m_wndCombo.SendMessage(CB_SETCURSEL, static_cast<WPARAM>(-1));
            }
        }
        // The caller's own reference keeps the view server through this call.
        for (IUnknown *viewServer : released) {
            if (viewServer != nullptr)
                viewServer->Release();
        }
    } catch (CException *e) {
        e->Delete();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void CQelSymbolSelectList::SendChoice(BOOL final)
{
    const LRESULT selected = m_wndCombo.SendMessage(CB_GETCURSEL);
    if (selected == CB_ERR)
        return;
    const UINT address = static_cast<UINT>(m_wndCombo.SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(selected)));
    IUnknown *found = nullptr;
    if (!m_viewServers.Lookup(address, found) || found == nullptr)
        return;
    // Held for the call: the view server may remove its entries meanwhile.
    CComPtr<IUnknown> viewServer(found);
    try {
        CVariantArray in(2);
        in[0].SetValue(CComVariant(static_cast<ULONG>(address)));
        in[1].SetValue(CComVariant(final != FALSE));
        // A view server without a command target hears nothing.
        COleTarCmdCaller(viewServer, &CGID_QelProgWinView).Exec(kCmdChoice, &in, nullptr, 0);
    } catch (_com_error &) {
    } catch (CException *e) {
        e->Delete();
    }
}

void CQelSymbolSelectList::OnFontChanged()
{
    CComQIPtr<IFont> font(m_pFont);
    HFONT handle = nullptr;
    if (m_wndCombo.m_hWnd != nullptr && (font == nullptr || SUCCEEDED(font->get_hFont(&handle))))
        m_wndCombo.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
}

HRESULT CQelSymbolSelectList::IOleInPlaceObject_SetObjectRects(LPCRECT prcPos, LPCRECT prcClip)
{
    HRESULT hr = CComControlBase::IOleInPlaceObject_SetObjectRects(prcPos, prcClip);
    if (FAILED(hr) || m_wndCombo.m_hWnd == nullptr)
        return hr;
    const int width = prcPos->right - prcPos->left, height = prcPos->bottom - prcPos->top;
    m_wndCombo.SetWindowPos(nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_hWndToolTip != nullptr) {
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = m_wndCombo.m_hWnd;
        tool.uId = kToolId;
        tool.rect = RECT{0, 0, width, height};
        ::SendMessageA(m_hWndToolTip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return hr;
}

LRESULT CQelSymbolSelectList::OnCreate(UINT, WPARAM, LPARAM, BOOL &)
{
    RECT client{};
    GetClientRect(&client);
    RECT rect{0, 0, client.right, client.bottom + kDropHeight};
    HWND combo = ::CreateWindowExA(WS_EX_NOPARENTNOTIFY, "ComboBox", "", kComboStyle, rect.left, rect.top,
                                   rect.right - rect.left, rect.bottom - rect.top, m_hWnd,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kComboId)), nullptr, nullptr);
    if (combo == nullptr || !m_wndCombo.SubclassWindow(combo))
        return -1;
    OnFontChanged();
    m_wndCombo.SendMessage(CB_SETCURSEL, static_cast<WPARAM>(-1));
    m_hWndToolTip = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, nullptr, nullptr);
    if (m_hWndToolTip != nullptr) {
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = 0;
        tool.hwnd = combo;
        tool.uId = kToolId;
        tool.rect = rect;
        tool.lpszText = const_cast<LPSTR>(kToolText);
        ::SendMessageA(m_hWndToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        ::SendMessageA(m_hWndToolTip, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
        ::SendMessageA(m_hWndToolTip, TTM_ACTIVATE, TRUE, 0);
    }
    return 0;
}

LRESULT CQelSymbolSelectList::OnPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
    LRESULT result = CComControlBase::OnPaint(uMsg, wParam, lParam, bHandled);
    if (m_wndCombo.m_hWnd != nullptr) {
        m_wndCombo.Invalidate();
        ::UpdateWindow(m_wndCombo.m_hWnd);
    }
    return result;
}

LRESULT CQelSymbolSelectList::OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
    LRESULT result = CComControlBase::OnSetFocus(uMsg, wParam, lParam, bHandled);
    if (m_bInPlaceActive && m_wndCombo.m_hWnd != nullptr) {
        HWND focus = ::GetFocus();
        if (focus != m_hWnd && !IsChild(focus))
            ::SetFocus(m_wndCombo.m_hWnd);
    }
    return result;
}

LRESULT CQelSymbolSelectList::OnSelChange(WORD, WORD, HWND, BOOL &)
{
    SendChoice(FALSE);
    return 0;
}

LRESULT CQelSymbolSelectList::OnCloseUp(WORD, WORD, HWND, BOOL &)
{
    SendChoice(TRUE);
    return 0;
}

LRESULT CQelSymbolSelectList::OnComboMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
    if (m_hWndToolTip != nullptr) {
        MSG message{};
        message.hwnd = m_wndCombo.m_hWnd;
        message.message = uMsg;
        message.wParam = wParam;
        message.lParam = lParam;
        message.time = 0;
        message.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::SendMessageA(m_hWndToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
    }
    bHandled = FALSE;
    return 0;
}
