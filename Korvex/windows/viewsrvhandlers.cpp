#include "viewsrvhandlers.h"

#include <qelsymbol.h>

IMPLEMENT_DYNCREATE(CSFRViewSrvHandler, CBasicOleTarCmdHndl)
IMPLEMENT_DYNCREATE(CLocalsWinViewSrvHandler, CBasicOleTarCmdHndl)
IMPLEMENT_DYNCREATE(CSFRWinViewSrvObj, CViewSrvItemObj)
IMPLEMENT_DYNCREATE(CWatchWinViewSrvObj, CViewSrvItemObj)

namespace {

const OLECMDTARHNDLENTRY g_sfrCommands[] = {
    {45, OLECMDTARHNDL_FNC(&CBasicOleTarCmdHndl::OpenViewCommand), nullptr, -1, -1, -1, "StdQelSFRView",
     RUNTIME_CLASS(CViewSrvItemObj), 0, nullptr, nullptr, 0, 1, 0},
    {0, nullptr, nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0},
};

const OLECMDTARHNDLENTRY g_localsCommands[] = {
    {60, OLECMDTARHNDL_FNC(&CBasicOleTarCmdHndl::OpenViewCommand), nullptr, -1, -1, -1, "StdQelLocalsWin",
     RUNTIME_CLASS(CViewSrvItemObj), 0, nullptr, nullptr, 0, 1, 0},
    {0, nullptr, nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0},
};

} // namespace

CSFRViewSrvHandler::CSFRViewSrvHandler()
{
    InitCommandArrays(FALSE);
}

CSFRViewSrvHandler::~CSFRViewSrvHandler() = default;

const OLECMDTARHNDLENTRY *CSFRViewSrvHandler::GetCommandTable()
{
    return g_sfrCommands;
}

const GUID *CSFRViewSrvHandler::GetClassGuid()
{
    return &CLSID_QelSymbol;
}

CLocalsWinViewSrvHandler::CLocalsWinViewSrvHandler()
{
    InitCommandArrays(FALSE);
}

CLocalsWinViewSrvHandler::~CLocalsWinViewSrvHandler() = default;

const OLECMDTARHNDLENTRY *CLocalsWinViewSrvHandler::GetCommandTable()
{
    return g_localsCommands;
}

const GUID *CLocalsWinViewSrvHandler::GetClassGuid()
{
    return &CLSID_QelSymbol;
}
