#include "varnodeowner.h"

#include "../progfiles/programinfointerfaces.h"

#include <comerror.h>
#include <oletarcmdcaller.h>
#include <qelhostframe.h>
#include <qelsymbol.h>

void QelFetchTargetAccess(IUnknown *owner, CComPtr<IQelTargetAccess> &access)
{
    access.Release();
    if (owner == nullptr)
        return;
    CComPtr<IUnknown> object;
    try {
        COleTarCmdCaller caller(owner, &CGID_QelHostCommands);
        if (FAILED(caller.ExecForObject(QEL_HOSTCMD_TARGET_ACCESS, &object)))
            return;
    } catch (const _com_error &) {
        return;
    }
    // The object is called by slot on the pointer given; it answers no interface id.
    access.Attach(static_cast<IQelTargetAccess *>(object.Detach()));
}

void QelQueryProgramType(IUnknown *owner, GUID *type)
{
    CComPtr<IQelSymbol2> programs;
    if (FAILED(owner->QueryInterface(IID_IQelSymbol2, reinterpret_cast<void **>(&programs))))
        return;
    CComPtr<IUnknown> object;
    if (FAILED(programs->GetProgramInfoById(1, &object)) || object == nullptr)
        return;
    CComPtr<IProgramInfo> info;
    if (FAILED(object->QueryInterface(IID_IProgramInfo, reinterpret_cast<void **>(&info))))
        return;
    GUID answer;
    if (SUCCEEDED(info->GetInfoTypeGuid(&answer)))
        *type = answer;
}
