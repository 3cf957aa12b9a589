// The host's target-access object, which its debug-server object gives for command
// QEL_HOSTCMD_TARGET_ACCESS: here it says where the target stands, as a test set it. The
// slots that the system does not call yet answer E_NOTIMPL.
#pragma once

#include <atlbase.h>
#include <hostinterfaces.h>

#include <atomic>

namespace QelHost {

class CHostTargetAccess : public CComObjectRootEx<CComMultiThreadModel>, public IQelTargetAccess {
public:
    BEGIN_COM_MAP(CHostTargetAccess)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IQelTargetAccess)
    END_COM_MAP()

    // The address that slot 6 gives; 0 until set.
    void SetCurrentAddress(ULONG address) { m_address = address; }

    STDMETHODIMP Slot03() override { return E_NOTIMPL; }
    STDMETHODIMP Slot04() override { return E_NOTIMPL; }
    STDMETHODIMP Slot05() override { return E_NOTIMPL; }
    STDMETHODIMP GetCurrentAddress(ULONG *pAddress) override
    {
        if (pAddress == nullptr)
            return E_POINTER;
        *pAddress = m_address;
        return S_OK;
    }

private:
    std::atomic<ULONG> m_address{0};
};

} // namespace QelHost
