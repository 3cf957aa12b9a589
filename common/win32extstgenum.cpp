#include "win32extstgenum.h"

namespace Win32Ext {

CStgEnumerator::CStgEnumerator(IEnumSTATSTG *elements) : m_pElements(elements), m_hr(S_OK)
{
    if (m_pElements != nullptr)
        m_pElements->AddRef();
}

CStgEnumerator::~CStgEnumerator()
{
    if (m_pElements != nullptr)
        m_pElements->Release();
}

BOOL CStgEnumerator::Next(CStatStg *stat)
{
    if (m_pElements == nullptr || stat == nullptr)
        return FALSE;
    stat->FreeName();
    ULONG fetched = 0;
    m_hr = m_pElements->Next(1, stat, &fetched);
    return m_hr == S_OK && fetched == 1;
}

} // namespace Win32Ext
