// CSymbMenuItemList: the symbol server's command handlers, behind its IOleCommandTarget.
//
// The handlers are made from the class table, one per entry, when the list is made; the
// symbol server calls only the operations of CBasicOleTarCmdClass. The table holds no
// handler yet: the windows' handlers (program, watch, SFR, locals, communication queue)
// join it as they are built, and until then every command of the server is unknown.
#pragma once

#include <oletarcmdclass.h>

class CSymbMenuItemList : public CBasicOleTarCmdClass {
public:
    // `group` is the command group of the handlers, the QelSymbol class identifier.
    explicit CSymbMenuItemList(const GUID *group);

    CRuntimeClass **GetHandlerClasses() override;
};
