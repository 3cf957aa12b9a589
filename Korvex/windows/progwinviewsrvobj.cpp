#include "progwinviewsrvobj.h"

#include <hostcmdgroups.h>
#include <qelhostframe.h>

#include <cstring>
#include <vector>

IMPLEMENT_DYNCREATE(CProgWinViewSrvObj, CViewSrvItemObj)

namespace {

enum : DWORD {
    kViewShow = 10,
    kViewCloseTemporaries = 13,
    kViewShowLine = 15,
    kViewMarkLines = 18,
    kViewQuery = 21,
    kViewIpInCodeWindow = 91,
};

const char kCodeWindowPrefix[] = "<code: ";


// A view command: the values go in as copies, which the list frees.
HRESULT Send(CViewSrvInstObj *instance, DWORD id, std::initializer_list<CComVariant> values,
             CVariantArray *out = nullptr)
{
    try {
        CVariantArray in(static_cast<int>(values.size()));
        int i = 0;
        for (const CComVariant &value : values)
            in[i++].SetValue(value);
        return instance->ExecCommand(&CGID_QelProgWinView, id, values.size() != 0 ? &in : nullptr, out);
    } catch (const _com_error &e) {
        return e.Error();
    } catch (CException *e) {
        e->Delete();
        return E_OUTOFMEMORY;
    }
}

} // namespace

BOOL IsCodeWindowName(LPCSTR name)
{
    return name != nullptr && std::strncmp(name, kCodeWindowPrefix, sizeof kCodeWindowPrefix - 1) == 0;
}

CProgWinViewSrvObj::CProgWinViewSrvObj()
{
    m_pCommandGroup = &CGID_QelProgWinView;
    m_nOpenCommandId = kViewShow;
}

HRESULT CProgWinViewSrvObj::ShowFile(DWORD mode, LPCSTR file, const VARIANT &value, BOOL reuse)
{
    if (ActivateBySourceFile(file))
        return S_OK;
    CViewSrvInstObj *instance = nullptr;
    BOOL opened = FALSE;
    if (reuse && !m_instances.IsEmpty()) {
        instance = m_instances.GetHead();
        ActivateView(instance->GetView());
    } else {
        const INT_PTR before = m_instances.GetCount();
        HRESULT hr = OpenView(&instance);
        if (FAILED(hr))
            return hr;
        if (instance == nullptr)
            return E_FAIL;
        opened = m_instances.GetCount() > before;
    }
    IUnknown *view = instance->GetView();
    if (mode == 1)
        m_temporary.insert(view);
    else
        m_temporary.erase(view);
    HRESULT hr = Send(instance, kViewShow, {CComVariant(mode), CComVariant(file), CComVariant(value)});
    if (SUCCEEDED(hr)) {
        AssignSourceFile(instance, file);
    } else if (opened) {
        // A view opened for this file that cannot show it would stay empty, and the next
        // show would open yet another one beside it.
        m_temporary.erase(view);
        CloseView(view);
    }
    return hr;
}

HRESULT CProgWinViewSrvObj::OpenFileAs(LPCSTR name, LPCSTR file, BOOL keepName)
{
    CViewSrvInstObj *instance = FindInstanceBySourceFile(file);
    if (instance == nullptr)
        return E_FAIL;
    HRESULT hr = Send(instance, kViewShow, {CComVariant(keepName ? 3u : 2u), CComVariant(name), CComVariant(0u)});
    if (SUCCEEDED(hr) && keepName)
        AssignSourceFile(instance, name);
    return hr;
}

HRESULT CProgWinViewSrvObj::RegisterView(IUnknown *view, BOOL singleWindow)
{
    if (view == nullptr)
        return E_INVALIDARG;
    CViewSrvInstObj *instance = FindInstance(view);
    if (instance == nullptr) {
        IUnknown *shown = view;
        IStorage *storage = nullptr;
        HRESULT hr = ShowView(&shown, &storage);
        if (FAILED(hr))
            return hr;
        try {
            instance = new CViewSrvInstObj(shown, nullptr, storage);
            m_instances.AddTail(instance);
        } catch (CException *e) {
            e->Delete();
            delete instance;
            instance = nullptr;
        }
        if (shown)
            shown->Release();
        if (storage)
            storage->Release();
        if (instance == nullptr)
            return E_OUTOFMEMORY;
    }
    const CString file = instance->GetSourceFile();
    if (file.IsEmpty())
        return S_OK;
    const DWORD mode = IsCodeWindowName(file) ? (singleWindow ? 3 : 2) : (singleWindow ? 4 : 0);
    return Send(instance, kViewShow, {CComVariant(mode), CComVariant(static_cast<LPCSTR>(file)), CComVariant(0u)});
}

HRESULT CProgWinViewSrvObj::RemoveView(IUnknown *view)
{
    if (view == nullptr) {
        m_temporary.clear();
        return CloseAll();
    }
    // A later view may come at the same address; it is no temporary one.
    m_temporary.erase(view);
    return RemoveInstance(view);
}

