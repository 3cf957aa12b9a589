#include "symprocevents.h"

namespace {

// kUserDefaultLocale: the events carry no text that a locale would change.
constexpr LCID kUserDefaultLocale = 0x400;

} // namespace

void QelFireToSinks(const std::vector<IDispatch *> &sinks, DISPID dispid, VARIANT *args, UINT count)
{
    for (IDispatch *sink : sinks) {
        DISPPARAMS params = {args, nullptr, count, 0};
        sink->Invoke(dispid, IID_NULL, kUserDefaultLocale, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
    for (IDispatch *sink : sinks)
        sink->Release();
}
