// CQelSymbolServer's Get methods: a finished request's answer handed over and the request
// deleted.
//
// The request is taken out of the engine's queue before anything reads it, so neither a
// DeleteRequest, a second Get nor the purge of requests whose window has gone can free it
// meanwhile. A request that has not finished is still the worker's and is not taken; a
// finished one that another group's Get method asks for is deleted unread.
#include "qelsymbolserver.h"

#include <tagtransfer.h>

#include <limits>
#include <memory>

namespace {

template <class Record>
HRESULT PackRecords(const CArray<Record, Record &> &records, VARIANT *names, VARIANT *values)
{
    if constexpr (TagTransfer<Record>::hasTexts)
        return PackTagRecords(records, names, values);
    else
        return PackTagRecords(records, values);
}

} // namespace

HRESULT CQelSymbolServer::FailedRequestResult(const CSymbolRequest &request)
{
    if (!request.m_strErrorText.IsEmpty())
        SetLastErrorText(request.m_strErrorText);
    return SymbolStatusResult(request.m_nStatus);
}

CSymbolRequest *CQelSymbolServer::TakeRequest(int id, int group)
{
    CSymbolEngine *engine = m_EngineHolder.GetEngine();
    return engine != nullptr ? engine->TakeRequest(id, group) : nullptr;
}

template <class Record>
HRESULT CQelSymbolServer::GetRecords(int id, int group, VARIANT *names, VARIANT *values)
{
    if (values == nullptr || (TagTransfer<Record>::hasTexts && names == nullptr))
        return E_POINTER;
    std::unique_ptr<CSymbolRequest> request(TakeRequest(id, group));
    if (!request)
        return QEL_E_SYMBOL_REQUEST;
    if (request->m_nStatus != StatusSuccess)
        return FailedRequestResult(*request);
    auto *records = dynamic_cast<CArray<Record, Record &> *>(request->m_pResult);
    if (records == nullptr)
        return QEL_E_SYMBOL_REQUEST;
    return SUCCEEDED(PackRecords(*records, names, values)) ? S_OK : QEL_E_SYMBOL_REQUEST;
}

STDMETHODIMP CQelSymbolServer::GetSections(int nRequest, VARIANT *vsNames, VARIANT *vnValues)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return GetRecords<SectionTag>(nRequest, 0, vsNames, vnValues);
}

STDMETHODIMP CQelSymbolServer::GetSourceFiles(int nRequest, VARIANT *vsNames, VARIANT *vnValues)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return GetRecords<SourceFileTag>(nRequest, 100, vsNames, vnValues);
}

STDMETHODIMP CQelSymbolServer::GetFunctions(int nRequest, VARIANT *vsNames, VARIANT *vnValues)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return GetRecords<FunctionTag>(nRequest, 200, vsNames, vnValues);
}

STDMETHODIMP CQelSymbolServer::GetSourceLines(int nRequest, VARIANT *vnValues)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return GetRecords<SourceLineTag>(nRequest, 300, nullptr, vnValues);
}

STDMETHODIMP CQelSymbolServer::GetVariables(int nRequest, VARIANT *vsNames, VARIANT *vnValues)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return GetRecords<VariableTag>(nRequest, 400, vsNames, vnValues);
}

STDMETHODIMP CQelSymbolServer::GetMembers(int nRequest, VARIANT *vsNames, VARIANT *vnValues)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return GetRecords<MemberTag>(nRequest, 500, vsNames, vnValues);
}

STDMETHODIMP CQelSymbolServer::GetLifetime(int nRequest, VARIANT *vnValues)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return GetRecords<LifetimeTag>(nRequest, 600, nullptr, vnValues);
}

STDMETHODIMP CQelSymbolServer::GetLabels(int nRequest, VARIANT *vsNames, VARIANT *vnValues)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return GetRecords<LabelTag>(nRequest, 700, vsNames, vnValues);
}

STDMETHODIMP CQelSymbolServer::GetRegisterMap(int nRequest, VARIANT *vsNames, VARIANT *vnValues)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return GetRecords<RegisterMapTag>(nRequest, 800, vsNames, vnValues);
}

