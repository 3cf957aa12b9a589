#include "storagewrappers.h"

namespace {

// The BSTR as ANSI text, then freed.
CString TakeText(BSTR text)
{
    CString result(text != nullptr ? text : u"");
    SysFreeString(text);
    return result;
}

} // namespace

BOOL CQelStorageHandlerWrapper::Create()
{
    m_handler.Release();
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(u"QEL.QELStorageHandler", &clsid)))
        return FALSE;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQelStorageHandler,
                                reinterpret_cast<void **>(&m_handler))))
        m_handler.Release();
    return m_handler != nullptr;
}

BOOL CQelStorageHandlerWrapper::GetStorageElements(IStorage *storage, IQelStorageElements **ppElements)
{
    if (m_handler == nullptr || ppElements == nullptr)
        return FALSE;
    *ppElements = nullptr;
    if (FAILED(m_handler->GetStorageElements(storage, 0, 0, ppElements)) || *ppElements == nullptr) {
        if (*ppElements != nullptr)
            (*ppElements)->Release();
        *ppElements = nullptr;
        return FALSE;
    }
    return TRUE;
}

void CQelStorageWrapper::Attach(IQelStorageElements *elements)
{
    m_elements = elements;
}

LONG CQelStorageWrapper::GetCount()
{
    LONG count = 0;
    if (m_elements == nullptr || FAILED(m_elements->GetCount(&count)))
        return 0;
    return count;
}

BOOL CQelStorageWrapper::GetName(CString &name)
{
    BSTR text = nullptr;
    if (m_elements == nullptr || FAILED(m_elements->GetName(&text)))
        return FALSE;
    name = TakeText(text);
    return TRUE;
}

CQelStorageEnumWrapper::CQelStorageEnumWrapper(IQelStorageEnum *enumerator) : m_enumerator(enumerator)
{
    if (m_enumerator != nullptr)
        m_enumerator->AddRef();
}

CQelStorageEnumWrapper::~CQelStorageEnumWrapper()
{
    if (m_enumerator != nullptr)
        m_enumerator->Release();
}

BOOL CQelStorageEnumWrapper::GetNextName(LONG position, CString &name)
{
    BSTR text = nullptr;
    if (m_enumerator == nullptr || m_enumerator->GetName(position, &text) != S_OK) {
        SysFreeString(text);
        return FALSE;
    }
    name = TakeText(text);
    return TRUE;
}

void AttachProjectStorage(IUnknown *storageObject, CQelStorageWrapper &wrapper)
{
    if (storageObject == nullptr)
        return;
    CComPtr<IQelStorageElements> elements;
    if (SUCCEEDED(storageObject->QueryInterface(IID_IQelStorageElements, reinterpret_cast<void **>(&elements)))) {
        wrapper.Attach(elements);
        return;
    }
    CComPtr<IStorage> storage;
    if (FAILED(storageObject->QueryInterface(IID_IStorage, reinterpret_cast<void **>(&storage))))
        return;
    CQelStorageHandlerWrapper handler;
    if (handler.Create() && handler.GetStorageElements(storage, &elements))
        wrapper.Attach(elements);
}