HRESULT CProgWinViewSrvObj::MarkLines(LPCSTR file, DWORD flag, DWORD line, DWORD kind)
{
    if (CViewSrvInstObj *instance = FindInstanceBySourceFile(file))
        return Send(instance, kViewMarkLines, {CComVariant(flag), CComVariant(line), CComVariant(kind)});
    HRESULT result = S_OK;
    for (POSITION position = m_instances.GetHeadPosition(); position;) {
        HRESULT hr = Send(m_instances.GetNext(position), kViewMarkLines, {CComVariant(flag), CComVariant(line), CComVariant(kind)});
        if (FAILED(hr))
            result = hr;
    }
    return result;
}

HRESULT CProgWinViewSrvObj::ShowLine(LPCSTR file, DWORD line, DWORD value, LPCSTR name)
{
    const CComVariant nameValue(name != nullptr ? name : "");
    if (file != nullptr && file[0] != '\0') {
        CViewSrvInstObj *instance = FindInstanceBySourceFile(file);
        if (instance == nullptr)
            return E_FAIL;
        ActivateView(instance->GetView());
        return Send(instance, kViewShowLine, {CComVariant(line), CComVariant(value), nameValue});
    }
    HRESULT result = S_OK;
    for (POSITION position = m_instances.GetHeadPosition(); position;) {
        HRESULT hr = Send(m_instances.GetNext(position), kViewShowLine, {CComVariant(line), CComVariant(value), nameValue});
        if (FAILED(hr))
            result = hr;
    }
    return result;
}

HRESULT CProgWinViewSrvObj::ToAllViews(DWORD id, CVariantArray *in)
{
    HRESULT result = S_OK;
    for (POSITION position = m_instances.GetHeadPosition(); position;) {
        HRESULT hr = m_instances.GetNext(position)->ExecCommand(&CGID_QelProgWinView, id, in, nullptr);
        if (FAILED(hr))
            result = hr;
    }
    return result;
}

void CProgWinViewSrvObj::CloseTemporaries()
{
    std::vector<IUnknown *> closing;
    for (POSITION position = m_instances.GetHeadPosition(); position;) {
        CViewSrvInstObj *instance = m_instances.GetNext(position);
        if (IsTemporary(instance->GetView()))
            closing.push_back(instance->GetView());
        else
            Send(instance, kViewCloseTemporaries, {});
    }
    // The frame reports each closed view back (command 10 with 16), which may change the
    // list meanwhile.
    for (IUnknown *view : closing) {
        if (FindInstance(view) != nullptr)
            CloseView(view);
    }
}

CViewSrvInstObj *CProgWinViewSrvObj::Target(LPCSTR file)
{
    if (file != nullptr)
        return FindInstanceBySourceFile(file);
    CComPtr<IUnknown> view;
    CString shown;
    if (FAILED(GetActiveView(&view, shown)) || view == nullptr)
        return nullptr;
    return FindInstance(view);
}

HRESULT CProgWinViewSrvObj::Query(LPCSTR file, CString &shown, LONG values[3])
{
    CViewSrvInstObj *instance = Target(file);
    if (instance == nullptr)
        return E_INVALIDARG;
    try {
        CVariantArray out(3);
        HRESULT hr = instance->ExecCommand(&CGID_QelProgWinView, kViewQuery, nullptr, &out);
        if (FAILED(hr))
            return hr;
        if (out.GetSize() != 3)
            return E_INVALIDARG;
        for (int i = 0; i < 3; ++i)
            values[i] = out.GetI4(i);
    } catch (const _com_error &e) {
        return e.Error();
    } catch (CException *e) {
        e->Delete();
        return E_OUTOFMEMORY;
    }
    shown = instance->GetSourceFile();
    return S_OK;
}

HRESULT CProgWinViewSrvObj::FileCommand(DWORD id, LPCSTR file)
{
    CViewSrvInstObj *instance = Target(file);
    if (instance == nullptr)
        return E_INVALIDARG;
    return Send(instance, id, {});
}

CViewSrvInstObj *CProgWinViewSrvObj::FindCodeWindow() const
{
    for (POSITION position = m_instances.GetHeadPosition(); position;) {
        CViewSrvInstObj *instance = m_instances.GetNext(position);
        if (IsCodeWindowName(instance->GetSourceFile()))
            return instance;
    }
    return nullptr;
}

HRESULT CProgWinViewSrvObj::IpInCodeWindow(DWORD address)
{
    CViewSrvInstObj *instance = FindCodeWindow();
    if (instance == nullptr)
        return E_FAIL;
    return Send(instance, kViewIpInCodeWindow, {CComVariant(address), CComVariant(0u)});
}

void CProgWinViewSrvObj::CloseFile(LPCSTR file)
{
    if (IUnknown *view = FindViewBySourceFile(file))
        CloseView(view);
}
