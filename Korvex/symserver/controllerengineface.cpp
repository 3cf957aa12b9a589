#include "controllerengineface.h"

#include "qelsymbolserver.h"

#include <memory>

namespace {

HRESULT NameAnswer(BOOL found, const CString &name, BSTR *pbsName)
{
    *pbsName = SysAllocString(CComBSTR(name));
    if (*pbsName == nullptr)
        return E_OUTOFMEMORY;
    return found ? S_OK : S_FALSE;
}

} // namespace

STDMETHODIMP CQelControllerEngineFace::QueryInterface(REFIID riid, void **ppv)
{
    return m_server.GetControllingUnknown()->QueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CQelControllerEngineFace::AddRef()
{
    return m_server.GetControllingUnknown()->AddRef();
}

STDMETHODIMP_(ULONG) CQelControllerEngineFace::Release()
{
    return m_server.GetControllingUnknown()->Release();
}

STDMETHODIMP CQelControllerEngineFace::GetTypeInfoCount(UINT *pctinfo)
{
    if (pctinfo == nullptr)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

CSfrTablesRef CQelControllerEngineFace::Tables() const
{
    auto *engine = dynamic_cast<CControllerSymbolEngine *>(m_server.EngineHolder().GetEngine());
    if (engine != nullptr)
        return engine->GetTables();
    return EmptySfrTables();
}

STDMETHODIMP CQelControllerEngineFace::LoadSFRegisters(BSTR bsController)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    int id = static_cast<int>(RequesterSynchronous);
    HRESULT hr = m_server.SubmitQuery(RequestCodeControllerRegisters, &id,
                                      {CQelSymbolServer::TextArgument(bsController)});
    if (FAILED(hr))
        return hr;
    std::unique_ptr<CSymbolRequest> request(m_server.TakeRequest(id, RequestCodeControllerRegisters));
    if (!request)
        return QEL_E_SYMBOL_REQUEST;
    if (request->m_nStatus != StatusSuccess)
        return m_server.FailedRequestResult(*request);
    auto *registers = dynamic_cast<CSfrRegisterList *>(request->m_pResult);
    return registers != nullptr && registers->GetSize() > 0 ? S_OK : S_FALSE;
}

STDMETHODIMP CQelControllerEngineFace::SFRegisterAddress(BSTR bsName, ULONG *pnAddress)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pnAddress == nullptr)
        return E_POINTER;
    *pnAddress = Tables()->GetRegisterAddress(CString(bsName));
    return S_OK;
}

STDMETHODIMP CQelControllerEngineFace::SFRegisterName(ULONG nAddress, LONG nSpace, BSTR *pbsName)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pbsName == nullptr)
        return E_POINTER;
    CString name;
    BOOL found = Tables()->GetRegisterNameByAddress(nAddress, nSpace, name);
    return NameAnswer(found, name, pbsName);
}

STDMETHODIMP CQelControllerEngineFace::SFRegisterBit(ULONG nAddress, LONG nBit, LONG nSpace, BSTR *pbsName)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pbsName == nullptr)
        return E_POINTER;
    CString name;
    BOOL found = Tables()->GetBitName(nAddress, nBit, nSpace, name);
    return NameAnswer(found, name, pbsName);
}

STDMETHODIMP CQelControllerEngineFace::CreateICRegisterList(VARIANT *pvList)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return Tables()->GetInterruptControlList(pvList);
}

STDMETHODIMP CQelControllerEngineFace::SFRBlocks(VARIANT *pvBlocks)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return Tables()->GetRegisterBlocks(pvBlocks);
}

STDMETHODIMP CQelControllerEngineFace::SFRegisterRR(LONG nIndex, ULONG *pnStart, ULONG *pnEnd)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pnStart == nullptr || pnEnd == nullptr)
        return E_POINTER;
    DWORD start = 0, end = 0;
    Tables()->GetRegisterArea(nIndex, start, end);
    *pnStart = start;
    *pnEnd = end;
    return S_OK;
}
