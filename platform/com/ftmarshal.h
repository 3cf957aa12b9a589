// The free-threaded marshaler that free-threaded objects aggregate.
//
// Nothing is marshalled inside one process, so the marshaler is an identity: an inner
// object that answers only its own IUnknown. An object that aggregates it under
// IID_IMarshal therefore answers E_NOINTERFACE for IMarshal, as an object that cannot be
// marshalled does, and every caller uses the object directly.
#pragma once

#include "comdecl.h"
#include "unknwn.h"

interface IMarshal;
QEL_DEFINE_IID(IMarshal, 0x00000003, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

// *ppunkMarshal gets the marshaler's inner IUnknown (one reference, the caller's).
STDAPI CoCreateFreeThreadedMarshaler(LPUNKNOWN punkOuter, LPUNKNOWN *ppunkMarshal);
