// The NameString encoding of stored names.
//
// The engine compares text blind to case, so a name is stored a second time with every
// lower-case ASCII letter raised by 0x81 (a-z become 0xE2-0xFB): the encoded names of
// "Main" and "main" differ under that comparison. A search pattern is encoded the same
// way; its wildcards are no letters and pass unchanged. Other bytes stay as they are, so
// a name that holds bytes 0xE2-0xFB before encoding does not decode to itself.
#pragma once

#include <afx.h>

void EncodeNameString(LPCSTR text, CString &out);
void DecodeNameString(LPCSTR text, CString &out);
