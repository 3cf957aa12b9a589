// The host's storage handler, which the system makes by its ProgID
// "QEL.QELStorageHandler", and the host's enumerator of a storage's element names.
//
// What the real host does with a project storage is its own affair; the stand-in answers
// what the system asks of the storage it is handed: the number of its elements, its name
// and the names of its elements.
#pragma once

#include <atlbase.h>
#include <hostinterfaces.h>

#include <vector>

namespace QelHost {

// The class of the host stand-in's storage handler (the real host's class identifier is
// not known; the system finds the class by its ProgID).
DEFINE_GUID(CLSID_QelHostStorageHandler, 0x5B0E7A52, 0x1C3D, 0x4E8F, 0x9A, 0x61, 0x27, 0xD4, 0x0B, 0x93, 0xC5, 0x18);

// The object of one storage.
class CHostStorageElements : public CComObjectRootEx<CComMultiThreadModel>, public IQelStorageElements {
public:
    BEGIN_COM_MAP(CHostStorageElements)
        COM_INTERFACE_ENTRY(IQelStorageElements)
    END_COM_MAP()

    void SetStorage(IStorage *storage) { m_storage = storage; }

    STDMETHODIMP Slot03() override { return E_NOTIMPL; }
    STDMETHODIMP Slot04() override { return E_NOTIMPL; }
    STDMETHODIMP Slot05() override { return E_NOTIMPL; }
    STDMETHODIMP Slot06() override { return E_NOTIMPL; }
    STDMETHODIMP Slot07() override { return E_NOTIMPL; }
    STDMETHODIMP Slot08() override { return E_NOTIMPL; }
    // E_POINTER for a null pointer; the storage's error when it cannot be enumerated.
    STDMETHODIMP GetCount(LONG *pCount) override;
    STDMETHODIMP GetName(BSTR *pbstrName) override;

private:
    CComPtr<IStorage> m_storage;
};

class CHostStorageHandler : public CComObjectRootEx<CComMultiThreadModel>, public IQelStorageHandler {
public:
    BEGIN_COM_MAP(CHostStorageHandler)
        COM_INTERFACE_ENTRY(IQelStorageHandler)
    END_COM_MAP()

    STDMETHODIMP Slot03() override { return E_NOTIMPL; }
    STDMETHODIMP Slot04() override { return E_NOTIMPL; }
    STDMETHODIMP Slot05() override { return E_NOTIMPL; }
    STDMETHODIMP Slot06() override { return E_NOTIMPL; }
    STDMETHODIMP Slot07() override { return E_NOTIMPL; }
    // E_POINTER for a null out pointer, E_INVALIDARG for a null storage.
    STDMETHODIMP GetStorageElements(IStorage *storage, LONG reserved1, LONG reserved2,
                                    IQelStorageElements **ppElements) override;
};

// The names of a storage's elements, in the order the storage enumerates them, taken
// when it is made.
class CHostStorageEnum : public CComObjectRootEx<CComMultiThreadModel>, public IQelStorageEnum {
public:
    BEGIN_COM_MAP(CHostStorageEnum)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IQelStorageEnum)
    END_COM_MAP()

    // The storage's error when it cannot be enumerated.
    HRESULT TakeNames(IStorage *storage);

    STDMETHODIMP Slot03() override { return E_NOTIMPL; }
    STDMETHODIMP Slot04() override { return E_NOTIMPL; }
    STDMETHODIMP Slot05() override { return E_NOTIMPL; }
    STDMETHODIMP Slot06() override { return E_NOTIMPL; }
    STDMETHODIMP Slot07() override { return E_NOTIMPL; }
    STDMETHODIMP GetName(LONG position, BSTR *pbstrName) override;

private:
    std::vector<CComBSTR> m_names;
};

// Registers the storage-handler class in the process under its ProgID. *pCookie is the
// registration, for CoRevokeClassObject.
HRESULT RegisterStorageHandlerClass(DWORD *pCookie);

} // namespace QelHost
