// The COM/OLE stand-in: one header for everything the system's code reaches through
// <ole2.h>, <objbase.h> and <oleauto.h>.
//
// Each concern lives in a header of its own; this one only gathers them. No header of
// this folder takes the name of a C, C++ or POSIX header. internal/ holds the layer's
// own inside and testing/ the fixtures of tests; both are left out on purpose.
#pragma once

#include "windows.h"

#include "allocstats.h"
#include "bstr.h"
#include "classtable.h"
#include "coinit.h"
#include "comdecl.h"
#include "comerror.h"
#include "connpoint.h"
#include "dispatch.h"
#include "dragdrop.h"
#include "errorinfo.h"
#include "ftmarshal.h"
#include "guiddef.h"
#include "guidtext.h"
#include "hglobalstream.h"
#include "liveobjects.h"
#include "olecontrolsite.h"
#include "oleidl.h"
#include "olecmdtarget.h"
#include "olefont.h"
#include "proppage.h"
#include "propnotify.h"
#include "safearray.h"
#include "serverlib.h"
#include "stgerror.h"
#include "stgfile.h"
#include "storage.h"
#include "taskmem.h"
#include "unknwn.h"
#include "variant.h"
#include "variantconv.h"
