#include "viewsrvitemobj.h"

#include "qelhostframe.h"
#include "regkeyman.h"
#include "viewsrvregistry.h"

#include <new>

IMPLEMENT_DYNCREATE(CViewSrvItemObj, CObject)

namespace {

constexpr DWORD kNoViewServerId = 0xFFFFFFFF;

} // namespace

CViewSrvItemObj::CViewSrvItemObj()
    : m_instances(10), m_clsid(GUID_NULL), m_nViewCat(0), m_nMultiInst(0), m_nViewServerId(kNoViewServerId),
      m_pOwner(nullptr), m_pSettings(nullptr), m_bNotify(FALSE), m_pCommandGroup(nullptr), m_nOpenCommandId(1)
{
}

CViewSrvItemObj::~CViewSrvItemObj()
{
    while (!m_instances.IsEmpty())
        delete m_instances.RemoveHead();
}

BOOL CViewSrvItemObj::ReadRegistration(LPCSTR name, LPCSTR baseName)
{
    m_strName = name;
    m_strBaseName = baseName;
    m_nViewCat = 0;
    m_nMultiInst = 0;
    if (m_strName.IsEmpty())
        return FALSE;
    CRegKeyMan servers;
    if (servers.Open(HKEY_LOCAL_MACHINE, QEL_VIEWSERVER_KEY, FALSE) != 0)
        return FALSE;
    LPCSTR clsidKey = m_strBaseName.IsEmpty() ? static_cast<LPCSTR>(m_strName) : static_cast<LPCSTR>(m_strBaseName);
    if (servers.GetCLSID(clsidKey, nullptr, &m_clsid) != 0)
        return FALSE;
    CString path = QEL_VIEWSERVER_KEY "\\";
    path += m_strName;
    CRegKeyMan own;
    if (own.Open(HKEY_LOCAL_MACHINE, path, FALSE) != 0)
        return FALSE;
    DWORD viewCat = 0;
    if (own.QueryDWORD("ViewCat", &viewCat) == 0)
        m_nViewCat = viewCat;
    return own.QueryDWORD("MultiInst", &m_nMultiInst) == 0;
}

LPCSTR CViewSrvItemObj::GetDefaultSourceFile()
{
    return nullptr;
}

HRESULT CViewSrvItemObj::CreateInstance(LPCSTR sourceFile)
{
    CString file;
    CViewSrvInstObj *instance = nullptr;
    if (!PickSourceFile(sourceFile, file))
        return OpenView(&instance);
    if (CViewSrvInstObj *showing = FindInstanceBySourceFile(file)) {
        IUnknown *view = showing->GetView();
        IStorage *storage = nullptr;
        HRESULT hr = ShowView(&view, &storage);
        if (SUCCEEDED(hr)) {
            if (view)
                view->Release();
            if (storage)
                storage->Release();
        }
        return hr;
    }
    return OpenViewOf(file);
}

BOOL CViewSrvItemObj::PickSourceFile(LPCSTR sourceFile, CString &file)
{
    // Copied: a default file lives in a buffer that later calls may fill anew.
    file = sourceFile && *sourceFile ? sourceFile : GetDefaultSourceFile();
    return !file.IsEmpty();
}

HRESULT CViewSrvItemObj::OpenViewOf(const CString &file)
{
    CViewSrvInstObj *instance = nullptr;
    HRESULT hr = OpenView(&instance);
    if (FAILED(hr))
        return hr;
    CComVariant argument(static_cast<LPCSTR>(file));
    hr = ExecOpenCommand(instance, argument);
    if (SUCCEEDED(hr))
        AssignSourceFile(instance, file);
    return hr;
}

void CViewSrvItemObj::SetRegistration(DWORD viewServerId, IUnknown *frame, IUnknown *owner, CStorage *settings)
{
    m_nViewServerId = viewServerId;
    m_frame = frame;
    m_pOwner = owner;
    m_pSettings = settings;
}

void CViewSrvItemObj::ForgetRegistration()
{
    SetRegistration(kNoViewServerId, nullptr, nullptr, nullptr);
}

HRESULT CViewSrvItemObj::GetFrame(CComPtr<IQelHostFrame> &frame) const
{
    frame.Release();
    if (!m_frame || FAILED(m_frame->QueryInterface(IID_IQelHostFrame, reinterpret_cast<void **>(&frame))) || !frame)
        return E_NOINTERFACE;
    return S_OK;
}

HRESULT CViewSrvItemObj::CloseAll()
{
    // The frame may report a view closed while it is being asked, which takes the
    // instance out of the list; so the views are collected first.
    CArray<IUnknown *, IUnknown *> views;
    for (POSITION position = m_instances.GetHeadPosition(); position;)
        views.Add(m_instances.GetNext(position)->GetView());
    for (int i = 0; i < views.GetSize(); ++i) {
        if (FindInstance(views[i]))
            CloseView(views[i]);
    }
    return m_instances.IsEmpty() ? S_OK : E_FAIL;
}

HRESULT CViewSrvItemObj::OpenView(CViewSrvInstObj **instance)
{
    if (instance)
        *instance = nullptr;
    IUnknown *view = nullptr;
    IStorage *storage = nullptr;
    HRESULT hr = ShowView(&view, &storage);
    if (FAILED(hr))
        return hr;
    CViewSrvInstObj *shown = view ? FindInstance(view) : nullptr;
    if (view && !shown) {
        try {
            shown = new CViewSrvInstObj(view, "", storage);
            m_instances.AddTail(shown);
        } catch (CException *e) {
            e->Delete();
            delete shown;
            shown = nullptr;
        } catch (const std::bad_alloc &) {
            delete shown;
            shown = nullptr;
        }
        if (shown && m_bNotify)
            NotifyFrame(shown->GetSourceFile(), TRUE);
    }
    if (view)
        view->Release();
    if (storage)
        storage->Release();
    if (instance)
        *instance = shown;
    // A frame that shows nothing has not opened a view.
    return shown ? hr : E_FAIL;
}

