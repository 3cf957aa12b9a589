// A node's value as a VARIANT, for callers that want the number rather than its text.
#include "varnode.h"

#include <variantconv.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// The VARIANT type of a base type's value; VT_EMPTY for a base type without one.
VARTYPE VariantTypeOf(LONG baseType)
{
    switch (baseType) {
    case 1: return VT_I1;
    case 2: case 14: return VT_UI1;
    case 3: case 9: return VT_I2;
    case 4: case 10: case 15: case 17: return VT_UI2;
    case 5: case 11: return VT_I4;
    case 6: case 12: return VT_UI4;
    case QELVAR_BASE_FLOAT: return VT_R4;
    case QELVAR_BASE_DOUBLE: return VT_R8;
    case QELVAR_BASE_INT64: return VT_I8;
    case QELVAR_BASE_UINT64: return VT_UI8;
    default: return VT_EMPTY;
    }
}

// The bytes of a VARIANT of that type's value, as the union holds them.
size_t WidthOf(VARTYPE type)
{
    switch (type) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: return 2;
    case VT_I4: case VT_UI4: case VT_R4: return 4;
    default: return 8;
    }
}

void Reverse16(BYTE *bytes, size_t count)
{
    for (size_t low = 0, high = count / 2 - 1; low < high; ++low, --high)
        for (size_t i = 0; i < 2; ++i)
            std::swap(bytes[2 * low + i], bytes[2 * high + i]);
}

} // namespace

HRESULT CQelBasicVarNode::GetValue(VARIANT *pValue)
{
    if (pValue == nullptr)
        return E_POINTER;
    if (m_Location.AddressMode == QELVAR_MODE_NONE)
        return E_FAIL;
    VariantInit(pValue);
    BYTE slot[8];
    ValueSlot(slot);
    uint64_t word = 0;
    std::memcpy(&word, slot, sizeof word);

    if (ClassIs(QELVAR_CLASS_ENUM)) {
        CString names;
        int chosen = m_nEnumerator;
        if (EnumeratorText(slot, nullptr, names)) {
            m_nEnumerator = chosen;
            pValue->vt = VT_BSTR;
            pValue->bstrVal = names.AllocSysString();
            return S_OK;
        }
        m_nEnumerator = chosen;
        const DWORD bytes = std::min<DWORD>(m_nSize, 4);
        uint32_t value = static_cast<uint32_t>(word);
        if (bytes > 0 && bytes < 4 && (slot[bytes - 1] & 0x80) != 0)
            value |= ~uint32_t(0) << (8 * bytes);
        pValue->vt = VT_UI4;
        pValue->ulVal = value;
        return S_OK;
    }

    const bool bit = ClassIs(QELVAR_CLASS_BASE) && m_nBaseType == QELVAR_BASE_BIT;
    if (ClassIs(QELVAR_CLASS_BITFIELD) || bit) {
        DWORD width = bit ? 1 : m_nBitLayout & 0xFFFF;
        DWORD offset = bit ? m_Location.AddressExtra : (m_nBitLayout >> 16) & 0x7FFF;
        if (!bit && !IsRegisterMode())
            offset %= 8;
        bool isSigned = !bit && (m_nBitLayout & 0x80000000u) != 0;
        if (width == 0 || width > 32 || offset + width > 64)
            return E_FAIL;
        uint64_t mask = (uint64_t(1) << width) - 1;
        uint64_t field = (word >> offset) & mask;
        int64_t value = static_cast<int64_t>(field);
        if (isSigned && width >= 2 && (field >> (width - 1)) != 0)
            value -= int64_t(1) << width;
        pValue->vt = VT_I4;
        pValue->lVal = static_cast<LONG>(value);
        return S_OK;
    }

    VARTYPE type = ClassIs(QELVAR_CLASS_BASE) ? VariantTypeOf(m_nBaseType) : VARTYPE(VT_EMPTY);
    if (type == VT_EMPTY)
        return S_OK;
    size_t width = WidthOf(type);
    if ((type == VT_R4 || type == VT_R8) && IsWordSwapped())
        Reverse16(slot, width);
    pValue->vt = type;
    std::memcpy(&pValue->llVal, slot, width);
    return S_OK;
}

HRESULT CQelBasicVarNode::SetValue(VARIANT value)
{
    if (m_Location.AddressMode == QELVAR_MODE_NONE || !ClassIs(QELVAR_CLASS_BASE))
        return E_FAIL;
    VARTYPE type = VariantTypeOf(m_nBaseType);
    if (type == VT_EMPTY || m_pBuffer == nullptr)
        return E_FAIL;
    VARIANT converted;
    VariantInit(&converted);
    HRESULT hr = VariantChangeType(&converted, &value, 0, type);
    if (FAILED(hr))
        return hr;
    BYTE bytes[8] = {};
    size_t width = WidthOf(type);
    std::memcpy(bytes, &converted.llVal, width);
    if ((type == VT_R4 || type == VT_R8) && IsWordSwapped())
        Reverse16(bytes, width);
    std::memcpy(m_pBuffer, bytes, std::min<size_t>(m_nSize, width));
    m_bWritePending = TRUE;
    return S_OK;
}
