#include "commvarargs.h"

#include <tagtransfer.h>

namespace {

// One array argument, checked and locked for reading while the object lives.
class CArgumentArray {
public:
    CArgumentArray() = default;
    ~CArgumentArray()
    {
        if (m_array != nullptr)
            SafeArrayUnaccessData(m_array);
    }
    CArgumentArray(const CArgumentArray &) = delete;
    CArgumentArray &operator=(const CArgumentArray &) = delete;

    // S_OK when `variant` holds an array of `element` with `dims` dimensions whose lower
    // bounds are all 0.
    HRESULT Open(const VARIANT &variant, VARTYPE element, UINT dims)
    {
        if (variant.vt != (VT_ARRAY | element) && variant.vt != (VT_ARRAY | VT_BYREF | element))
            return E_INVALIDARG;
        SAFEARRAY *array = variant.parray;
        VARTYPE held = VT_EMPTY;
        if (array == nullptr || FAILED(SafeArrayGetVartype(array, &held)) || held != element ||
            SafeArrayGetDim(array) != dims || dims > 2)
            return E_INVALIDARG;
        size_t size = element == VT_BSTR ? sizeof(BSTR) : sizeof(LONG);
        if (SafeArrayGetElemsize(array) != size)
            return E_INVALIDARG;
        for (UINT d = 0; d < dims; ++d) {
            LONG lower = 0, upper = 0;
            if (FAILED(SafeArrayGetLBound(array, d + 1, &lower)) || FAILED(SafeArrayGetUBound(array, d + 1, &upper)) ||
                lower != 0 || upper < -1)
                return E_INVALIDARG;
            m_extent[d] = upper + 1;
        }
        if (FAILED(SafeArrayAccessData(array, &m_data)))
            return E_INVALIDARG;
        m_array = array;
        return S_OK;
    }

    // The number of elements along dimension `d` (0 the first).
    LONG Extent(UINT d) const { return m_extent[d]; }
    const LONG *Numbers() const { return static_cast<const LONG *>(m_data); }
    const BSTR *Texts() const { return static_cast<const BSTR *>(m_data); }

private:
    SAFEARRAY *m_array = nullptr;
    void *m_data = nullptr;
    LONG m_extent[2] = {0, 0};
};

void Assign(CString &text, BSTR value)
{
    if (value != nullptr)
        text = value;
    else
        text.Empty();
}

// Opens a (per entry, entries) array of `element`; its entry count in *count.
HRESULT OpenRows(CArgumentArray &array, const VARIANT &variant, VARTYPE element, LONG perEntry, LONG *count)
{
    HRESULT hr = array.Open(variant, element, 2);
    if (FAILED(hr))
        return hr;
    if (array.Extent(0) != perEntry)
        return E_INVALIDARG;
    *count = array.Extent(1);
    return S_OK;
}

} // namespace

HRESULT ReadVariableEntry(const VARIANT &names, const VARIANT &values, LONG index, VariableTag &record)
{
    const TagTransferLayout &layout = TagTransfer<VariableTag>::layout;
    CArgumentArray texts, numbers;
    LONG textCount = 0, numberCount = 0;
    if (FAILED(OpenRows(texts, names, VT_BSTR, layout.texts, &textCount)) ||
        FAILED(OpenRows(numbers, values, VT_I4, layout.numbers, &numberCount)) || index < 0 || index >= numberCount)
        return E_INVALIDARG;
    TagTransferIn entry;
    if (index < textCount) {
        const BSTR *slot = texts.Texts() + static_cast<size_t>(index) * layout.texts;
        for (int i = 0; i < layout.texts; ++i)
            Assign(entry.texts[i], slot[i]);
    }
    const LONG *slot = numbers.Numbers() + static_cast<size_t>(index) * layout.numbers;
    for (int i = 0; i < layout.numbers; ++i)
        entry.numbers[i] = slot[i];
    TagTransfer<VariableTag>::Read(record, entry);
    return S_OK;
}

HRESULT ReadRegisterMap(const VARIANT &numbers, const VARIANT &names, CRegisterMapTagArray &map)
{
    CArgumentArray pairs, texts;
    if (FAILED(pairs.Open(numbers, VT_I4, 1)) || pairs.Extent(0) % 2 != 0)
        return E_INVALIDARG;
    const LONG count = pairs.Extent(0) / 2;
    LONG named = 0;
    if (names.vt != VT_EMPTY) {
        if (FAILED(texts.Open(names, VT_BSTR, 1)))
            return E_INVALIDARG;
        named = texts.Extent(0) < count ? texts.Extent(0) : count;
    }
    map.SetSize(count);
    for (LONG i = 0; i < count; ++i) {
        RegisterMapTag &entry = map[i];
        entry.Number = pairs.Numbers()[2 * i];
        entry.RegisterIndex = pairs.Numbers()[2 * i + 1];
        if (i < named)
            Assign(entry.Name, texts.Texts()[i]);
        else
            entry.Name.Empty();
    }
    return S_OK;
}

HRESULT ReadLifetimes(const VARIANT &numbers, CLifetimeTagArray &lifetimes)
{
    const TagTransferLayout &layout = TagTransfer<LifetimeTag>::layout;
    CArgumentArray array;
    if (FAILED(array.Open(numbers, VT_I4, 2)) || array.Extent(1) != layout.numbers)
        return E_INVALIDARG;
    const LONG count = array.Extent(0);
    lifetimes.SetSize(count);
    TagTransferIn entry;
    for (LONG i = 0; i < count; ++i) {
        const LONG *slot = array.Numbers() + static_cast<size_t>(i) * layout.numbers;
        for (int k = 0; k < layout.numbers; ++k)
            entry.numbers[k] = slot[k];
        TagTransfer<LifetimeTag>::Read(lifetimes[i], entry);
    }
    return S_OK;
}

HRESULT ReadMembers(const VARIANT &names, const VARIANT &values, CMemberTagArray &members)
{
    const TagTransferLayout &layout = TagTransfer<MemberTag>::layout;
    CArgumentArray texts, numbers;
    LONG textCount = 0, numberCount = 0;
    if (FAILED(OpenRows(texts, names, VT_BSTR, layout.texts, &textCount)) ||
        FAILED(OpenRows(numbers, values, VT_I4, layout.numbers, &numberCount)) || textCount != numberCount)
        return E_INVALIDARG;
    members.SetSize(numberCount);
    TagTransferIn entry;
    for (LONG i = 0; i < numberCount; ++i) {
        const BSTR *text = texts.Texts() + static_cast<size_t>(i) * layout.texts;
        for (int k = 0; k < layout.texts; ++k)
            Assign(entry.texts[k], text[k]);
        const LONG *slot = numbers.Numbers() + static_cast<size_t>(i) * layout.numbers;
        for (int k = 0; k < layout.numbers; ++k)
            entry.numbers[k] = slot[k];
        TagTransfer<MemberTag>::Read(members[i], entry);
    }
    return S_OK;
}
