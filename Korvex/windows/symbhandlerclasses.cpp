#include "symbhandlerclasses.h"

#include "commqueuehandler.h"
#include "fileloadmenuitem.h"
#include "progwinviewsrv.h"
#include "viewsrvhandlers.h"
#include "watchwinviewsrvhandler.h"

namespace {

CRuntimeClass *g_handlerClasses[] = {
    RUNTIME_CLASS(CFileLoadMenuItem),
    RUNTIME_CLASS(CProgWinViewSrv),
    RUNTIME_CLASS(CCommQueueRequestHandler),
    RUNTIME_CLASS(CSFRViewSrvHandler),
    RUNTIME_CLASS(CLocalsWinViewSrvHandler),
    RUNTIME_CLASS(CWatchWinViewSrvHandler),
    nullptr,
};

} // namespace

CRuntimeClass **SymbolServerHandlerClasses()
{
    return g_handlerClasses;
}
