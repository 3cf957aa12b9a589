// The dispatch tables of the interfaces that Talvix's controls implement,
// which the type library TALVIXLib describes on the original platform: each member's
// dispatch id and name. A member whose last parameter is a pure out-value answers it as
// the call's result.
#pragma once

#include "talvixids.h"

#include <atlbase.h>
#include <qelsymbolexplorer.h>
#include <qelsymbolselectlist.h>
#include <qelviewsrv.h>
#include <qelwatch.h>

BEGIN_DISPATCH_TABLE(IQelViewSrv)
    DISPATCH_RETVAL_ENTRY(1, u"GetVersion", &IQelViewSrv::GetVersion)
    DISPATCH_RETVAL_ENTRY(2, u"GetErrorInfo", &IQelViewSrv::GetErrorInfo)
    DISPATCH_METHOD_ENTRY(3, u"Init", &IQelViewSrv::Init)
    DISPATCH_METHOD_ENTRY(4, u"Cleanup", &IQelViewSrv::Cleanup)
    DISPATCH_RETVAL_ENTRY(5, u"GetTitle", &IQelViewSrv::GetTitle)
    DISPATCH_METHOD_ENTRY(6, u"StoreSettings", &IQelViewSrv::StoreSettings)
    DISPATCH_RETVAL_ENTRY(7, u"GetDbgServer", &IQelViewSrv::GetDbgServer)
    DISPATCH_METHOD_ENTRY(8, u"HelpFunc", &IQelViewSrv::HelpFunc)
END_DISPATCH_TABLE()

BEGIN_DISPATCH_TABLE(IQelWatch)
    DISPATCH_METHOD_ENTRY(1, u"Watches", &IQelWatch::Watches)
    DISPATCH_RETVAL_ENTRY(2, u"AddWatch", &IQelWatch::AddWatch)
    DISPATCH_METHOD_ENTRY(3, u"NewOrder", &IQelWatch::NewOrder)
    DISPATCH_METHOD_ENTRY(4, u"DeleteWatch", &IQelWatch::DeleteWatch)
    DISPATCH_METHOD_ENTRY(5, u"ChangeWatch", &IQelWatch::ChangeWatch)
    DISPATCH_RETVAL_ENTRY(6, u"AddWatchSymbol", &IQelWatch::AddWatchSymbol)
    DISPATCH_METHOD_ENTRY(7, u"VarEdChanged", &IQelWatch::VarEdChanged)
END_DISPATCH_TABLE()

BEGIN_DISPATCH_TABLE(IQelSymbolExplorer)
    DISPATCH_METHOD_ENTRY(1, u"SignalLoadingPrgFile", &IQelSymbolExplorer::SignalLoadingPrgFile)
    DISPATCH_METHOD_ENTRY(2, u"SignalBreakpoints", &IQelSymbolExplorer::SignalBreakpoints)
END_DISPATCH_TABLE()

// The stock font is a property of the list's type library, which Invoke does not reach.
BEGIN_DISPATCH_TABLE(IQelSymbolSelectList)
    DISPATCH_METHOD_ENTRY(1, u"Init", &IQelSymbolSelectList::Init)
    DISPATCH_METHOD_ENTRY(2, u"AddSymbolListEntry", &IQelSymbolSelectList::AddSymbolListEntry)
    DISPATCH_METHOD_ENTRY(3, u"RemoveAllViewServerEntries", &IQelSymbolSelectList::RemoveAllViewServerEntries)
END_DISPATCH_TABLE()
