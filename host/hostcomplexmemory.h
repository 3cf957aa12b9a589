// The complex-memory object of the simulated target: its memory as a communication
// object's inner object offers it to the communication variable objects. Each such
// object has one; the target makes them (CHostTarget::CreateComplexMemory).
#pragma once

#include <atlbase.h>
#include <hostinterfaces.h>

#include <atomic>

namespace QelHost {

class CHostTarget;

class CHostComplexMemory : public CComObjectRootEx<CComMultiThreadModel>, public IQelComplexMemory {
public:
    BEGIN_COM_MAP(CHostComplexMemory)
        COM_INTERFACE_ENTRY(IQelComplexMemory)
    END_COM_MAP()

    void SetTarget(CHostTarget *target);
    // The object that slot 24 named last; NULL before.
    IUnknown *User() const { return m_user.load(); }

    STDMETHODIMP Slot03() override { return E_NOTIMPL; }
    STDMETHODIMP Slot04() override { return E_NOTIMPL; }
    STDMETHODIMP Slot05() override { return E_NOTIMPL; }
    STDMETHODIMP Slot06() override { return E_NOTIMPL; }
    STDMETHODIMP Slot07() override { return E_NOTIMPL; }
    STDMETHODIMP Slot08() override { return E_NOTIMPL; }
    STDMETHODIMP Slot09() override { return E_NOTIMPL; }
    STDMETHODIMP Slot10() override { return E_NOTIMPL; }
    STDMETHODIMP Slot11() override { return E_NOTIMPL; }
    STDMETHODIMP Slot12() override { return E_NOTIMPL; }
    STDMETHODIMP Slot13() override { return E_NOTIMPL; }
    STDMETHODIMP Slot14() override { return E_NOTIMPL; }
    STDMETHODIMP Slot15() override { return E_NOTIMPL; }
    STDMETHODIMP Slot16() override { return E_NOTIMPL; }
    STDMETHODIMP Slot17() override { return E_NOTIMPL; }
    STDMETHODIMP Slot18() override { return E_NOTIMPL; }
    STDMETHODIMP Slot19() override { return E_NOTIMPL; }
    STDMETHODIMP Slot20() override { return E_NOTIMPL; }
    STDMETHODIMP Slot21() override { return E_NOTIMPL; }
    STDMETHODIMP Slot22() override { return E_NOTIMPL; }
    STDMETHODIMP Slot23() override { return E_NOTIMPL; }
    // The user owns this object (through its inner object), so it is kept without a
    // reference: one would keep both alive for good.
    STDMETHODIMP SetUser(IUnknown *user) override;
    STDMETHODIMP Slot25() override { return E_NOTIMPL; }
    STDMETHODIMP Slot26() override { return E_NOTIMPL; }
    STDMETHODIMP Slot27() override { return E_NOTIMPL; }
    // 0 when every byte was written or read, E_FAIL otherwise.
    STDMETHODIMP WriteMemory(DWORD address, DWORD size, BYTE *buffer) override;
    STDMETHODIMP ReadMemory(DWORD address, DWORD size, BYTE *buffer) override;

private:
    CComPtr<IQelTargetAccess> m_targetHold; // keeps the target while this object lives
    CHostTarget *m_target = nullptr;
    std::atomic<IUnknown *> m_user{nullptr};
};

} // namespace QelHost
