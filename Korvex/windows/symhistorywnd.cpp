#include "symhistorywnd.h"

#include <qelsymbolbrowser.h>
#include <stgprofile.h>

namespace {

// The most of a dropped text that the field takes.
const int kDroppedTextLimit = 32;

CString BstrToText(BSTR text)
{
    CString out;
    int length = static_cast<int>(SysStringLen(text));
    if (length == 0)
        return out;
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return out;
    LPSTR buffer = out.GetBuffer(bytes);
    WideCharToMultiByte(CP_ACP, 0, text, length, buffer, bytes, nullptr, nullptr);
    out.ReleaseBuffer(bytes);
    return out;
}

} // namespace

CSymHistoryWnd::CSymHistoryWnd(LPCSTR historyName) : m_history(historyName) {}

void CSymHistoryWnd::SetTarget(IUnknown *target)
{
    CValidator::SetTarget(target);
    m_target = target;
}

void CSymHistoryWnd::LoadHistory(IStorage *storage)
{
    Profile::CStgProfile profile(storage);
    m_history.Load(profile);
    SetHistory(&m_history);
}

void CSymHistoryWnd::SaveHistory(IStorage *storage)
{
    Profile::CStgProfile profile(storage);
    m_history.Save(profile);
}

BOOL CSymHistoryWnd::GetAddress(ULONG *address)
{
    CString text;
    GetWindowText(text);
    m_history.Add(text);
    SetHistory(&m_history);
    return ToULong(address, text);
}

void CSymHistoryWnd::SetAddress(ULONG address)
{
    CString text;
    text.Format("0x%X", address);
    SetWindowText(text);
}

void CSymHistoryWnd::Browse(int mode)
{
    CComPtr<IQelSymbolBrowser> browser;
    if (FAILED(CoCreateInstance(CLSID_QelSymbolBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IQelSymbolBrowser,
                                reinterpret_cast<void **>(&browser))))
        return;
    browser->Mode(static_cast<SYMBOLBROWSERMODE>(mode));
    browser->put_DebugServer(m_target);
    browser->put_ParentWindow(static_cast<LONG>(reinterpret_cast<LONG_PTR>(m_hWnd)));
    if (browser->DoModal() != S_OK)
        return;
    CComBSTR label;
    browser->get_Label(&label);
    CString name = BstrToText(label);
    CString text;
    if (name.GetLength() > 0 && name[0] == '.') {
        LONG address = 0;
        browser->get_Address(&address);
        text.Format("0x%08X", static_cast<ULONG>(address));
    } else {
        text = "&" + name;
    }
    SetWindowText(text);
}

void CSymHistoryWnd::OnDropText(const CString &text)
{
    SetWindowText(text.Left(kDroppedTextLimit));
}
