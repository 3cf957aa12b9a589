// The value-notice part of an inner communication object: where the host posts the notice
// after it has updated the object's variable (IQelVariableUpdate). The host reads the
// window back through an interface of its own, which no other object answers, so a
// notice part of somebody else's is never taken for one of the host's.
#pragma once

#include <atlbase.h>
#include <hostinterfaces.h>

#include <mutex>

// The host's own reading of a notice part.
interface IQelHostNoticeWindow : public IUnknown {
    STDMETHOD(GetNotifyWindow)(HWND *pWindow, UINT *pMessage) PURE;
};
QEL_DEFINE_IID(IQelHostNoticeWindow, 0x2191EA7A, 0x78FB, 0x437A, 0xB2, 0xCA, 0x73, 0x41, 0xD9, 0xB7, 0xBD, 0x3B);

namespace QelHost {

class CHostValueNotices : public CComObjectRootEx<CComMultiThreadModel>,
                          public IQelValueNotices,
                          public IQelHostNoticeWindow {
public:
    BEGIN_COM_MAP(CHostValueNotices)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IQelValueNotices)
        COM_INTERFACE_ENTRY(IQelValueNotices)
        COM_INTERFACE_ENTRY(IQelHostNoticeWindow)
    END_COM_MAP()

    STDMETHODIMP SetNotifyWindow(LONG window, UINT message) override;
    // NULL while no window is set.
    STDMETHODIMP GetNotifyWindow(HWND *pWindow, UINT *pMessage) override;

private:
    std::mutex m_lock;
    HWND m_window = nullptr;
    UINT m_message = 0;
};

// Where the notices of the variable object `object` go: its inner object's notice part,
// when that is the host's and has a window; false otherwise.
bool FindNotifyWindow(IUnknown *object, HWND *window, UINT *message);

} // namespace QelHost
