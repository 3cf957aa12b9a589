// The symbol server's handlers of the SFR and locals windows: each owns the one command
// that shows its view server's view (the open-view command of the handler framework), and
// the item classes of the SFR and watch windows.
//
// The commands follow the symbol server's state: while the server reports itself
// disabled, the host shows them disabled.
#pragma once

#include <oletarcmdhndl.h>
#include <viewsrvitemobj.h>

// Command 45: the view of "StdQelSFRView".
class CSFRViewSrvHandler : public CBasicOleTarCmdHndl {
    DECLARE_DYNCREATE(CSFRViewSrvHandler)

public:
    CSFRViewSrvHandler();
    ~CSFRViewSrvHandler() override;
    const OLECMDTARHNDLENTRY *GetCommandTable() override;
    const GUID *GetClassGuid() override;
};

// Command 60: the view of "StdQelLocalsWin".
class CLocalsWinViewSrvHandler : public CBasicOleTarCmdHndl {
    DECLARE_DYNCREATE(CLocalsWinViewSrvHandler)

public:
    CLocalsWinViewSrvHandler();
    ~CLocalsWinViewSrvHandler() override;
    const OLECMDTARHNDLENTRY *GetCommandTable() override;
    const GUID *GetClassGuid() override;
};

// The item classes of the SFR and the watch window's view servers. The command tables
// name the plain CViewSrvItemObj, which serves both alike.
class CSFRWinViewSrvObj : public CViewSrvItemObj {
    DECLARE_DYNCREATE(CSFRWinViewSrvObj)
};

class CWatchWinViewSrvObj : public CViewSrvItemObj {
    DECLARE_DYNCREATE(CWatchWinViewSrvObj)
};
