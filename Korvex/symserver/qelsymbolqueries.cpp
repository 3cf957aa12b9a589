// CQelSymbolServer's request methods: each packs its arguments into a request of its code.
#include "qelsymbolserver.h"

#include <nameencoding.h>

namespace {

HRESULT SetParameter(VARIANT &parameter, const CQelSymbolServer::QueryArgument &argument)
{
    switch (argument.kind) {
    case CQelSymbolServer::QueryArgument::Number:
        parameter.vt = VT_I4;
        parameter.lVal = argument.number;
        return S_OK;
    case CQelSymbolServer::QueryArgument::Text:
        parameter.bstrVal = SysAllocStringLen(argument.text, SysStringLen(argument.text));
        if (parameter.bstrVal == nullptr)
            return E_OUTOFMEMORY;
        parameter.vt = VT_BSTR;
        return S_OK;
    case CQelSymbolServer::QueryArgument::EncodedName: {
        CString encoded;
        EncodeNameString(CString(argument.text), encoded);
        try {
            parameter.bstrVal = encoded.AllocSysString();
        } catch (CMemoryException *e) {
            e->Delete();
            return E_OUTOFMEMORY;
        }
        parameter.vt = VT_BSTR;
        return S_OK;
    }
    case CQelSymbolServer::QueryArgument::Copy:
        if (argument.copy == nullptr)
            return E_POINTER;
        return VariantCopy(&parameter, argument.copy);
    }
    return E_INVALIDARG;
}

} // namespace

HRESULT CQelSymbolServer::SubmitQuery(int code, int *pnRequest, std::initializer_list<QueryArgument> arguments)
{
    if (pnRequest == nullptr)
        return E_POINTER;
    CSymbolRequest request(static_cast<DWORD>(*pnRequest));
    *pnRequest = 0;
    request.m_nCode = code;
    VARIANT *parameters[] = {&request.Param1, &request.Param2, &request.Param3};
    int index = 0;
    for (const QueryArgument &argument : arguments) {
        ASSERT(index < 3);
        HRESULT hr = SetParameter(*parameters[index++], argument);
        if (FAILED(hr))
            return hr;
    }
    CSymbolEngine *engine = m_EngineHolder.GetEngine();
    if (engine == nullptr)
        return QEL_E_SYMBOL_REQUEST;
    *pnRequest = engine->Submit(request);
    return *pnRequest != 0 ? S_OK : QEL_E_SYMBOL_REQUEST;
}

STDMETHODIMP CQelSymbolServer::LoadFile(BSTR bsFile, LONG nProgramID, LONG nHwnd, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    // The loader reads the window before the program identifier.
    return SubmitQuery(RequestCodeLoadFile, pnRequest,
                       {TextArgument(bsFile), NumberArgument(nHwnd), NumberArgument(nProgramID)});
}

STDMETHODIMP CQelSymbolServer::UnloadFile(LONG nID, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(RequestCodeUnloadFile, pnRequest, {NumberArgument(nID)});
}

STDMETHODIMP CQelSymbolServer::DefineCodeSection(BSTR bsDescription, VARIANT *vnBytes, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(RequestCodeDefineCodeSection, pnRequest, {TextArgument(bsDescription), CopyArgument(vnBytes)});
}

STDMETHODIMP CQelSymbolServer::UndefineCodeSection(BSTR bsDescription, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(RequestCodeUndefineCodeSection, pnRequest, {TextArgument(bsDescription)});
}

STDMETHODIMP CQelSymbolServer::Sections(int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(0, pnRequest);
}

STDMETHODIMP CQelSymbolServer::SectionByName(BSTR bsName, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(1, pnRequest, {TextArgument(bsName)});
}

STDMETHODIMP CQelSymbolServer::SectionByAddress(LONG nAddressMode, LONG nAddressValue, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(2, pnRequest, {NumberArgument(nAddressMode), NumberArgument(nAddressValue)});
}

STDMETHODIMP CQelSymbolServer::SourceFiles(int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(100, pnRequest);
}

STDMETHODIMP CQelSymbolServer::SourceFileByPath(BSTR bsPath, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(101, pnRequest, {TextArgument(bsPath)});
}

STDMETHODIMP CQelSymbolServer::SourceFileByAddress(LONG nAddressMode, LONG nAddressValue, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(102, pnRequest, {NumberArgument(nAddressMode), NumberArgument(nAddressValue)});
}

STDMETHODIMP CQelSymbolServer::SourceFileLines(LONG nAddressMode, LONG nAddressValue, LONG nLength, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(103, pnRequest,
                       {NumberArgument(nAddressMode), NumberArgument(nAddressValue), NumberArgument(nLength)});
}

STDMETHODIMP CQelSymbolServer::SourceLineRangesByAddress(LONG nAddressMode, LONG nAddressValue, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(302, pnRequest, {NumberArgument(nAddressMode), NumberArgument(nAddressValue)});
}

STDMETHODIMP CQelSymbolServer::Functions(int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(200, pnRequest);
}

