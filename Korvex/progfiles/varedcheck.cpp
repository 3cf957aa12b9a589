#include "varedcheck.h"

#include <hostinterfaces.h>
#include <qelsymbsrv.h>

#include "hostquery.h"

namespace {

const char kSource[] = "QelSymbolEngine";

BOOL IsVarEdOn(IUnknown *host)
{
    if (host == nullptr)
        return FALSE;
    CComPtr<IQelSymbSrv> symbolServer = QueryOptional<IQelSymbSrv>(host);
    if (symbolServer == nullptr)
        return FALSE;
    // The setting comes back as a number in place of an object: nothing to release.
    IUnknown *setting = nullptr;
    if (FAILED(symbolServer->Synchronize(SYF_GET_GLOBAL_VARED, &setting)))
        return FALSE;
    return reinterpret_cast<UINT_PTR>(setting) == 1;
}

void ShowSyntaxError(IUnknown *host, const CString &line)
{
    HWND owner = nullptr;
    if (host != nullptr) {
        CComPtr<IQelHostHolder> holder = QueryOptional<IQelHostHolder>(host);
        if (holder != nullptr) {
            LONG noBoxes = 0;
            if (SUCCEEDED(holder->GetNoMessageBoxes(&noBoxes)) && noBoxes != 0)
                return;
            if (FAILED(holder->GetOwnerWindow(&owner)))
                owner = nullptr;
        }
    }
    if (owner == nullptr)
        owner = GetDesktopWindow();
    CString text;
    text.Format("Line: \"%s\"", static_cast<LPCSTR>(line));
    MessageBox(owner, text, "Syntax error in 'VarEd_Info' section", MB_OK);
}

} // namespace

void CheckVarEdInfo(IUnknown *host, const BYTE *section, DWORD size, CVarEdStatements &statements,
                    CQelDiagHelper &diag)
{
    if (!IsVarEdOn(host))
        return;
    const BOOL trace = diag.GetLevel() != 0;
    if (section == nullptr) {
        if (trace) {
            diag.TraceWarningFrom(kSource, "VarEd (RB) feature is activated but no 'VarEd_Info' section found.");
            diag.TraceWarningFrom(kSource, "Use Menu 'Config/Debug Server Configuration/Symbol' to switch off VarEd "
                                           "(RB) feature.");
        }
        return;
    }
    CString line;
    if (statements.Parse(section, size, &line)) {
        if (trace)
            diag.TraceInfoFrom(kSource, "Valid 'VarEd_Info' section found.");
        return;
    }
    ShowSyntaxError(host, line);
    if (trace)
        diag.TraceWarningFrom(kSource, "Ignore wrong 'VarEd_Info' section.");
}
