// The HRESULTs of structured storage (facility 3), those that this layer gives.
#pragma once

#include "winerror.h"

#define STG_E_INVALIDFUNCTION QEL_HR(0x80030001L)
#define STG_E_FILENOTFOUND QEL_HR(0x80030002L)
#define STG_E_PATHNOTFOUND QEL_HR(0x80030003L)
#define STG_E_ACCESSDENIED QEL_HR(0x80030005L)
#define STG_E_INSUFFICIENTMEMORY QEL_HR(0x80030008L)
#define STG_E_INVALIDPOINTER QEL_HR(0x80030009L)
#define STG_E_WRITEFAULT QEL_HR(0x8003001DL)
#define STG_E_READFAULT QEL_HR(0x8003001EL)
#define STG_E_SHAREVIOLATION QEL_HR(0x80030020L)
// Also what opening a file gives when the file is there but holds no storage.
#define STG_E_FILEALREADYEXISTS QEL_HR(0x80030050L)
#define STG_E_INVALIDPARAMETER QEL_HR(0x80030057L)
#define STG_E_MEDIUMFULL QEL_HR(0x80030070L)
#define STG_E_INVALIDNAME QEL_HR(0x800300FCL)
#define STG_E_INVALIDFLAG QEL_HR(0x800300FFL)
// The element was destroyed, or its parent storage released, while it was open.
#define STG_E_REVERTED QEL_HR(0x80030102L)
// The file was written by a newer version of this layer.
#define STG_E_OLDDLL QEL_HR(0x80030105L)
#define STG_E_DOCFILECORRUPT QEL_HR(0x80030109L)
#define STG_E_DOCFILETOOLARGE QEL_HR(0x80030111L)
