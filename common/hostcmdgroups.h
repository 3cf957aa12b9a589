// Command groups of the host that the servers send commands to, through the host's
// debug-server object or to its views, beside the host command group (qelhostframe.h).
#pragma once

#include <ole2.h>

// The host's breakpoint and run-control commands (command 3 with VT_UI4 8 takes stored
// breakpoints back after a load).
DEFINE_GUID(CGID_QelHostBreakpoints, 0x692DBD81, 0x4A3F, 0x11D2, 0xB2, 0xCD, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F);
// The commands that the host frame's add-on receives (target state, marked lines,
// breakpoints of source lines).
DEFINE_GUID(CGID_QelFrameAddOn, 0x6FEE6D70, 0x9B3F, 0x46D9, 0xA7, 0x9F, 0x84, 0x66, 0xA2, 0xCC, 0xF4, 0x73);
// The commands that the symbol server sends to the views of the host's program window.
DEFINE_GUID(CGID_QelProgWinView, 0xCDAD36E0, 0x2868, 0x11D2, 0xBC, 0xB8, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29);
