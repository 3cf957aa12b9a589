#include "msgboxwrapper.h"

BOOL CQelMsgBoxWrapper::Create(LPCOLESTR progId)
{
    m_box.Release();
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(progId, &clsid)))
        return FALSE;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQelMsgBox, reinterpret_cast<void **>(&m_box));
    if (FAILED(hr))
        m_box.Release();
    return m_box != nullptr;
}

BOOL CQelMsgBoxWrapper::SetTitleById(UINT id)
{
    CString title;
    if (m_box == nullptr || !title.LoadString(id))
        return FALSE;
    CComBSTR text(static_cast<LPCSTR>(title));
    return !!text && SUCCEEDED(m_box->SetTitle(text));
}

void CQelMsgBoxWrapper::ShowMessage(const CString &text)
{
    if (m_box == nullptr)
        return;
    CComBSTR message(static_cast<LPCSTR>(text));
    if (!!message)
        m_box->ShowMessage(message);
}

void CQelMsgBoxWrapper::ShowMessageById(UINT id)
{
    CString text;
    if (text.LoadString(id))
        ShowMessage(text);
}

LONG CQelMsgBoxWrapper::MessageBox(LONG owner, const CString &text, LPCSTR caption, LONG style)
{
    if (m_box == nullptr)
        return -1;
    CComBSTR message(static_cast<LPCSTR>(text));
    CComBSTR captionText(caption);
    if (!message || (caption != nullptr && !captionText))
        return -1;
    LONG answer = -1;
    if (FAILED(m_box->ShowMessageBox(owner, message, captionText, style, &answer)))
        return -1;
    return answer;
}

LONG CQelMsgBoxWrapper::MessageBoxById(LONG owner, UINT id, LPCSTR caption, LONG style)
{
    CString text;
    if (!text.LoadString(id))
        return -1;
    return MessageBox(owner, text, caption, style);
}
