#include "commqueuehandler.h"

#include <coexpr.h>
#include <commvariableobj.h>
#include <qelhostframe.h>

IMPLEMENT_DYNCREATE(CCommQueueRequestHandler, CBasicOleTarCmdHndl)

namespace {

// The number that command 200 takes for a variable object; the host's own communication
// objects answer the command with other numbers.
constexpr DWORD kCommVariable = 8;

const OLECMDTARHNDLENTRY g_queueCommands[] = {
    {200, OLECMDTARHNDL_FNC(&CCommQueueRequestHandler::CreateCommVariable), nullptr, -1, -1, -1, nullptr, nullptr, 0,
     nullptr, nullptr, 0, 0, 0},
    {205, OLECMDTARHNDL_FNC(&CCommQueueRequestHandler::CreateExpression), nullptr, -1, -1, -1, nullptr, nullptr, 0,
     nullptr, nullptr, 0, 0, 0},
    {0, nullptr, nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0},
};

// Hands `object` (the caller's reference) out as the first output value.
void Answer(CVariantArray *out, CComPtr<IUnknown> &object)
{
    CComVariant value(static_cast<IUnknown *>(object));
    (*out)[0].SetValue(value);
}

} // namespace

CCommQueueRequestHandler::CCommQueueRequestHandler()
{
    InitCommandArrays(FALSE);
}

CCommQueueRequestHandler::~CCommQueueRequestHandler() = default;

const OLECMDTARHNDLENTRY *CCommQueueRequestHandler::GetCommandTable()
{
    return g_queueCommands;
}

// The group that the host's communication objects share (qelhostframe.h).
const GUID *CCommQueueRequestHandler::GetClassGuid()
{
    return &CGID_QelHostCommands;
}

HRESULT CCommQueueRequestHandler::CreateCommVariable(CVariantArray *in, CVariantArray *out)
{
    if (!in || in->GetSize() < 1 || !out || out->GetSize() != 1 || (*in)[0].GetValue().vt != VT_UI4 ||
        in->GetUI4(0) != kCommVariable)
        return OLECMDERR_E_UNKNOWNGROUP;
    CComPtr<IUnknown> object;
    HRESULT hr = CreateCommVariableObject(&object);
    if (FAILED(hr))
        return hr;
    CComPtr<IQelUniCommStub> stub;
    hr = object->QueryInterface(IID_IQelUniCommStub, reinterpret_cast<void **>(&stub));
    if (FAILED(hr) && hr != E_NOINTERFACE)
        return hr; // the object goes with `object`
    if (stub)
        stub->SetOwner(m_pOwner);
    Answer(out, object);
    return S_OK;
}

HRESULT CCommQueueRequestHandler::CreateExpression(CVariantArray *, CVariantArray *out)
{
    if (!out || out->GetSize() < 1)
        return E_INVALIDARG;
    CComObject<CoExpr> *made = nullptr;
    HRESULT hr = CComObject<CoExpr>::CreateInstance(&made);
    if (FAILED(hr))
        return hr;
    CComPtr<IUnknown> object;
    hr = made->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&object));
    if (FAILED(hr)) {
        delete made;
        return hr;
    }
    CComPtr<IQelExpr2> expression;
    hr = object->QueryInterface(IID_IQelExpr2, reinterpret_cast<void **>(&expression));
    if (FAILED(hr) && hr != E_NOINTERFACE)
        return hr; // the object goes with `object`
    if (expression)
        expression->SetTarget(m_pOwner);
    Answer(out, object);
    return S_OK;
}
