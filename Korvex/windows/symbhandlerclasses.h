// The classes of the symbol server's command handlers, in the order in which its handler
// list (CSymbMenuItemList) makes, asks and connects them; ended by NULL.
#pragma once

#include <afx.h>

CRuntimeClass **SymbolServerHandlerClasses();
