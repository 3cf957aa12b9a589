// CSymbMenuItemList: the symbol server's command handlers, behind its IOleCommandTarget.
//
// The handlers are made from the class table of the symbol server's windows
// (symbhandlerclasses.h), one per entry, when the list is made; the symbol server calls
// only the operations of CBasicOleTarCmdClass.
#pragma once

#include <oletarcmdclass.h>

class CSymbMenuItemList : public CBasicOleTarCmdClass {
public:
    // `group` is the command group of the handlers, the QelSymbol class identifier.
    explicit CSymbMenuItemList(const GUID *group);

    CRuntimeClass **GetHandlerClasses() override;
};
