#include "droptexttarget.h"

#include <cstring>

namespace {

FORMATETC TextFormat()
{
    return FORMATETC{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

} // namespace

CDropTextTarget::~CDropTextTarget()
{
    Revoke();
}

BOOL CDropTextTarget::Register(HWND window)
{
    if (m_window == window && window != nullptr)
        return TRUE;
    Revoke();
    if (FAILED(RegisterDragDrop(window, this)))
        return FALSE;
    m_window = window;
    return TRUE;
}

void CDropTextTarget::Revoke()
{
    if (m_window == nullptr)
        return;
    RevokeDragDrop(m_window);
    m_window = nullptr;
}

STDMETHODIMP CDropTextTarget::QueryInterface(REFIID, void **ppvObject)
{
    if (ppvObject != nullptr)
        *ppvObject = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CDropTextTarget::AddRef()
{
    return ++m_refs;
}

STDMETHODIMP_(ULONG) CDropTextTarget::Release()
{
    return m_refs > 0 ? --m_refs : 0;
}

STDMETHODIMP CDropTextTarget::DragEnter(IDataObject *data, DWORD, POINTL, DWORD *effect)
{
    FORMATETC format = TextFormat();
    m_accept = data != nullptr && data->QueryGetData(&format) == S_OK;
    if (effect != nullptr)
        *effect = m_accept ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
}

STDMETHODIMP CDropTextTarget::DragOver(DWORD, POINTL, DWORD *effect)
{
    if (effect != nullptr)
        *effect = m_accept ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
}

STDMETHODIMP CDropTextTarget::DragLeave()
{
    m_accept = FALSE;
    return S_OK;
}

STDMETHODIMP CDropTextTarget::Drop(IDataObject *data, DWORD, POINTL, DWORD *effect)
{
    if (effect != nullptr)
        *effect = DROPEFFECT_NONE;
    FORMATETC format = TextFormat();
    STGMEDIUM medium{};
    if (!m_accept || data == nullptr || FAILED(data->GetData(&format, &medium)))
        return S_OK;
    m_accept = FALSE;
    CString text;
    if (medium.tymed == TYMED_HGLOBAL) {
        const char *bytes = static_cast<const char *>(GlobalLock(medium.hGlobal));
        if (bytes != nullptr) {
            SIZE_T size = GlobalSize(medium.hGlobal);
            const void *end = std::memchr(bytes, '\0', size);
            size_t length = end != nullptr ? static_cast<size_t>(static_cast<const char *>(end) - bytes) : size;
            text = CString(bytes, static_cast<int>(length > 0x7FFFFFFF ? 0x7FFFFFFF : length));
            GlobalUnlock(medium.hGlobal);
        }
    }
    ReleaseStgMedium(&medium);
    OnDropText(text);
    return S_OK;
}
