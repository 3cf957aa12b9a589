#include "symbmenuitemlist.h"

namespace {

CRuntimeClass *g_handlerClasses[] = {nullptr};

} // namespace

CSymbMenuItemList::CSymbMenuItemList(const GUID *group) : CBasicOleTarCmdClass(group)
{
    CreateHandlers();
}

CRuntimeClass **CSymbMenuItemList::GetHandlerClasses()
{
    return g_handlerClasses;
}
