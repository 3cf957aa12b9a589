#include "htmlviewsrvitemobj.h"

#include "qelhostframe.h"
#include "oletarcmdcaller.h"
#include "viewsrvscriptregentry.h"

IMPLEMENT_DYNCREATE(CHTMLViewSrvItemObj, CViewSrvItemObj)
IMPLEMENT_DYNCREATE(CDerivedHTMLViewSrvItemObj, CHTMLViewSrvItemObj)

CHTMLViewSrvItemObj::CHTMLViewSrvItemObj()
{
    m_pCommandGroup = &CGID_QelHTMLView;
    m_nOpenCommandId = 1;
}

HRESULT CHTMLViewSrvItemObj::CreateInstance(LPCSTR sourceFile)
{
    CString file;
    CViewSrvInstObj *instance = nullptr;
    return PickSourceFile(sourceFile, file) ? OpenViewOf(file) : OpenView(&instance);
}

HRESULT CDerivedHTMLViewSrvItemObj::CreateInstance(LPCSTR sourceFile)
{
    CString file;
    CViewSrvInstObj *instance = nullptr;
    if (!PickSourceFile(sourceFile, file))
        return OpenView(&instance);
    if (FindInstanceBySourceFile(file))
        return S_OK;
    HRESULT hr = OpenView(&instance);
    if (FAILED(hr))
        return hr;
    try {
        CVariantArray in(1);
        in[0].SetString(file);
        CVariantArray out(1);
        hr = COleTarCmdCaller(m_pOwner, &CGID_QelHostCommands).Exec(QEL_HOSTCMD_DOCUMENT, &in, &out, 0);
        if (FAILED(hr))
            return hr;
        if (out.GetSize() < 1 || out[0].GetValue().vt != VT_UNKNOWN)
            return E_INVALIDARG;
        hr = ExecOpenCommand(instance, out[0].GetValue());
    } catch (const _com_error &e) {
        return e.Error();
    } catch (CException *e) {
        e->Delete();
        return E_OUTOFMEMORY;
    }
    if (SUCCEEDED(hr))
        AssignSourceFile(instance, file);
    return hr;
}

LPCSTR CDerivedHTMLViewSrvItemObj::GetDefaultSourceFile()
{
    CViewSrvScriptRegEntry entry(m_strName);
    return entry.ReadValue(m_strDefaultFile, nullptr) ? static_cast<LPCSTR>(m_strDefaultFile) : nullptr;
}
