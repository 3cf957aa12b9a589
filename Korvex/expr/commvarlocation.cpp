#include "commvarlocation.h"

#include <atlbase.h>
#include <qelsymbsrv.h>

namespace {

CString Hex(DWORD value)
{
    CString text;
    text.Format("0x%X", value);
    return text;
}

} // namespace

const LifetimeTag *CCommVarLocator::RangeAt(DWORD pc) const
{
    for (int i = 0; i < m_lifetimes.GetSize(); ++i) {
        const LifetimeTag &range = m_lifetimes[i];
        // The distance from the start is compared, so a range at the end of the address
        // space holds what it covers and no more.
        if (range.To.AddressMode != kNotLive && pc >= range.From.AddressValue &&
            pc - range.From.AddressValue < range.From.AddressExtra)
            return &range;
    }
    return nullptr;
}

const RegisterMapTag *CCommVarLocator::Register(DWORD number) const
{
    for (int i = 0; i < m_registers.GetSize(); ++i) {
        const RegisterMapTag &entry = m_registers[i];
        if (static_cast<DWORD>(entry.Number) == number && entry.RegisterIndex != -1)
            return &entry;
    }
    return nullptr;
}

BOOL CCommVarLocator::Resolve(const CAddressValue &symbol, BOOL varEd, CAddressValue *place, CString *text)
{
    if (m_access == nullptr)
        return FALSE;
    CAddressValue from = symbol;
    ULONG pc = 0;
    const bool needPc = symbol.AddressMode == kByPosition || (varEd && m_lifetimes.GetSize() > 0);
    const bool havePc = needPc && SUCCEEDED(m_access->GetCurrentAddress(&pc));
    if (symbol.AddressMode == kByPosition) {
        if (!havePc)
            return FALSE;
        const LifetimeTag *range = RangeAt(pc);
        from = range != nullptr ? range->To : CAddressValue(kNone, kNone, kNone);
        // A range's place that depends on the position again would be looked up for
        // ever: it counts as none.
        if (from.AddressMode == kByPosition)
            from = CAddressValue(kNone, kNone, kNone);
    }
    if (varEd && havePc) {
        const LifetimeTag *range = RangeAt(pc);
        if (range != nullptr && range->To.AddressMode != kByPosition)
            from = range->To;
    }
    return ResolvePlace(from, place, text);
}

BOOL CCommVarLocator::ResolvePlace(const CAddressValue &from, CAddressValue *place, CString *text)
{
    CString said;
    CAddressValue found = from;
    switch (from.AddressMode) {
    case kMemory:
        said = Hex(from.AddressValue);
        break;
    case kMemoryBit:
        said.Format("0x%X.%u", from.AddressValue, from.AddressExtra);
        break;
    case kRegisterRelative: {
        const RegisterMapTag *base = Register(from.AddressExtra);
        ULONG value = 0, linear = 0;
        if (base == nullptr || FAILED(m_access->ReadRegister(base->RegisterIndex, &value)) ||
            FAILED(m_access->PointerToLinear(0, value >> 16, value & 0xFFFF, &linear)))
            return FALSE;
        found = CAddressValue(linear + from.AddressValue, kMemory, 0);
        said.Format("0x%X ([%s] + 0x%X)", found.AddressValue, static_cast<LPCSTR>(base->Name), from.AddressValue);
        break;
    }
    case kRegister:
    case kRegisterBit:
    case kRegisterPair: {
        const RegisterMapTag *first = Register(from.AddressValue);
        if (first == nullptr)
            return FALSE;
        said = first->Name;
        if (from.AddressMode == kRegisterBit) {
            said.Format("%s.%u", static_cast<LPCSTR>(first->Name), from.AddressExtra);
        } else if (from.AddressMode == kRegisterPair) {
            const RegisterMapTag *second = Register(from.AddressExtra);
            if (second == nullptr)
                return FALSE;
            said += "/" + second->Name;
        }
        break;
    }
    default:
        // Constants and no place at all stand as they are; the nodes show them.
        break;
    }
    *place = found;
    *text = said;
    return TRUE;
}

BOOL IsVarEdOn(IUnknown *owner)
{
    CComQIPtr<IQelSymbSrv> server(owner);
    if (server == nullptr)
        return FALSE;
    // The state comes back as the number 0 or 1 in place of an interface pointer.
    IUnknown *state = nullptr;
    if (FAILED(server->Synchronize(SYF_GET_VARED, &state)))
        return FALSE;
    return reinterpret_cast<DWORD_PTR>(state) == 1;
}
