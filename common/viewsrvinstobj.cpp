#include "viewsrvinstobj.h"

#include "oletarcmdcaller.h"

namespace {

constexpr LPCSTR kSourceFileValue = "SourceFile";
constexpr int kMaxSourceFileLength = 1024;

} // namespace

IMPLEMENT_DYNAMIC(CViewSrvInstObj, CObject)

CViewSrvInstObj::CViewSrvInstObj(IUnknown *view, LPCSTR sourceFile, IStorage *storage)
    : m_strSourceFile(sourceFile), m_pView(view), m_pStorage(nullptr)
{
    SetStorage(storage);
    if (m_strSourceFile.IsEmpty())
        LoadSourceFile();
}

CViewSrvInstObj::~CViewSrvInstObj()
{
    ReleaseStorage();
}

void CViewSrvInstObj::SetSourceFile(LPCSTR name)
{
    m_strSourceFile = name;
    if (!m_strSourceFile.IsEmpty())
        SaveSourceFile();
}

void CViewSrvInstObj::SaveSourceFile()
{
    if (m_pStorage)
        m_pStorage->WriteString(kSourceFileValue, m_strSourceFile);
}

void CViewSrvInstObj::LoadSourceFile()
{
    if (m_pStorage)
        m_pStorage->ReadString(kSourceFileValue, "", m_strSourceFile, kMaxSourceFileLength + 1);
}

void CViewSrvInstObj::SetStorage(IStorage *storage)
{
    ReleaseStorage();
    if (storage)
        m_pStorage = new CStorage(storage);
}

void CViewSrvInstObj::ReleaseStorage()
{
    delete m_pStorage;
    m_pStorage = nullptr;
}

HRESULT CViewSrvInstObj::ExecCommand(const GUID *group, DWORD id, CVariantArray *in, CVariantArray *out)
{
    if (!m_pView)
        return E_NOINTERFACE;
    return COleTarCmdCaller(m_pView, group).Exec(id, in, out, 0);
}
