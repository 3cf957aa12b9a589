// Reading a value from its location: memory, one register or a register pair.
#include "expr.h"

#include <tararchconverter.h>

#include <cstring>

namespace {

uint64_t LittleEndian(const BYTE *bytes, size_t count)
{
    uint64_t value = 0;
    for (size_t i = count; i-- > 0;)
        value = value << 8 | bytes[i];
    return value;
}

void PutLittleEndian(BYTE *bytes, ULONG value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<BYTE>(value >> (8 * i));
}

DWORD Mask(LONG bits)
{
    return bits >= 32 ? 0xFFFFFFFFu : (DWORD(1) << bits) - 1;
}

} // namespace

BOOL CExpr::ReadRaw(BYTE *buffer, DWORD bytes, LONG sizeInBits)
{
    switch (m_location.AddressMode) {
    case 1:
    case 0x40000001:
        return m_pMemory != nullptr && m_pMemory->Read(m_location.AddressValue, bytes, buffer);
    case 3:
    case 0x40000003:
    case 4: {
        LONG id = 0;
        ULONG value = 0;
        if (m_pTarget == nullptr || !HostRegister(static_cast<LONG>(m_location.AddressValue), &id) ||
            m_pTarget->ReadRegister(id, &value) != S_OK)
            return FALSE;
        PutLittleEndian(buffer, value);
        if (m_location.AddressMode != 4)
            return TRUE;
        // The second register of the pair holds the upper half.
        if (!HostRegister(static_cast<LONG>(m_location.AddressExtra), &id) || m_pTarget->ReadRegister(id, &value) != S_OK)
            return FALSE;
        PutLittleEndian(buffer + sizeInBits / 16, value);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

BOOL CExpr::ToLinear(LONG kind, DWORD pointer, DWORD *linear)
{
    if (m_pTarget == nullptr) {
        *linear = pointer;
        return TRUE;
    }
    ULONG converted = 0;
    const ULONG segment = kind == 0 ? 0 : pointer >> 16;
    if (FAILED(m_pTarget->PointerToLinear(kind, segment, pointer & 0xFFFF, &converted)))
        return FALSE;
    *linear = converted;
    return TRUE;
}

void CExpr::ReadValue()
{
    if (!m_bLocationValid || m_bAddressOnly)
        return;
    BYTE buffer[12] = {};
    if (m_location.AddressMode == 0x40000001) {
        // A single bit: the third word numbers it from the address's lowest bit.
        const DWORD bit = m_location.AddressExtra;
        if (m_pMemory == nullptr || !m_pMemory->Read(m_location.AddressValue + bit / 8, 1, buffer)) {
            Fail(kErrorNotSimple);
            return;
        }
        m_value = ExprValue::Integer(kValueUnsigned, (buffer[0] >> (bit % 8)) & 1);
        m_bValueValid = TRUE;
        return;
    }
    const LONG kind = ValueKind();
    // A pointer that the type carries beyond its record is a plain address.
    const LONG size = m_nPointerLevel > 0 ? 32 : m_variable.SizeInBits;
    // Structures, arrays, functions and integers wider than 32 bits have no value here.
    if (kind == kValueNone || (kind == kValueFloating && size != 32 && size != 64) ||
        (kind != kValueFloating && (size < 1 || size > 32)))
        return;
    if (!ReadRaw(buffer, static_cast<DWORD>(size + 7) / 8, size)) {
        Fail(kErrorNotSimple);
        return;
    }
    if (kind == kValueFloating) {
        if (size == 32) {
            float number;
            std::memcpy(&number, buffer, sizeof number);
            m_value = ExprValue::Floating(m_pConverter != nullptr ? m_pConverter->ConvertFloat(&number) : number);
        } else {
            double number;
            std::memcpy(&number, buffer, sizeof number);
            m_value = ExprValue::Floating(m_pConverter != nullptr ? m_pConverter->ConvertDouble(&number) : number);
        }
        m_bValueValid = TRUE;
        return;
    }
    DWORD bits = static_cast<DWORD>(LittleEndian(buffer, 4)) & Mask(size);
    if (kind == kValueSigned && size < 32 && (bits >> (size - 1)) & 1)
        bits |= ~Mask(size);
    if (m_nPointerLevel == 0 && TypeClass() == 3 && !ToLinear(m_variable.PointerClass, bits, &bits)) {
        Fail(kErrorConvert);
        return;
    }
    m_value = ExprValue::Integer(kind, bits);
    m_bValueValid = TRUE;
}

// A bit-field member: its layout word holds the width in bits 0-15, the offset in bits
// from the holder's start in bits 16-30, and in bit 31 whether it is signed.
void CExpr::ReadBitField(const MemberTag &member, DWORD holderAddress)
{
    const DWORD layout = static_cast<DWORD>(member.Offset);
    const DWORD width = layout & 0xFFFF;
    const DWORD offset = (layout >> 16) & 0x7FFF;
    if (width == 0 || width > 32) {
        Fail(kErrorNotSimple);
        return;
    }
    m_address = holderAddress + offset / 8;
    m_bAddressValid = TRUE;
    const DWORD shift = offset % 8;
    BYTE buffer[8] = {};
    if (m_pMemory == nullptr || !m_pMemory->Read(m_address, (shift + width + 7) / 8, buffer)) {
        Fail(kErrorNotSimple);
        return;
    }
    DWORD bits = static_cast<DWORD>(LittleEndian(buffer, 8) >> shift) & Mask(static_cast<LONG>(width));
    const bool isSigned = (layout & 0x80000000u) != 0 && width >= 2;
    if (isSigned && (bits >> (width - 1)) & 1)
        bits |= ~Mask(static_cast<LONG>(width));
    m_value = ExprValue::Integer(isSigned ? kValueSigned : kValueUnsigned, bits);
    m_bValueValid = TRUE;
}
