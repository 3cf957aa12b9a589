// IPropertyNotifySink: what a container hears of an object's bindable properties, through
// the object's connection point of that interface.
#pragma once

#include "comdecl.h"
#include "dispatch.h"
#include "unknwn.h"

interface IPropertyNotifySink : public IUnknown {
    // The property has changed.
    STDMETHOD(OnChanged)(DISPID dispID) PURE;
    // May the property change? S_OK yes, S_FALSE no.
    STDMETHOD(OnRequestEdit)(DISPID dispID) PURE;
};
QEL_DEFINE_IID(IPropertyNotifySink, 0x9BFBBC02, 0xEFF1, 0x101A, 0x84, 0xED, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
