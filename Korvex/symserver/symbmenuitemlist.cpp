#include "symbmenuitemlist.h"

#include <symbhandlerclasses.h>

CSymbMenuItemList::CSymbMenuItemList(const GUID *group) : CBasicOleTarCmdClass(group)
{
    CreateHandlers();
}

CRuntimeClass **CSymbMenuItemList::GetHandlerClasses()
{
    return SymbolServerHandlerClasses();
}
