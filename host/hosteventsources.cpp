#include "hosteventsources.h"

namespace QelHost {

namespace {

CComVariant UInt(ULONG value, VARTYPE vt = VT_UI4)
{
    CComVariant v;
    v.vt = vt;
    v.ulVal = value;
    return v;
}

CComVariant Int(INT value)
{
    CComVariant v;
    v.vt = VT_INT;
    v.intVal = value;
    return v;
}

CComVariant Byte(BYTE value)
{
    CComVariant v;
    v.vt = VT_UI1;
    v.bVal = value;
    return v;
}

CComVariant Bool(BOOL value)
{
    CComVariant v;
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

} // namespace

void CHostTargetStateSource::FireStateChange(ULONG oldState, ULONG newState)
{
    FireEvent(DISPID_TARGETSTATE_CHANGE, {UInt(oldState), UInt(newState)});
}

void CHostTargetStateSource::FireStateNotify(ULONG first, ULONG second)
{
    FireEvent(DISPID_TARGETSTATE_NOTIFY, {UInt(first), UInt(second)});
}

void CHostTargetStateSource::FireStateEvent()
{
    FireEvent(DISPID_TARGETSTATE_EVENT, {});
}

void CHostPatternSource::FirePatternBegin(UINT pattern)
{
    FireEvent(DISPID_PATTERN_BEGIN, {UInt(pattern, VT_UINT)});
}

void CHostPatternSource::FirePatternEnd(UINT first, UINT second)
{
    FireEvent(DISPID_PATTERN_END, {UInt(first, VT_UINT), UInt(second, VT_UINT)});
}

HRESULT CHostPatternSource::FirePatternRange(UINT kind, UINT start, UINT length)
{
    CComVariant answer = FireEvent(DISPID_PATTERN_RANGE, {UInt(kind, VT_UINT), UInt(start, VT_UINT), UInt(length, VT_UINT)});
    return answer.vt == VT_I4 ? answer.lVal : S_OK;
}

void CHostPatternSource::FirePatternMode(INT mode, BYTE secondMode)
{
    FireEvent(DISPID_PATTERN_MODE, {Int(mode), Byte(secondMode)});
}

void CHostCommObjectSource::FireFirst(ULONG number, BOOL flag)
{
    CComVariant object(GetUnknown());
    FireEvent(DISPID_COMMOBJECT_FIRST, {object, UInt(number), Bool(flag)});
}

void CHostCommObjectSource::FireSecond(ULONG number)
{
    CComVariant object(GetUnknown());
    FireEvent(DISPID_COMMOBJECT_SECOND, {object, UInt(number)});
}

} // namespace QelHost
