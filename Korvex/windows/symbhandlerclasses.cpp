#include "symbhandlerclasses.h"

#include "commqueuehandler.h"
#include "viewsrvhandlers.h"
#include "watchwinviewsrvhandler.h"

namespace {

// The file-load and the program window's handlers stand before these once they exist.
CRuntimeClass *g_handlerClasses[] = {
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
