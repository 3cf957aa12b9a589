// The COM template library stand-in: one header for what the system's code reaches
// through <atlbase.h> and <atlcom.h>.
#pragma once

#include <new>
#include <ole2.h>

#include "atlcoclass.h"
#include "atlcombstr.h"
#include "atlcomobject.h"
#include "atlcomptr.h"
#include "atlconnect.h"
#include "atlcomvariant.h"
#include "atlerrorinfo.h"
#include "atldispatch.h"
#include "atldispsink.h"
#include "atlmodule.h"
#include "atlregistrar.h"
#include "atlthreadmodel.h"
