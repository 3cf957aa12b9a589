#include "qellocals.h"

#include "talvixscripts.h"
#include "viewserverregistration.h"

#include <qelsymbol.h>

namespace {

const ViewServerDescriptor kLocalsDescriptor = {
    IDR_VIEWSERVER, &CLSID_QelLocals, &CLSID_QelSymbol, &LIBID_TALVIXLib, 1, IDS_LOCALS_TEXTS,
    205, 206, -1, 5, 7, 5, 0, 0, 0, 200, 200, 0};

} // namespace

HRESULT CQelLocals::UpdateRegistry(BOOL bRegister)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return RegisterViewServer(&kLocalsDescriptor, bRegister);
}
