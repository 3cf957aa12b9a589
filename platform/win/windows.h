// The Win32 stand-in: one header for everything the system's code reaches as <windows.h>.
//
// Each concern lives in a header of its own; this one only gathers them. No header of this
// folder takes the name of a C, C++ or POSIX header, because the folder stands on the
// include path of every target. kernelobject.h, fileobject.h, moduletable.h,
// systemmodule.h, messagequeue.h, windowtable.h, registrytree.h and registryfile.h are
// the layer's own inside and are left out on purpose.
#pragma once

#include "basetypes.h"
#include "winerror.h"

#include "collation.h"
#include "critsec.h"
#include "crtformat.h"
#include "crtpath.h"
#include "crtstring.h"
#include "crttemp.h"
#include "crttime.h"
#include "debugoutput.h"
#include "dialogresults.h"
#include "events.h"
#include "filedialog.h"
#include "filefind.h"
#include "fileio.h"
#include "filemapping.h"
#include "fileops.h"
#include "formatmessage.h"
#include "fullpathname.h"
#include "handles.h"
#include "interlocked.h"
#include "lasterror.h"
#include "localmemory.h"
#include "lstring.h"
#include "messagebox.h"
#include "modules.h"
#include "procaddress.h"
#include "processthreads.h"
#include "registeredmessages.h"
#include "registry.h"
#include "resources.h"
#include "shellbrowse.h"
#include "tempfiles.h"
#include "textconv.h"
#include "threadobjects.h"
#include "tickcount.h"
#include "waits.h"
#include "windowclass.h"
#include "windowcreate.h"
#include "windowinfo.h"
#include "windowmessages.h"
#include "windowstatus.h"
#include "windowtimers.h"
#include "winhelp.h"
