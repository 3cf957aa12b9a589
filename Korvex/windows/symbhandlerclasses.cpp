#include "symbhandlerclasses.h"

#include "commqueuehandler.h"
#include "fileloadmenuitem.h"
#include "viewsrvhandlers.h"
#include "watchwinviewsrvhandler.h"

namespace {

// The program window's handler stands second once it exists.
CRuntimeClass *g_handlerClasses[] = {
    RUNTIME_CLASS(CFileLoadMenuItem),
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
