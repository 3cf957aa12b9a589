// Fetching finished requests, registering callbacks and delivering the results.
#include "symbolprocessing.h"
#include "tagtransfer.h"

namespace {

constexpr int kFinishedWithoutNotice = static_cast<int>(0x80000000u);

} // namespace

void CSymbolProcessing::ForgetFetched(int requestId, HRESULT hr)
{
    // The server gives a finished request away on the first fetch, failed or not. A
    // synchronous one has always finished, so after any fetch there is nothing left to
    // delete; an asynchronous one refused may still be running and stays ours.
    if (SUCCEEDED(hr) || (requestId & kFinishedWithoutNotice) != 0)
        m_issued.erase(requestId);
}

template <class Records>
BOOL CSymbolProcessing::FetchRecords(int requestId, Records &records,
                                     HRESULT (STDMETHODCALLTYPE IQelSymbol::*get)(int, VARIANT *, VARIANT *))
{
    if (m_pSymbol == nullptr) {
        NoCallPossible();
        return FALSE;
    }
    VARIANT names, numbers;
    VariantInit(&names);
    VariantInit(&numbers);
    HRESULT hr = (m_pSymbol->*get)(requestId, &names, &numbers);
    KeepResult(hr);
    ForgetFetched(requestId, hr);
    BOOL fetched = FALSE;
    if (SUCCEEDED(hr)) {
        fetched = SUCCEEDED(UnpackTagRecords(names, numbers, records));
    }
    FreeTransferVariant(&names);
    FreeTransferVariant(&numbers);
    return fetched;
}

template <class Records>
BOOL CSymbolProcessing::FetchNumbers(int requestId, Records &records,
                                     HRESULT (STDMETHODCALLTYPE IQelSymbol::*get)(int, VARIANT *))
{
    if (m_pSymbol == nullptr) {
        NoCallPossible();
        return FALSE;
    }
    VARIANT numbers;
    VariantInit(&numbers);
    HRESULT hr = (m_pSymbol->*get)(requestId, &numbers);
    KeepResult(hr);
    ForgetFetched(requestId, hr);
    BOOL fetched = FALSE;
    if (SUCCEEDED(hr)) {
        fetched = SUCCEEDED(UnpackTagRecords(numbers, records));
    }
    FreeTransferVariant(&numbers);
    return fetched;
}

BOOL CSymbolProcessing::GetProgramInfo(int requestId, IUnknown **programInfo)
{
    if (programInfo == nullptr)
        return FALSE;
    *programInfo = nullptr;
    if (m_pSymbol == nullptr) {
        NoCallPossible();
        return FALSE;
    }
    HRESULT hr = m_pSymbol->GetProgramInfo(requestId, programInfo);
    KeepResult(hr);
    ForgetFetched(requestId, hr);
    if (FAILED(hr) && *programInfo != nullptr) {
        (*programInfo)->Release();
        *programInfo = nullptr;
    }
    return SUCCEEDED(hr) && *programInfo != nullptr;
}

BOOL CSymbolProcessing::GetSections(int requestId, CSectionTagArray &records)
{
    return FetchRecords(requestId, records, &IQelSymbol::GetSections);
}

BOOL CSymbolProcessing::GetSourceFiles(int requestId, CSourceFileTagArray &records)
{
    return FetchRecords(requestId, records, &IQelSymbol::GetSourceFiles);
}

BOOL CSymbolProcessing::GetFunctions(int requestId, CFunctionTagArray &records)
{
    return FetchRecords(requestId, records, &IQelSymbol::GetFunctions);
}

BOOL CSymbolProcessing::GetSourceLines(int requestId, CSourceLineTagArray &records)
{
    return FetchNumbers(requestId, records, &IQelSymbol::GetSourceLines);
}

BOOL CSymbolProcessing::GetVariables(int requestId, CVariableTagArray &records)
{
    return FetchRecords(requestId, records, &IQelSymbol::GetVariables);
}

BOOL CSymbolProcessing::GetMembers(int requestId, CMemberTagArray &records)
{
    return FetchRecords(requestId, records, &IQelSymbol::GetMembers);
}

BOOL CSymbolProcessing::GetLifetime(int requestId, CLifetimeTagArray &records)
{
    return FetchNumbers(requestId, records, &IQelSymbol::GetLifetime);
}

BOOL CSymbolProcessing::GetLabels(int requestId, CLabelTagArray &records)
{
    return FetchRecords(requestId, records, &IQelSymbol::GetLabels);
}

