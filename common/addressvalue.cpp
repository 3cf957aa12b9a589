#include "addressvalue.h"

namespace {

// The top four bits are moved down into bits 4 to 7 instead of being lost.
UINT Fold(UINT h)
{
    UINT top = h & 0xF0000000u;
    return top != 0 ? (h & 0x0FFFFFFFu) ^ (top >> 24) : h;
}

} // namespace

template <>
UINT AFXAPI HashKey<CAddressValue &>(CAddressValue &key)
{
    UINT h = Fold(key.AddressMode);
    h = Fold((h << 4) + key.AddressValue);
    if (key.AddressExtra != 0)
        h = Fold((h << 4) + key.AddressExtra);
    return h;
}
