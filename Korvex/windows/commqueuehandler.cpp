#include "commqueuehandler.h"

#include <coexpr.h>
#include <qelhostframe.h>

IMPLEMENT_DYNCREATE(CCommQueueRequestHandler, CBasicOleTarCmdHndl)

namespace {

const OLECMDTARHNDLENTRY g_queueCommands[] = {
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
