#include "symbolrequest.h"

IMPLEMENT_DYNAMIC(CSymbolRequest, CObject)

CSymbolRequest::CSymbolRequest(DWORD requester)
    : m_nRequester(requester), m_nId(0), m_bDone(0), m_nCode(RequestCodeNone), m_nStatus(StatusSuccess),
      m_pResult(nullptr), m_pLocation(nullptr), m_nResult(0), m_pWaiter(nullptr), m_bRunning(FALSE),
      m_bRemoved(FALSE)
{
    VariantInit(&Param1);
    VariantInit(&Param2);
    VariantInit(&Param3);
}

CSymbolRequest::~CSymbolRequest()
{
    VariantClear(&Param1);
    VariantClear(&Param2);
    VariantClear(&Param3);
    delete m_pResult;
    delete m_pLocation;
}

HRESULT CSymbolRequest::CopyFrom(const CSymbolRequest &other)
{
    m_nRequester = other.m_nRequester;
    m_nId = other.m_nId;
    m_bDone = other.m_bDone;
    m_nCode = other.m_nCode;
    m_nStatus = other.m_nStatus;
    HRESULT hr = VariantCopy(&Param1, &other.Param1);
    if (SUCCEEDED(hr))
        hr = VariantCopy(&Param2, &other.Param2);
    if (SUCCEEDED(hr))
        hr = VariantCopy(&Param3, &other.Param3);
    if (FAILED(hr)) {
        VariantClear(&Param1);
        VariantClear(&Param2);
        VariantClear(&Param3);
    }
    return hr;
}

void CSymbolRequest::SetId(int id)
{
    m_nId = IsSynchronous() ? static_cast<int>(static_cast<UINT>(id) | 0x80000000u) : id;
}

HWND CSymbolRequest::GetRequesterWindow() const
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(m_nRequester));
}

BOOL CSymbolRequest::IsRequesterAlive() const
{
    if (m_nRequester == RequesterSynchronous || m_nRequester == RequesterEvent)
        return TRUE;
    return IsWindow(GetRequesterWindow());
}

BOOL CSymbolRequest::NeedsDatabase() const
{
    return m_nCode < RequestCodeLoadFile && GetGroup() != 0 && m_nCode != RequestCodeBreakpointDescription &&
           m_nCode != RequestCodeBreakpointAddresses;
}
