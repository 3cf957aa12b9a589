// Where a node's value lies and how it is read from and written to the target: memory
// through the complex-memory interface, a bit in memory, registers through the
// target-access object.
#include "varnode.h"

#include <comerror.h>
#include <symbolprocessing.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

void CQelBasicVarNode::SetAddress(DWORD mode, DWORD value, DWORD third)
{
    m_Location = CAddressValue(value, mode, third);
    if (ClassIs(QELVAR_CLASS_BITFIELD) && !IsRegisterMode()) {
        DWORD width = m_nBitLayout & 0xFFFF;
        DWORD offset = ((m_nBitLayout >> 16) & 0x7FFF) % 8;
        MakeBuffers((width + offset + 7) / 8);
    }
    if (HoldsBits())
        MarkReadByMembers();
}

BOOL CQelBasicVarNode::HoldsBits() const
{
    for (const CQelBasicVarNode *child = m_pFirstChild; child != nullptr; child = child->m_pNextSibling) {
        if (child->ClassIs(QELVAR_CLASS_BITFIELD) || (child->ClassIs(QELVAR_CLASS_BASE) && child->m_nBaseType == QELVAR_BASE_BIT))
            return TRUE;
        if (child->HoldsBits())
            return TRUE;
    }
    return FALSE;
}

void CQelBasicVarNode::MarkReadByMembers()
{
    m_bReadByMembers = TRUE;
    for (CQelBasicVarNode *child = m_pFirstChild; child != nullptr; child = child->m_pNextSibling)
        child->m_bReadByMembers = TRUE;
}

void CQelBasicVarNode::CompareWithPrevious()
{
    LONG op = QELCONV_COMPARE;
    CString unused;
    BYTE *current = m_pBuffer;
    BYTE *previous = m_pPrevious;
    Convert(&op, unused, &current, &previous, nullptr, -1);
    SetChanged(op == QELCONV_DIFFERS);
}

BOOL CQelBasicVarNode::ReadValue(const CRegisterMapTagArray *registerMap, BOOL write)
{
    if (m_bDetached)
        return FALSE;
    if (m_nSize == 0 || m_Location.AddressMode == QELVAR_MODE_NONE)
        return TRUE;
    if (m_pBuffer == nullptr)
        return FALSE;
    if (write && !m_bWritePending)
        return TRUE;
    BOOL ok;
    switch (m_Location.AddressMode) {
    case QELVAR_MODE_MEMORY: ok = ReadMemoryValue(write); break;
    case QELVAR_MODE_BIT: ok = ReadBitValue(write); break;
    case QELVAR_MODE_REGISTER:
    case QELVAR_MODE_REGISTER2:
    case QELVAR_MODE_REGISTER_PAIR: ok = ReadRegisterValue(registerMap, write); break;
    default: return TRUE; // constants are no target access
    }
    if (ok && write)
        m_bWritePending = FALSE;
    return ok;
}

BOOL CQelBasicVarNode::ReadMemoryValue(BOOL write)
{
    if (m_pComplexMemory == nullptr)
        return FALSE;
    if (!write) {
        SavePrevious();
        if (m_pComplexMemory->ReadMemory(m_Location.AddressValue, m_nSize, m_pBuffer) != 0)
            return FALSE;
        CompareWithPrevious();
        return TRUE;
    }
    // Merged into what the target holds now, in a scratch of the value's own size, so
    // that the bits of a bit field's neighbours stay as they are.
    std::vector<BYTE> scratch(m_nSize);
    if (m_pComplexMemory->ReadMemory(m_Location.AddressValue, m_nSize, scratch.data()) != 0)
        return FALSE;
    if (MergesItself()) {
        LONG op = QELCONV_MERGE;
        CString unused;
        Convert(&op, unused, m_pBuffer, scratch.data(), nullptr, -1);
        if (op == QELCONV_REFUSED)
            return FALSE;
    } else {
        std::memcpy(scratch.data(), m_pBuffer, m_nSize);
    }
    return m_pComplexMemory->WriteMemory(m_Location.AddressValue, m_nSize, scratch.data()) == 0;
}

BOOL CQelBasicVarNode::MergesItself() const
{
    int format = m_nFormat < 0 || m_nFormat > 3 ? 0 : m_nFormat;
    if (m_nConverterKind == 1)
        return m_Node[format] != nullptr && m_Node[format] != QelCompareMemory;
    return m_Plain[format] != nullptr;
}

BOOL CQelBasicVarNode::ReadBitValue(BOOL write)
{
    if (m_pComplexMemory == nullptr)
        return FALSE;
    if (!write) {
        SavePrevious();
        if (m_pComplexMemory->ReadMemory(m_Location.AddressValue, m_nSize, m_pBuffer) != 0)
            return FALSE;
        CompareWithPrevious();
        return TRUE;
    }
    const DWORD bytes = m_nSize < 2 ? 1 : 2;
    const DWORD bit = m_Location.AddressExtra;
    if (bit >= 8 * bytes)
        return FALSE;
    BYTE word[2] = {};
    if (m_pComplexMemory->ReadMemory(m_Location.AddressValue, bytes, word) != 0)
        return FALSE;
    uint16_t stored = static_cast<uint16_t>(word[0] | (bytes == 2 ? word[1] << 8 : 0));
    uint16_t wanted = static_cast<uint16_t>(m_pBuffer[0] | (bytes == 2 ? m_pBuffer[1] << 8 : 0));
    const uint16_t mask = static_cast<uint16_t>(1u << bit);
    stored = static_cast<uint16_t>((stored & ~mask) | (wanted & mask));
    m_pBuffer[0] = static_cast<BYTE>(stored);
    if (bytes == 2)
        m_pBuffer[1] = static_cast<BYTE>(stored >> 8);
    return m_pComplexMemory->WriteMemory(m_Location.AddressValue, bytes, m_pBuffer) == 0;
}