BOOL CSymbolProcessing::GetRegisterMap(int requestId, CRegisterMapTagArray &records)
{
    return FetchRecords(requestId, records, &IQelSymbol::GetRegisterMap);
}

BOOL CSymbolProcessing::GetVarEdVariables(int requestId, CVarEdTagArray &records)
{
    return FetchNumbers(requestId, records, &IQelSymbol::GetVarEdVariables);
}

BOOL CSymbolProcessing::GetLocation(int requestId, LocationTag &location)
{
    return FetchRecords(requestId, location, &IQelSymbol::GetLocation);
}

namespace {

template <class Callback>
SymbolRequestTag MakeTag(UINT kind, UINT style, Callback callback, DWORD_PTR context)
{
    SymbolRequestTag tag;
    tag.Kind = kind;
    tag.Style = style;
    tag.Callback = reinterpret_cast<SymbolRequestCallback>(callback);
    tag.Context = context;
    return tag;
}

} // namespace

#define QEL_REGISTER_CALLBACK(name, type, kind, style)                                        \
    BOOL CSymbolProcessing::name(int id, type cb, DWORD_PTR context)                          \
    {                                                                                         \
        return AddRequest(id, MakeTag(kind, style, cb, context));                             \
    }

QEL_REGISTER_CALLBACK(RegisterProgramInfoCallback, ResultCallback<const ProgramLoadResult>, kSymbolProgramInfo, kCallResult)
QEL_REGISTER_CALLBACK(RegisterProgramInfoCallbackWithId, IdResultCallback<const ProgramLoadResult>, kSymbolProgramInfo, kCallIdResult)
QEL_REGISTER_CALLBACK(RegisterSectionsCallback, ResultCallback<CSectionTagArray>, kSymbolSections, kCallResult)
QEL_REGISTER_CALLBACK(RegisterSectionsCallbackWithId, IdResultCallback<CSectionTagArray>, kSymbolSections, kCallIdResult)
QEL_REGISTER_CALLBACK(RegisterSourceFilesCallback, ResultCallback<CSourceFileTagArray>, kSymbolSourceFiles, kCallResult)
QEL_REGISTER_CALLBACK(RegisterSourceFilesCallbackWithId, IdResultCallback<CSourceFileTagArray>, kSymbolSourceFiles, kCallIdResult)
QEL_REGISTER_CALLBACK(RegisterFunctionsCallback, ResultCallback<CFunctionTagArray>, kSymbolFunctions, kCallResult)
QEL_REGISTER_CALLBACK(RegisterFunctionsCallbackWithId, IdResultCallback<CFunctionTagArray>, kSymbolFunctions, kCallIdResult)
QEL_REGISTER_CALLBACK(RegisterSourceLinesCallback, ResultCallback<CSourceLineTagArray>, kSymbolSourceLines, kCallResult)
QEL_REGISTER_CALLBACK(RegisterSourceLinesCallbackWithId, IdResultCallback<CSourceLineTagArray>, kSymbolSourceLines, kCallIdResult)
QEL_REGISTER_CALLBACK(RegisterVariablesCallback, ResultCallback<CVariableTagArray>, kSymbolVariables, kCallResult)
QEL_REGISTER_CALLBACK(RegisterVariablesCallbackWithId, IdResultCallback<CVariableTagArray>, kSymbolVariables, kCallIdResult)
QEL_REGISTER_CALLBACK(RegisterVariablesRawCallback, RawCallback, kSymbolVariables, kCallRaw)
QEL_REGISTER_CALLBACK(RegisterVariablesRawCallbackWithId, IdRawCallback, kSymbolVariables, kCallIdRaw)
QEL_REGISTER_CALLBACK(RegisterMembersCallback, ResultCallback<CMemberTagArray>, kSymbolMembers, kCallResult)
QEL_REGISTER_CALLBACK(RegisterMembersCallbackWithId, IdResultCallback<CMemberTagArray>, kSymbolMembers, kCallIdResult)
QEL_REGISTER_CALLBACK(RegisterMembersRawCallback, RawCallback, kSymbolMembers, kCallRaw)
QEL_REGISTER_CALLBACK(RegisterMembersRawCallbackWithId, IdRawCallback, kSymbolMembers, kCallIdRaw)
QEL_REGISTER_CALLBACK(RegisterLifetimeCallback, ResultCallback<CLifetimeTagArray>, kSymbolLifetime, kCallResult)
QEL_REGISTER_CALLBACK(RegisterLifetimeCallbackWithId, IdResultCallback<CLifetimeTagArray>, kSymbolLifetime, kCallIdResult)
QEL_REGISTER_CALLBACK(RegisterLifetimeRawCallback, RawNumbersCallback, kSymbolLifetime, kCallRaw)
QEL_REGISTER_CALLBACK(RegisterLifetimeRawCallbackWithId, IdRawNumbersCallback, kSymbolLifetime, kCallIdRaw)
QEL_REGISTER_CALLBACK(RegisterLabelsCallback, ResultCallback<CLabelTagArray>, kSymbolLabels, kCallResult)
QEL_REGISTER_CALLBACK(RegisterLabelsCallbackWithId, IdResultCallback<CLabelTagArray>, kSymbolLabels, kCallIdResult)
QEL_REGISTER_CALLBACK(RegisterRegisterMapCallback, ResultCallback<CRegisterMapTagArray>, kSymbolRegisterMap, kCallResult)
QEL_REGISTER_CALLBACK(RegisterRegisterMapCallbackWithId, IdResultCallback<CRegisterMapTagArray>, kSymbolRegisterMap, kCallIdResult)
QEL_REGISTER_CALLBACK(RegisterVarEdVariablesCallback, ResultCallback<CVarEdTagArray>, kSymbolVarEdVariables, kCallResult)
QEL_REGISTER_CALLBACK(RegisterVarEdVariablesCallbackWithId, IdResultCallback<CVarEdTagArray>, kSymbolVarEdVariables, kCallIdResult)
QEL_REGISTER_CALLBACK(RegisterLocationCallback, ResultCallback<LocationTag>, kSymbolLocation, kCallResult)
QEL_REGISTER_CALLBACK(RegisterLocationCallbackWithId, IdResultCallback<LocationTag>, kSymbolLocation, kCallIdResult)

