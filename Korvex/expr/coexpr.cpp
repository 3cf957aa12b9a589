#include "coexpr.h"

#include <comerrorinfo.h>
#include <oletarcmdcaller.h>
#include <qelhostframe.h>

namespace {

// The host's command that gives its target-access object.
constexpr DWORD kTargetAccessCommand = 202;

// The converter learns the program of core -1, the one the debugger stands in.
constexpr int kCurrentCore = -1;

} // namespace

CoExpr::CoExpr() : m_parser(CAddressValue(0, 1, 0), &m_client, CQelWatchParser::kDefaultBufferSize), m_converter(nullptr, kCurrentCore) {}

CoExpr::~CoExpr()
{
    if (m_target != nullptr)
        SetTarget(nullptr);
    // Connections made without a target cannot exist, but the sinks' own destructors
    // would come after the members they reach.
    UnadviseBoth();
    DeleteEvaluator();
    m_parser.FreeTree();
    m_targetMemory.Attach(nullptr);
    m_client.Detach();
}

HRESULT CoExpr::Create(IQelExpr2 **object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    CComObject<CoExpr> *made = nullptr;
    HRESULT hr = CComObject<CoExpr>::CreateInstance(&made);
    if (FAILED(hr))
        return hr;
    made->AddRef();
    *object = made;
    return S_OK;
}

void CoExpr::DeleteEvaluator()
{
    delete m_pExpr;
    m_pExpr = nullptr;
}

void CoExpr::UnadviseBoth()
{
    CTarStateEventSink::Unadvise();
    CQelPatternSink::Unadvise();
}

void CoExpr::AdviseForMode()
{
    if (m_lookupMode.load() == 0)
        CTarStateEventSink::Advise(m_target);
    else
        CQelPatternSink::Advise(m_target);
}

void CoExpr::LoadRegisterMap()
{
    if (m_bRegisterMapLoaded)
        return;
    m_registerMap.RemoveAll();
    m_client.GetRegisterMap(m_client.RequestRegisterMap(0), m_registerMap);
    if (m_pRegisterAccess == nullptr)
        return;
    for (int i = 0; i < m_registerMap.GetSize(); ++i) {
        CComBSTR name(static_cast<LPCSTR>(m_registerMap[i].Name));
        LONG id = -1;
        if (m_pRegisterAccess->GetRegisterId(name, &id) != S_OK)
            id = -1;
        m_registerMap[i].RegisterIndex = id;
    }
    m_bRegisterMapLoaded = TRUE;
}

STDMETHODIMP CoExpr::SetTarget(IUnknown *target)
{
    DeleteEvaluator();
    m_targetMemory.Attach(target);
    if (m_pRegisterAccess != nullptr) {
        m_pRegisterAccess->Release();
        m_pRegisterAccess = nullptr;
    }
    if (m_target != nullptr) {
        UnadviseBoth();
        m_client.Detach();
        m_target.Release();
        // Another target may number its registers otherwise.
        m_bRegisterMapLoaded = FALSE;
        m_registerMap.RemoveAll();
    }
    if (target == nullptr) {
        m_converter.Attach(nullptr, kCurrentCore);
        return S_OK;
    }
    m_target = target;
    m_client.Attach(target);
    IUnknown *access = nullptr;
    if (COleTarCmdCaller(target, &CGID_QelHostCommands).ExecForObject(kTargetAccessCommand, &access) == S_OK)
        // The host's target-access object is called by its slots and has no identifier:
        // the pointer that the command gives is that interface.
        m_pRegisterAccess = static_cast<IQelTargetAccess *>(access);
    LoadRegisterMap();
    AdviseForMode();
    m_converter.Attach(target, kCurrentCore);
    return S_OK;
}

STDMETHODIMP CoExpr::SetExpression(BSTR text)
{
    DeleteEvaluator();
    m_expression = static_cast<LPCOLESTR>(text != nullptr ? text : u"");
    m_parser.FreeTree();
    m_pTree = m_parser.Parse(m_expression);
    return m_pTree != nullptr ? S_OK : S_FALSE;
}

STDMETHODIMP CoExpr::GetExpression(BSTR *text)
{
    if (text == nullptr)
        return E_POINTER;
    *text = m_expression.AllocSysString();
    return S_OK;
}

