// The application framework stand-in: one header for everything the system's code
// reaches through the framework's headers, with <windows.h> and <ole2.h>.
//
// The framework is compiled into each module (see CMakeLists.txt), so every module has
// its own module state, its own run-time class list and its own framework objects.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "afxdiag.h"
#include "afxobject.h"
#include "afxexcept.h"
#include "afxdisp.h"
#include "afxstring.h"
#include "afxposition.h"
#include "afxelements.h"
#include "afxarray.h"
#include "afxtypedarrays.h"
#include "afxlist.h"
#include "afxtypedlists.h"
#include "afxmap.h"
#include "afxtypedmaps.h"
#include "afxmodule.h"
#include "afxsync.h"
#include "afxmsgmap.h"
#include "afxthread.h"
#include "afxwnd.h"
#include "afxgdi.h"
#include "afxdc.h"
#include "afxpaintmap.h"
#include "afxdatax.h"
#include "afxdialog.h"
#include "afxolepage.h"
#include "afxctrls.h"
#include "afxmenu.h"
#include "afxtreectrl.h"
#include "afxfiledialog.h"
#include "afxwinapp.h"
#include "afxtime.h"
#include "afxoledatetime.h"
#include "afxfile.h"
#include "afxstdiofile.h"
