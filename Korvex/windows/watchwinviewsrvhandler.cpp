#include "watchwinviewsrvhandler.h"

#include <qelsymbol.h>
#include <qelwatch.h>
#include <viewsrvitemobj.h>

IMPLEMENT_DYNCREATE(CWatchWinViewSrvHandler, CBasicOleTarCmdHndl)

namespace {

enum : DWORD {
    kCmdOpenWatch = 70,
    kCmdAddWatchSymbol = 71,
    kCmdDeleteWatch = 72,
    kCmdVarEdChanged = 97,
};

const OLECMDTARHNDLENTRY g_watchCommands[] = {
    {kCmdOpenWatch, OLECMDTARHNDL_FNC(&CBasicOleTarCmdHndl::OpenViewCommand), nullptr, -1, -1, -1, "StdQelWatchWin",
     RUNTIME_CLASS(CViewSrvItemObj), 0, nullptr, nullptr, 0, 1, 0},
    {kCmdAddWatchSymbol, OLECMDTARHNDL_FNC(&CWatchWinViewSrvHandler::AddWatchSymbol), nullptr, -1, -1, -1, nullptr,
     nullptr, 0, nullptr, nullptr, 0, 0, 0},
    {kCmdVarEdChanged, OLECMDTARHNDL_FNC(&CWatchWinViewSrvHandler::VarEdChanged), nullptr, -1, -1, -1, nullptr, nullptr,
     0, nullptr, nullptr, 0, 0, 0},
    {kCmdDeleteWatch, OLECMDTARHNDL_FNC(&CWatchWinViewSrvHandler::DeleteWatch), nullptr, -1, -1, -1, nullptr, nullptr,
     0, nullptr, nullptr, 0, 0, 0},
    {0, nullptr, nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0},
};

// The watch interface of `view`: S_OK with it, E_NOINTERFACE (the view is passed over),
// or the failure that ends the command.
HRESULT QueryWatch(IUnknown *view, CComPtr<IQelWatch> &watch)
{
    HRESULT hr = view->QueryInterface(IID_IQelWatch, reinterpret_cast<void **>(&watch));
    if (SUCCEEDED(hr) && !watch)
        return E_NOINTERFACE;
    return hr;
}

} // namespace

CWatchWinViewSrvHandler::CWatchWinViewSrvHandler()
{
    InitCommandArrays(FALSE);
}

CWatchWinViewSrvHandler::~CWatchWinViewSrvHandler() = default;

const OLECMDTARHNDLENTRY *CWatchWinViewSrvHandler::GetCommandTable()
{
    return g_watchCommands;
}

const GUID *CWatchWinViewSrvHandler::GetClassGuid()
{
    return &CLSID_QelSymbol;
}

CViewSrvInstObj *CWatchWinViewSrvHandler::FirstInstance() const
{
    CViewSrvItemObj *item = GetFirstItemObj();
    if (!item)
        return nullptr;
    for (POSITION position = item->GetInstances().GetHeadPosition(); position;) {
        if (CViewSrvInstObj *instance = item->GetInstances().GetNext(position))
            return instance;
    }
    return nullptr;
}

// The answer goes into the caller's first output value, so a caller without one is
// refused before anything opens.
HRESULT CWatchWinViewSrvHandler::AddWatchSymbol(CVariantArray *in, CVariantArray *out)
{
    if (!out || out->GetSize() < 1 || !in || in->GetSize() < 1 || (*in)[0].GetValue().vt != VT_I4)
        return E_INVALIDARG;
    LONG id = in->GetI4(0);
    CViewSrvItemObj *item = GetFirstItemObj();
    if (!item)
        return S_OK;
    LONG answer = 1;
    CViewSrvInstObj *instance = FirstInstance();
    if (!instance) {
        if (id == 0) {
            answer = 0;
        } else {
            CViewSrvInstObj *opened = nullptr;
            item->OpenView(&opened);
        }
    } else if (IUnknown *view = instance->GetView()) {
        CComPtr<IQelWatch> watch;
        HRESULT hr = QueryWatch(view, watch);
        if (FAILED(hr) && hr != E_NOINTERFACE)
            return hr;
        if (watch) {
            // The window's own id of the new entry is not passed on.
            LONG added = 0;
            watch->AddWatchSymbol(id, &added);
            answer = 0;
        }
    }
    (*out)[0].SetValue(CComVariant(answer));
    return S_OK;
}

HRESULT CWatchWinViewSrvHandler::DeleteWatch(CVariantArray *in, CVariantArray *)
{
    if (!in || in->GetSize() < 1 || (*in)[0].GetValue().vt != VT_I4)
        return E_INVALIDARG;
    LONG id = in->GetI4(0);
    CViewSrvInstObj *instance = FirstInstance();
    if (!instance || !instance->GetView())
        return S_OK;
    CComPtr<IQelWatch> watch;
    HRESULT hr = QueryWatch(instance->GetView(), watch);
    if (FAILED(hr) && hr != E_NOINTERFACE)
        return hr;
    if (watch)
        watch->DeleteWatch(id);
    return S_OK;
}

HRESULT CWatchWinViewSrvHandler::VarEdChanged(CVariantArray *, CVariantArray *)
{
    CViewSrvItemObj *item = GetFirstItemObj();
    if (!item)
        return S_OK;
    // The views are collected first: a window that is told may close itself.
    CArray<IUnknown *, IUnknown *> views;
    for (POSITION position = item->GetInstances().GetHeadPosition(); position;) {
        CViewSrvInstObj *instance = item->GetInstances().GetNext(position);
        if (instance && instance->GetView())
            views.Add(instance->GetView());
    }
    for (int i = 0; i < views.GetSize(); ++i) {
        if (!item->FindInstance(views[i]))
            continue;
        CComPtr<IQelWatch> watch;
        HRESULT hr = QueryWatch(views[i], watch);
        if (FAILED(hr) && hr != E_NOINTERFACE)
            return hr;
        if (watch)
            watch->VarEdChanged();
    }
    return S_OK;
}
