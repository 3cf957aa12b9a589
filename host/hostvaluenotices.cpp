#include "hostvaluenotices.h"

namespace QelHost {

STDMETHODIMP CHostValueNotices::SetNotifyWindow(LONG window, UINT message)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(window));
    m_message = window != 0 ? message : 0;
    return S_OK;
}

STDMETHODIMP CHostValueNotices::GetNotifyWindow(HWND *pWindow, UINT *pMessage)
{
    if (pWindow == nullptr || pMessage == nullptr)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(m_lock);
    *pWindow = m_window;
    *pMessage = m_message;
    return S_OK;
}

bool FindNotifyWindow(IUnknown *object, HWND *window, UINT *message)
{
    *window = nullptr;
    *message = 0;
    CComQIPtr<IQelValueNotices> notices(object);
    CComQIPtr<IQelHostNoticeWindow> own(notices);
    return own != nullptr && SUCCEEDED(own->GetNotifyWindow(window, message)) && *window != nullptr;
}

} // namespace QelHost