STDMETHODIMP CQelSymbolServer::GetVarEdVariables(int nRequest, VARIANT *vnValues)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return GetRecords<VarEdTag>(nRequest, 900, nullptr, vnValues);
}

STDMETHODIMP CQelSymbolServer::GetLocation(int nRequest, VARIANT *vsNames, VARIANT *vnValues)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (vsNames == nullptr || vnValues == nullptr)
        return E_POINTER;
    std::unique_ptr<CSymbolRequest> request(TakeRequest(nRequest, 4000));
    if (!request)
        return QEL_E_SYMBOL_REQUEST;
    if (request->m_nStatus != StatusSuccess)
        return FailedRequestResult(*request);
    if (request->m_pLocation == nullptr)
        return QEL_E_SYMBOL_REQUEST;
    return SUCCEEDED(PackTagRecords(*request->m_pLocation, vsNames, vnValues)) ? S_OK : QEL_E_SYMBOL_REQUEST;
}

STDMETHODIMP CQelSymbolServer::GetState(int nRequest, LONG *pbState)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pbState == nullptr)
        return E_POINTER;
    *pbState = 0;
    std::unique_ptr<CSymbolRequest> request(TakeRequest(nRequest, RequestCodeLoadFile));
    if (!request)
        return QEL_E_SYMBOL_REQUEST;
    if (request->m_nStatus != StatusSuccess)
        return FailedRequestResult(*request);
    *pbState = static_cast<LONG>(request->m_nResult);
    return S_OK;
}

STDMETHODIMP CQelSymbolServer::GetProgramInfo(int nRequest, IUnknown **ppUnkProgramInfo)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (ppUnkProgramInfo == nullptr)
        return E_POINTER;
    *ppUnkProgramInfo = nullptr;
    std::unique_ptr<CSymbolRequest> request(TakeRequest(nRequest, RequestCodeLoadFile));
    if (!request)
        return QEL_E_SYMBOL_REQUEST;
    if (request->m_nStatus != StatusSuccess)
        return FailedRequestResult(*request);
    // Only the engine's loader makes these objects, so the interface is a CProgramInfo.
    IProgramInfo *programInfo = nullptr;
    if (request->m_pProgramInfo == nullptr ||
        FAILED(request->m_pProgramInfo->QueryInterface(IID_IProgramInfo, reinterpret_cast<void **>(&programInfo))))
        return QEL_E_SYMBOL_REQUEST;
    CProgramInfo *info = static_cast<CProgramInfo *>(programInfo);
    // The smallest identifier has no positive twin and stays as it is.
    if (info->m_nProgramId < 0 && info->m_nProgramId != std::numeric_limits<LONG>::min())
        info->m_nProgramId = -info->m_nProgramId;
    // The holder's list and the caller each hold a reference of their own.
    m_EngineHolder.KeepProgramInfo(info);
    *ppUnkProgramInfo = programInfo;
    return S_OK;
}

STDMETHODIMP CQelSymbolServer::IsDatabase(LONG *pbResult)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pbResult == nullptr)
        return E_POINTER;
    *pbResult = 0;
    CSymbolEngine *engine = m_EngineHolder.GetEngine();
    if (engine == nullptr)
        return QEL_E_SYMBOL_REQUEST;
    CSymbolRequest question(RequesterSynchronous);
    question.m_nCode = RequestCodeIsDatabase;
    int id = engine->Submit(question);
    if (id == 0)
        return QEL_E_SYMBOL_REQUEST;
    std::unique_ptr<CSymbolRequest> request(engine->TakeRequest(id, question.GetGroup()));
    if (!request)
        return QEL_E_SYMBOL_REQUEST;
    if (request->m_nStatus != StatusSuccess)
        return FailedRequestResult(*request);
    *pbResult = static_cast<LONG>(request->m_nResult);
    return S_OK;
}

STDMETHODIMP CQelSymbolServer::DeleteRequest(int nRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CSymbolEngine *engine = m_EngineHolder.GetEngine();
    if (engine != nullptr)
        engine->DeleteRequest(nRequest);
    return S_OK;
}