STDMETHODIMP CQelSymbolServer::FunctionByName(BSTR bsName, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(201, pnRequest, {NameArgument(bsName)});
}

STDMETHODIMP CQelSymbolServer::FunctionByAddress(LONG nAddressMode, LONG nAddressValue, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(202, pnRequest, {NumberArgument(nAddressMode), NumberArgument(nAddressValue)});
}

STDMETHODIMP CQelSymbolServer::FunctionsOfSourceFile(BSTR bsPath, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(203, pnRequest, {TextArgument(bsPath)});
}

STDMETHODIMP CQelSymbolServer::SourceLinesOfSourceFile(BSTR bsPath, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(301, pnRequest, {TextArgument(bsPath)});
}

STDMETHODIMP CQelSymbolServer::Globals(BSTR bsName, BSTR bsPathName, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(401, pnRequest, {NameArgument(bsName), TextArgument(bsPathName)});
}

STDMETHODIMP CQelSymbolServer::GlobalsInScope(LONG nAddressMode, LONG nAddressValue, BSTR bsName, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(402, pnRequest,
                       {NumberArgument(nAddressMode), NumberArgument(nAddressValue), NameArgument(bsName)});
}

STDMETHODIMP CQelSymbolServer::Statics(BSTR bsName, BSTR bsPathName, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(403, pnRequest, {NameArgument(bsName), TextArgument(bsPathName)});
}

STDMETHODIMP CQelSymbolServer::StaticsInScope(LONG nAddressMode, LONG nAddressValue, BSTR bsName, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(404, pnRequest,
                       {NumberArgument(nAddressMode), NumberArgument(nAddressValue), NameArgument(bsName)});
}

STDMETHODIMP CQelSymbolServer::LocalsInScope(LONG nAddressMode, LONG nAddressValue, BSTR bsName, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(405, pnRequest,
                       {NumberArgument(nAddressMode), NumberArgument(nAddressValue), NameArgument(bsName)});
}

STDMETHODIMP CQelSymbolServer::VariableWithScope(BSTR bsName, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(406, pnRequest, {TextArgument(bsName)});
}

STDMETHODIMP CQelSymbolServer::Parameters(LONG nAddressMode, LONG nAddressValue, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(407, pnRequest, {NumberArgument(nAddressMode), NumberArgument(nAddressValue)});
}

STDMETHODIMP CQelSymbolServer::VariableByIndex(LONG nSymbolIndex, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(408, pnRequest, {NumberArgument(nSymbolIndex)});
}

STDMETHODIMP CQelSymbolServer::VariablesInScope(LONG nAddressMode, LONG nAddressValue, BSTR bsName, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(409, pnRequest,
                       {NumberArgument(nAddressMode), NumberArgument(nAddressValue), NameArgument(bsName)});
}

STDMETHODIMP CQelSymbolServer::Type(BSTR bsName, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(500, pnRequest, {TextArgument(bsName)});
}

STDMETHODIMP CQelSymbolServer::MembersOfType(LONG nTypeIndex, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(501, pnRequest, {NumberArgument(nTypeIndex)});
}

STDMETHODIMP CQelSymbolServer::Lifetime(LONG nSymbolIndex, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(600, pnRequest, {NumberArgument(nSymbolIndex)});
}

STDMETHODIMP CQelSymbolServer::VarEdMapping(LONG nSymbolIndex, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(601, pnRequest, {NumberArgument(nSymbolIndex)});
}

STDMETHODIMP CQelSymbolServer::CodeLabel(BSTR bsName, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(700, pnRequest, {NameArgument(bsName)});
}

STDMETHODIMP CQelSymbolServer::DataLabel(BSTR bsName, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(701, pnRequest, {TextArgument(bsName)});
}

STDMETHODIMP CQelSymbolServer::StartupLabels(LONG nID, BSTR bsMainFunction, BSTR bsEntryPoint, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(702, pnRequest,
                       {NumberArgument(nID), TextArgument(bsMainFunction), TextArgument(bsEntryPoint)});
}

STDMETHODIMP CQelSymbolServer::BreakpointDescription(LONG nAddressMode, LONG nAddressValue, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(RequestCodeBreakpointDescription, pnRequest,
                       {NumberArgument(nAddressMode), NumberArgument(nAddressValue)});
}

STDMETHODIMP CQelSymbolServer::BreakpointAddresses(LONG nID, BSTR bsDescription, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(RequestCodeBreakpointAddresses, pnRequest, {NumberArgument(nID), TextArgument(bsDescription)});
}

STDMETHODIMP CQelSymbolServer::RegisterMap(int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(800, pnRequest);
}

STDMETHODIMP CQelSymbolServer::VarEdVariables(int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(900, pnRequest);
}

STDMETHODIMP CQelSymbolServer::Location(LONG nAddressMode, LONG nAddressValue, int *pnRequest)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return SubmitQuery(4000, pnRequest, {NumberArgument(nAddressMode), NumberArgument(nAddressValue)});
}
