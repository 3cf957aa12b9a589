#include "stgenumerator.h"

CStgEnumerator::CStgEnumerator(IEnumSTATSTG *elements) : m_pElements(elements)
{
    if (m_pElements != nullptr)
        m_pElements->AddRef();
}

CStgEnumerator::~CStgEnumerator()
{
    if (m_pElements != nullptr)
        m_pElements->Release();
}

BOOL CStgEnumerator::NextName(CString &name)
{
    DWORD type = 0;
    ULARGE_INTEGER size;
    return Next(name, type, size);
}

BOOL CStgEnumerator::Next(CString &name, DWORD &type, ULARGE_INTEGER &size)
{
    if (m_pElements == nullptr)
        return FALSE;
    STATSTG stat;
    ULONG fetched = 0;
    if (FAILED(m_pElements->Next(1, &stat, &fetched)) || fetched != 1)
        return FALSE;
    name = stat.pwcsName;
    type = stat.type;
    size = stat.cbSize;
    CoTaskMemFree(stat.pwcsName);
    return TRUE;
}