#undef QEL_REGISTER_CALLBACK

BOOL CSymbolProcessing::AddRequest(int requestId, const SymbolRequestTag &tag)
{
    if (requestId == 0)
        return FALSE;
    SymbolRequestTag stored = tag;
    m_requests.SetAt(requestId, stored);
    // A request made without a requester has been run already; one whose notice came
    // first is finished as well.
    bool finished = (requestId & kFinishedWithoutNotice) != 0 || m_notified.erase(requestId) > 0;
    if (finished)
        ProcessRequest(requestId);
    return TRUE;
}

LRESULT CSymbolProcessing::OnRequestMessage(WPARAM, LPARAM lParam)
{
    int requestId = static_cast<int>(lParam);
    SymbolRequestTag tag;
    if (m_requests.Lookup(requestId, tag))
        ProcessRequest(requestId);
    else if (m_issued.count(requestId) != 0)
        m_notified.insert(requestId);
    return 0;
}

void CSymbolProcessing::ProcessRequest(int requestId)
{
    SymbolRequestTag tag;
    if (!m_requests.Lookup(requestId, tag))
        return;
    // Forgotten first: the callback may issue, register, detach or attach again, or
    // destroy the client, after which only the delivery state is left to touch.
    m_requests.RemoveKey(requestId);
    m_notified.erase(requestId);
    struct Delivering {
        std::shared_ptr<DeliveryState> state;
        ~Delivering()
        {
            if (--state->delivering > 0)
                return;
            // No handler of these windows runs any more, nor touches them as it returns.
            for (CRequestWindow *window : state->retiredWindows)
                delete window;
            state->retiredWindows.clear();
        }
    } delivering{m_delivery};
    ++delivering.state->delivering;
    Deliver(requestId, tag);
    if (delivering.state->clientAlive && m_nLastError != 0 && m_pErrorCallback != nullptr)
        m_pErrorCallback(m_errorContext);
}

template <class Records>
void CSymbolProcessing::DeliverRecords(int requestId, const SymbolRequestTag &tag,
                                       BOOL (CSymbolProcessing::*fetch)(int, Records &))
{
    Records records;
    if (!(this->*fetch)(requestId, records))
        return;
    if (tag.Style == kCallResult)
        reinterpret_cast<ResultCallback<Records>>(tag.Callback)(&records, tag.Context);
    else if (tag.Style == kCallIdResult)
        reinterpret_cast<IdResultCallback<Records>>(tag.Callback)(requestId, &records, tag.Context);
}