void CoExpr::ResetValues()
{
    if (m_pTree != nullptr && m_pExpr != nullptr)
        m_pExpr->ResetValues();
}

void CoExpr::ResetSymbols()
{
    if (m_pTree != nullptr && m_pExpr != nullptr)
        m_pExpr->ResetSymbols();
}

void CoExpr::ApplyNotes()
{
    if (m_renewCore1.exchange(false))
        m_converter.QueryArchitecture(1);
    if (m_renewSymbols.exchange(false)) {
        m_renewValues = false;
        ResetSymbols();
        ResetValues();
    }
    if (m_renewValues.exchange(false))
        ResetValues();
}

STDMETHODIMP CoExpr::Evaluate(VARIANT *value)
{
    if (value == nullptr)
        return E_POINTER;
    // The caller's value may own memory (a BSTR): it is freed, not overwritten.
    const bool renew = value->vt != VT_EMPTY;
    VariantClear(value);
    SetErrorInfo(0, nullptr);
    ApplyNotes();
    if (m_pTree == nullptr)
        return E_FAIL;
    if (m_pExpr == nullptr) {
        IMemAccess *memory = m_complexMemory.IsAttached() ? static_cast<IMemAccess *>(&m_complexMemory)
                                                          : static_cast<IMemAccess *>(&m_targetMemory);
        CString scope(static_cast<LPCOLESTR>(m_scope.m_str != nullptr ? m_scope.m_str : u""));
        m_pExpr = new CExpr(m_pTree, &m_client, memory, m_pRegisterAccess, &m_registerMap, nullptr, &m_converter,
                            m_lookupMode.load(), scope);
    } else if (renew) {
        ResetValues();
    }
    if (renew && m_lookupMode.load() == 0)
        m_converter.QueryArchitecture(kCurrentCore);
    ExprValue result;
    if (!m_pExpr->GetValue(&result)) {
        // A value kept from an earlier call fails as it failed then.
        const int error = m_pExpr->GetError();
        if (error >= 0)
            SetComErrorInfo(ExprErrorText(error), "QelExpr", nullptr, nullptr, 0);
        return E_FAIL;
    }
    if (result.kind == kValueFloating) {
        value->vt = VT_R8;
        value->dblVal = result.real;
    } else {
        // Unsigned values travel in the same 32 bits.
        value->vt = VT_I4;
        value->lVal = static_cast<LONG>(result.bits);
    }
    return S_OK;
}

STDMETHODIMP CoExpr::SetMemoryObject(IUnknown *object)
{
    if (m_complexMemory.Attach(object))
        m_targetMemory.Attach(nullptr);
    return S_OK;
}

STDMETHODIMP CoExpr::get_Text(BSTR *text)
{
    if (text == nullptr)
        return E_POINTER;
    return m_text.CopyTo(text);
}

STDMETHODIMP CoExpr::put_Text(BSTR text)
{
    m_text = text;
    return S_OK;
}

STDMETHODIMP CoExpr::get_Scope(BSTR *scope)
{
    if (scope == nullptr)
        return E_POINTER;
    return m_scope.CopyTo(scope);
}

STDMETHODIMP CoExpr::put_Scope(BSTR scope)
{
    m_scope = scope;
    return S_OK;
}

STDMETHODIMP CoExpr::get_LookupMode(LONG *mode)
{
    if (mode == nullptr)
        return E_POINTER;
    *mode = m_lookupMode.load();
    return S_OK;
}

STDMETHODIMP CoExpr::put_LookupMode(LONG mode)
{
    if (mode == m_lookupMode.load())
        return S_OK;
    m_lookupMode = mode;
    ResetValues();
    if (m_target != nullptr) {
        UnadviseBoth();
        AdviseForMode();
    }
    return S_OK;
}

void CoExpr::OnTargetStateChange(ULONG, ULONG)
{
    if (m_lookupMode.load() == 0)
        m_renewValues = true;
}

void CoExpr::OnPatternEnd(ULONG first, ULONG)
{
    if (first == 1)
        m_renewCore1 = true;
    if (m_lookupMode.load() != 0)
        m_renewSymbols = true;
}
