#include "dragdrop.h"

#include "taskmem.h"

#include <globalmemory.h>
#include <windowgonehooks.h>
#include <windowinfo.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <string>

namespace {

struct Targets {
    std::mutex lock;
    std::map<HWND, IDropTarget *> byWindow;
};

Targets &AllTargets()
{
    static Targets *targets = new Targets;
    return *targets;
}

// Takes the window's target out of the table; the caller releases it.
IDropTarget *Take(HWND window)
{
    Targets &all = AllTargets();
    std::lock_guard<std::mutex> hold(all.lock);
    auto found = all.byWindow.find(window);
    if (found == all.byWindow.end())
        return nullptr;
    IDropTarget *target = found->second;
    all.byWindow.erase(found);
    return target;
}

void ReleaseTargetOfGoneWindow(HWND window)
{
    if (IDropTarget *target = Take(window))
        target->Release();
}

// The data of one drop: a copy of the text, handed out in fresh global memory each time
// it is asked for, as a clipboard's data object does.
class CTextDataObject : public IDataObject {
public:
    explicit CTextDataObject(std::string bytes) : m_bytes(std::move(bytes)) {}
    virtual ~CTextDataObject() = default;

    STDMETHOD(QueryInterface)(REFIID riid, void **ppvObject) override
    {
        if (ppvObject == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDataObject) {
            *ppvObject = static_cast<IDataObject *>(this);
            AddRef();
            return S_OK;
        }
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++m_refs; }
    STDMETHOD_(ULONG, Release)() override
    {
        ULONG refs = --m_refs;
        if (refs == 0)
            delete this;
        return refs;
    }

    STDMETHOD(GetData)(FORMATETC *format, STGMEDIUM *medium) override
    {
        if (medium == nullptr)
            return E_INVALIDARG;
        HRESULT hr = QueryGetData(format);
        if (FAILED(hr))
            return hr;
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, m_bytes.size());
        if (memory == nullptr)
            return E_OUTOFMEMORY;
        void *data = GlobalLock(memory);
        if (!m_bytes.empty())
            std::memcpy(data, m_bytes.data(), m_bytes.size());
        GlobalUnlock(memory);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHOD(QueryGetData)(FORMATETC *format) override
    {
        if (format == nullptr)
            return E_INVALIDARG;
        if (format->cfFormat != CF_TEXT || format->dwAspect != DVASPECT_CONTENT)
            return DV_E_FORMATETC;
        if ((format->tymed & TYMED_HGLOBAL) == 0)
            return DV_E_TYMED;
        return S_OK;
    }
    STDMETHOD(GetDataHere)(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
    STDMETHOD(GetCanonicalFormatEtc)(FORMATETC *, FORMATETC *) override { return E_NOTIMPL; }
    STDMETHOD(SetData)(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
    STDMETHOD(EnumFormatEtc)(DWORD, IUnknown **) override { return E_NOTIMPL; }
    STDMETHOD(DAdvise)(FORMATETC *, DWORD, IUnknown *, DWORD *) override { return E_NOTIMPL; }
    STDMETHOD(DUnadvise)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(EnumDAdvise)(IUnknown **) override { return E_NOTIMPL; }

private:
    std::atomic<ULONG> m_refs{1};
    std::string m_bytes;
};

} // namespace

void ReleaseStgMedium(LPSTGMEDIUM medium)
{
    if (medium == nullptr)
        return;
    if (medium->pUnkForRelease != nullptr) {
        medium->pUnkForRelease->Release();
    } else if (medium->tymed == TYMED_HGLOBAL) {
        GlobalFree(medium->hGlobal);
    } else if (medium->tymed == TYMED_ISTREAM && medium->pstm != nullptr) {
        medium->pstm->Release();
    } else if (medium->tymed == TYMED_ISTORAGE && medium->pstg != nullptr) {
        medium->pstg->Release();
    } else if (medium->tymed == TYMED_FILE) {
        CoTaskMemFree(medium->lpszFileName);
    }
    medium->tymed = TYMED_NULL;
    medium->pUnkForRelease = nullptr;
}

STDAPI RegisterDragDrop(HWND window, LPDROPTARGET target)
{
    if (!IsWindow(window))
        return DRAGDROP_E_INVALIDHWND;
    if (target == nullptr)
        return E_INVALIDARG;
    QelAddWindowGoneHook(ReleaseTargetOfGoneWindow);
    Targets &all = AllTargets();
    std::lock_guard<std::mutex> hold(all.lock);
    if (all.byWindow.count(window) != 0)
        return DRAGDROP_E_ALREADYREGISTERED;
    try {
        all.byWindow.emplace(window, target);
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    target->AddRef();
    return S_OK;
}

STDAPI RevokeDragDrop(HWND window)
{
    IDropTarget *target = Take(window);
    if (target == nullptr)
        return DRAGDROP_E_NOTREGISTERED;
    target->Release();
    return S_OK;
}

HRESULT QelDropText(HWND window, const void *bytes, SIZE_T size, QEL_DROP_EFFECTS *effects)
{
    IDropTarget *target = nullptr;
    {
        Targets &all = AllTargets();
        std::lock_guard<std::mutex> hold(all.lock);
        auto found = all.byWindow.find(window);
        if (found == all.byWindow.end())
            return DRAGDROP_E_NOTREGISTERED;
        target = found->second;
        target->AddRef();
    }
    CTextDataObject *data = nullptr;
    try {
        data = new CTextDataObject(std::string(static_cast<const char *>(bytes), bytes != nullptr ? size : 0));
    } catch (const std::bad_alloc &) {
        target->Release();
        return E_OUTOFMEMORY;
    }
    QEL_DROP_EFFECTS answered{};
    const POINTL point{0, 0};
    answered.enter = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragEnter(data, 0, point, &answered.enter);
    answered.over = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragOver(0, point, &answered.over);
    // As the system's drag loop does, a target that refuses the data is left, not
    // dropped on.
    HRESULT hr = S_OK;
    if (answered.over == DROPEFFECT_NONE) {
        target->DragLeave();
        answered.drop = DROPEFFECT_NONE;
    } else {
        answered.drop = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        hr = target->Drop(data, 0, point, &answered.drop);
    }
    data->Release();
    target->Release();
    if (effects != nullptr)
        *effects = answered;
    return hr;
}