void CSymbolProcessing::DeliverLoad(int requestId, const SymbolRequestTag &tag)
{
    ProgramLoadResult result;
    if (!m_loads.Lookup(requestId, result))
        result.ProgramId = 0;
    m_loads.RemoveKey(requestId);
    CComPtr<IUnknown> programInfo;
    result.Status = GetProgramInfo(requestId, &programInfo) ? 0 : ProgramLoadResult::kLoadFailed;
    // Nothing of the object goes into the result; the client lets it go here.
    programInfo.Release();
    if (tag.Style == kCallResult)
        reinterpret_cast<ResultCallback<const ProgramLoadResult>>(tag.Callback)(&result, tag.Context);
    else if (tag.Style == kCallIdResult)
        reinterpret_cast<IdResultCallback<const ProgramLoadResult>>(tag.Callback)(requestId, &result, tag.Context);
}

void CSymbolProcessing::DeliverRaw(int requestId, const SymbolRequestTag &tag)
{
    if (m_pSymbol == nullptr) {
        NoCallPossible();
        return;
    }
    VARIANT names, numbers;
    VariantInit(&names);
    VariantInit(&numbers);
    HRESULT hr;
    if (tag.Kind == kSymbolLifetime)
        hr = m_pSymbol->GetLifetime(requestId, &numbers);
    else if (tag.Kind == kSymbolVariables)
        hr = m_pSymbol->GetVariables(requestId, &names, &numbers);
    else
        hr = m_pSymbol->GetMembers(requestId, &names, &numbers);
    KeepResult(hr);
    ForgetFetched(requestId, hr);
    if (SUCCEEDED(hr)) {
        if (tag.Kind == kSymbolLifetime) {
            if (tag.Style == kCallRaw)
                reinterpret_cast<RawNumbersCallback>(tag.Callback)(&numbers, tag.Context);
            else
                reinterpret_cast<IdRawNumbersCallback>(tag.Callback)(requestId, &numbers, tag.Context);
        } else if (tag.Style == kCallRaw) {
            reinterpret_cast<RawCallback>(tag.Callback)(&names, &numbers, tag.Context, 0);
        } else {
            reinterpret_cast<IdRawCallback>(tag.Callback)(requestId, &names, &numbers, tag.Context, 0);
        }
    }
    FreeTransferVariant(&names);
    FreeTransferVariant(&numbers);
}

void CSymbolProcessing::Deliver(int requestId, const SymbolRequestTag &tag)
{
    bool raw = tag.Style == kCallRaw || tag.Style == kCallIdRaw;
    if (raw) {
        if (tag.Kind == kSymbolVariables || tag.Kind == kSymbolMembers || tag.Kind == kSymbolLifetime)
            DeliverRaw(requestId, tag);
        return;
    }
    switch (tag.Kind) {
    case kSymbolSections:
        DeliverRecords(requestId, tag, &CSymbolProcessing::GetSections);
        break;
    case kSymbolSourceFiles:
        DeliverRecords(requestId, tag, &CSymbolProcessing::GetSourceFiles);
        break;
    case kSymbolFunctions:
        DeliverRecords(requestId, tag, &CSymbolProcessing::GetFunctions);
        break;
    case kSymbolSourceLines:
        DeliverRecords(requestId, tag, &CSymbolProcessing::GetSourceLines);
        break;
    case kSymbolVariables:
        DeliverRecords(requestId, tag, &CSymbolProcessing::GetVariables);
        break;
    case kSymbolMembers:
        DeliverRecords(requestId, tag, &CSymbolProcessing::GetMembers);
        break;
    case kSymbolLifetime:
        DeliverRecords(requestId, tag, &CSymbolProcessing::GetLifetime);
        break;
    case kSymbolLabels:
        DeliverRecords(requestId, tag, &CSymbolProcessing::GetLabels);
        break;
    case kSymbolRegisterMap:
        DeliverRecords(requestId, tag, &CSymbolProcessing::GetRegisterMap);
        break;
    case kSymbolVarEdVariables:
        DeliverRecords(requestId, tag, &CSymbolProcessing::GetVarEdVariables);
        break;
    case kSymbolLocation:
        DeliverRecords(requestId, tag, &CSymbolProcessing::GetLocation);
        break;
    case kSymbolProgramInfo:
        DeliverLoad(requestId, tag);
        break;
    default:
        // A kind the client does not know delivers nothing.
        break;
    }
}
