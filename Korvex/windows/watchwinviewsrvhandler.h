// CWatchWinViewSrvHandler: the symbol server's handler of the watch window. Command 70
// shows the view of "StdQelWatchWin" and follows the symbol server's state; commands 71,
// 72 and 97 reach the open watch views through their IQelWatch and are always enabled:
// - 71, add watch symbol: VT_I4 symbol id in, VT_I4 answer out: 0 when the open watch
//   window took the symbol (or, for id 0, when no window is open), 1 when the window had
//   to be opened first or cannot take symbols; the symbol is then not added. The CASE-tool
//   add-on sends it through the host.
// - 72, delete watch: VT_I4 symbol id; the first open watch window deletes its entry.
// - 97, the VarEd flags changed (the symbol server's Synchronize sends it): every open
//   watch window is told.
// A view whose IQelWatch query fails with E_NOINTERFACE is passed over; any other failure
// of the query is the command's result.
#pragma once

#include <oletarcmdhndl.h>

class CViewSrvInstObj;

class CWatchWinViewSrvHandler : public CBasicOleTarCmdHndl {
    DECLARE_DYNCREATE(CWatchWinViewSrvHandler)

public:
    CWatchWinViewSrvHandler();
    ~CWatchWinViewSrvHandler() override;
    const OLECMDTARHNDLENTRY *GetCommandTable() override;
    const GUID *GetClassGuid() override;

    HRESULT AddWatchSymbol(CVariantArray *in, CVariantArray *out);
    HRESULT DeleteWatch(CVariantArray *in, CVariantArray *out);
    HRESULT VarEdChanged(CVariantArray *in, CVariantArray *out);

private:
    // The first view instance of the watch window's item, NULL when none is open.
    CViewSrvInstObj *FirstInstance() const;
};