BOOL CQelBasicVarNode::WordSizeBits(LONG *bits)
{
    if (m_nWordBits == 0) {
        CSymbolProcessing client(m_pOwner, FALSE, FALSE);
        LONG answer = 0;
        if (!client.GetWordSize(&answer) || answer <= 0)
            return FALSE;
        m_nWordBits = answer;
    }
    *bits = m_nWordBits;
    return TRUE;
}

BOOL CQelBasicVarNode::ReadRegisterValue(const CRegisterMapTagArray *registerMap, BOOL write)
{
    if (!write)
        SavePrevious();
    LONG bits = 0;
    const bool pair = m_Location.AddressMode == QELVAR_MODE_REGISTER_PAIR;
    const bool split = pair || (m_nSize >= 2 && WordSizeBits(&bits) && static_cast<DWORD>(bits / 8) < m_nSize);
    BOOL ok;
    if (!split) {
        ok = AccessRegister(registerMap, static_cast<LONG>(m_Location.AddressValue), m_pBuffer, m_nSize, write);
    } else {
        // The lower half in the first register, the upper half in the second.
        const DWORD half = m_nSize / 2;
        LONG upper = static_cast<LONG>(pair ? m_Location.AddressExtra : m_Location.AddressValue + 1);
        ok = AccessRegister(registerMap, static_cast<LONG>(m_Location.AddressValue), m_pBuffer, half, write);
        ok = AccessRegister(registerMap, upper, m_pBuffer + half, half, write) && ok;
    }
    if (ok && !write)
        CompareWithPrevious();
    return ok;
}

BOOL CQelBasicVarNode::AccessRegister(const CRegisterMapTagArray *registerMap, LONG number, BYTE *bytes,
                                      DWORD count, BOOL write)
{
    if (registerMap == nullptr || count == 0 || count > 4)
        return FALSE;
    LONG index = -1;
    for (int i = 0; i < registerMap->GetSize(); ++i)
        if ((*registerMap)[i].Number == number) {
            index = (*registerMap)[i].RegisterIndex;
            break;
        }
    if (index == -1)
        return FALSE;
    if (m_pTargetAccess == nullptr)
        _com_issue_error(E_POINTER);

    // Masks and shifts in 64 bits: a shift of 32 or more leaves nothing.
    const bool whole = ClassIs(QELVAR_CLASS_BITFIELD) || ClassIs(QELVAR_CLASS_ENUMERATOR);
    const uint64_t shift = whole ? 0 : m_nBitLayout;
    ULONG value = 0;
    if (m_pTargetAccess->ReadRegister(index, &value) != 0)
        return FALSE;
    if (!write) {
        uint64_t shifted = shift >= 32 ? 0 : uint64_t(value) >> shift;
        for (DWORD i = 0; i < count; ++i)
            bytes[i] = static_cast<BYTE>(shifted >> (8 * i));
        return TRUE;
    }
    uint64_t field = 0;
    for (DWORD i = 0; i < count; ++i)
        field |= uint64_t(bytes[i]) << (8 * i);
    uint64_t result;
    if (whole) {
        BYTE merged[8] = {};
        std::memcpy(merged, &value, sizeof value);
        LONG op = QELCONV_MERGE;
        CString unused;
        BYTE own[8] = {};
        std::memcpy(own, bytes, count);
        Convert(&op, unused, own, merged, nullptr, -1);
        uint32_t word = 0;
        std::memcpy(&word, merged, sizeof word);
        result = word;
    } else {
        const uint64_t mask = ((uint64_t(1) << (8 * count)) - 1);
        const uint64_t placed = shift >= 32 ? 0 : mask << shift;
        result = (uint64_t(value) & ~placed) | (shift >= 32 ? 0 : (field << shift) & placed);
    }
    ULONG written = static_cast<ULONG>(result);
    return m_pTargetAccess->WriteRegister(index, &written) == 0;
}

BOOL CQelBasicVarNode::CopyValueBuffer(BYTE **cursor, int direction)
{
    if (m_bDetached || cursor == nullptr || *cursor == nullptr)
        return FALSE;
    if (m_nSize == 0 || m_pBuffer == nullptr || m_Location.AddressMode == QELVAR_MODE_NONE)
        return FALSE;
    if (direction == 0) {
        SavePrevious();
        std::memcpy(m_pBuffer, *cursor, m_nSize);
        CompareWithPrevious();
    } else {
        std::memcpy(*cursor, m_pBuffer, m_nSize);
    }
    *cursor += m_nSize;
    return TRUE;
}
