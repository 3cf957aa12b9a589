// The arguments of one dispatch call, converted to the types of a static table (the
// sinks' and the dispatch interfaces'). Inside the template library only.
#pragma once

#include <ole2.h>

#include "atldispsink.h"

namespace QelAtlInternal {

// The arguments of one call, converted to the table's types, first argument first.
// Those that conversion made are owned here and cleared at the end; the others are the
// caller's, lent as they stand.
class ConvertedArgs {
public:
    ConvertedArgs()
    {
        for (VARIANT &arg : args_)
            VariantInit(&arg);
    }
    ~ConvertedArgs()
    {
        for (UINT i = 0; i < _ATL_MAX_VARTYPES; i++) {
            if (owned_[i])
                VariantClear(&args_[i]);
        }
    }
    ConvertedArgs(const ConvertedArgs &) = delete;
    ConvertedArgs &operator=(const ConvertedArgs &) = delete;

    // Takes `arg` as argument `i` of the type `want`.
    bool Take(UINT i, const VARIANT &arg, VARTYPE want)
    {
        if (want == VT_VARIANT || arg.vt == want) {
            args_[i] = arg;
            return true;
        }
        if (want & VT_BYREF)
            return false;
        if (FAILED(VariantChangeType(&args_[i], &arg, 0, want)))
            return false;
        owned_[i] = true;
        return true;
    }

    VARIANT *Data() { return args_; }

private:
    VARIANT args_[_ATL_MAX_VARTYPES];
    bool owned_[_ATL_MAX_VARTYPES] = {};
};

} // namespace QelAtlInternal
