#include "sfrtags.h"

// The arrays copy element by element, each element with its own assignment, so a copy
// shares nothing with its source.
SpecialFunctionRegisterFieldTag &SpecialFunctionRegisterFieldTag::operator=(const SpecialFunctionRegisterFieldTag &other)
{
    Name = other.Name;
    Description = other.Description;
    Offset = other.Offset;
    Width = other.Width;
    Values.Copy(other.Values);
    return *this;
}

SpecialFunctionRegisterTag &SpecialFunctionRegisterTag::operator=(const SpecialFunctionRegisterTag &other)
{
    Name = other.Name;
    Type = other.Type;
    Addresses.Copy(other.Addresses);
    Description = other.Description;
    ResetValue = other.ResetValue;
    Manual = other.Manual;
    Page = other.Page;
    Width = other.Width;
    NamedBitMask = other.NamedBitMask;
    ReadOnlyMask = other.ReadOnlyMask;
    HWModBitMask = other.HWModBitMask;
    Fields.Copy(other.Fields);
    return *this;
}
