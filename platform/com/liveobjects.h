// The COM objects of this layer that are alive (storages, streams, enumerators), for
// tests: a test reads the count before and after and so sees that it released every
// object it was given.
#pragma once

#include "basetypes.h"

LONG QelGetLiveComObjects();
