// The add-on's own link factory: the link for the tool text that the user chose.
#pragma once

#include "casetoolcomm.h"

// An EasyCODE link for "EasyCODE Debug Interface"; an X32 link for any other text, which
// is the path of X32's program.
CCaseToolComm *MakeCaseToolLink(LPCSTR toolText);