HRESULT CViewSrvItemObj::ShowView(IUnknown **view, IStorage **storage)
{
    if (!view || !storage)
        return E_POINTER;
    IUnknown *wanted = *view;
    *view = nullptr;
    *storage = nullptr;
    CComPtr<IQelHostFrame> frame;
    HRESULT hr = GetFrame(frame);
    if (FAILED(hr))
        return hr;
    if (m_nMultiInst == 0 && !m_instances.IsEmpty())
        wanted = m_instances.GetHead()->GetView();
    return frame->ShowView(m_nViewServerId, wanted, view, storage);
}

HRESULT CViewSrvItemObj::CloseView(IUnknown *view)
{
    CComPtr<IQelHostFrame> frame;
    HRESULT hr = GetFrame(frame);
    return FAILED(hr) ? hr : frame->CloseView(m_nViewServerId, view);
}

HRESULT CViewSrvItemObj::GetActiveView(IUnknown **view, CString &sourceFile)
{
    sourceFile.Empty();
    if (!view)
        return E_POINTER;
    *view = nullptr;
    CComPtr<IQelHostFrame> frame;
    HRESULT hr = GetFrame(frame);
    if (FAILED(hr))
        return hr;
    hr = frame->GetActiveView(m_nViewServerId, view);
    if (SUCCEEDED(hr) && *view) {
        if (CViewSrvInstObj *instance = FindInstance(*view))
            sourceFile = instance->GetSourceFile();
    }
    return hr;
}

BOOL CViewSrvItemObj::ActivateView(IUnknown *view)
{
    if (!view || !FindInstance(view))
        return FALSE;
    IStorage *storage = nullptr;
    HRESULT hr = ShowView(&view, &storage);
    if (FAILED(hr))
        return FALSE;
    if (view)
        view->Release();
    if (storage)
        storage->Release();
    return TRUE;
}

BOOL CViewSrvItemObj::ActivateBySourceFile(LPCSTR name)
{
    return ActivateView(FindViewBySourceFile(name));
}

HRESULT CViewSrvItemObj::RemoveInstance(IUnknown *view)
{
    POSITION position = view ? m_instances.Find(FindInstance(view)) : nullptr;
    if (!position)
        return E_INVALIDARG;
    CViewSrvInstObj *instance = m_instances.GetAt(position);
    m_instances.RemoveAt(position);
    if (m_bNotify)
        NotifyFrame(instance->GetSourceFile(), FALSE);
    delete instance;
    return S_OK;
}

BOOL CViewSrvItemObj::SetSourceFileOf(IUnknown *view, LPCSTR name)
{
    CViewSrvInstObj *instance = view ? FindInstance(view) : nullptr;
    if (!instance)
        return FALSE;
    AssignSourceFile(instance, name);
    return TRUE;
}

void CViewSrvItemObj::AssignSourceFile(CViewSrvInstObj *instance, LPCSTR name)
{
    CString old = instance->GetSourceFile();
    instance->SetSourceFile(name);
    if (m_bNotify && old != instance->GetSourceFile()) {
        NotifyFrame(old, FALSE);
        NotifyFrame(instance->GetSourceFile(), TRUE);
    }
}

void CViewSrvItemObj::NotifyFrame(LPCSTR sourceFile, BOOL added)
{
    CComPtr<IQelHostFrame> frame;
    if (!sourceFile || !*sourceFile || FAILED(GetFrame(frame)))
        return;
    CComBSTR file(sourceFile);
    if (file)
        frame->NotifySourceFile(file, added);
}

HRESULT CViewSrvItemObj::ExecOpenCommand(CViewSrvInstObj *instance, const VARIANT &argument)
{
    try {
        CVariantArray in(1);
        in[0].SetValue(argument);
        return instance->ExecCommand(m_pCommandGroup, m_nOpenCommandId, &in, nullptr);
    } catch (const _com_error &e) {
        return e.Error();
    } catch (CException *e) {
        e->Delete();
        return E_OUTOFMEMORY;
    }
}

CViewSrvInstObj *CViewSrvItemObj::FindInstance(IUnknown *view) const
{
    for (POSITION position = m_instances.GetHeadPosition(); position;) {
        CViewSrvInstObj *instance = m_instances.GetNext(position);
        if (instance->GetView() == view)
            return instance;
    }
    return nullptr;
}

CViewSrvInstObj *CViewSrvItemObj::FindInstanceBySourceFile(LPCSTR name) const
{
    if (!name || !*name)
        return nullptr;
    for (POSITION position = m_instances.GetHeadPosition(); position;) {
        CViewSrvInstObj *instance = m_instances.GetNext(position);
        if (instance->GetSourceFile().CompareNoCase(name) == 0)
            return instance;
    }
    return nullptr;
}

IUnknown *CViewSrvItemObj::FindViewBySourceFile(LPCSTR name) const
{
    CViewSrvInstObj *instance = FindInstanceBySourceFile(name);
    return instance ? instance->GetView() : nullptr;
}

IUnknown *CViewSrvItemObj::GetFirstView() const
{
    return m_instances.IsEmpty() ? nullptr : m_instances.GetHead()->GetView();
}
