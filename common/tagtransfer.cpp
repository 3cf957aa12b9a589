#include "tagtransfer.h"

HRESULT MakeTransferVariant(SAFEARRAY *array, VARIANT *variant)
{
    VARTYPE element = VT_EMPTY;
    if (array == nullptr || variant == nullptr || FAILED(SafeArrayGetVartype(array, &element)))
        return E_INVALIDARG;
    variant->vt = static_cast<VARTYPE>(VT_ARRAY | VT_BYREF | element);
    variant->parray = array;
    return S_OK;
}

void FreeTransferVariant(VARIANT *variant)
{
    if (variant == nullptr)
        return;
    if ((variant->vt & (VT_ARRAY | VT_BYREF)) == (VT_ARRAY | VT_BYREF))
        SafeArrayDestroy(variant->parray);
    else
        VariantClear(variant);
    VariantInit(variant);
}

namespace {

int Dimensions(TagTransferShape shape)
{
    return shape == TransferRows || shape == TransferColumns ? 2 : 1;
}

// The bounds of an array of `count` entries; dimension 1 first, as SafeArrayCreate takes
// them.
void ShapeBounds(TagTransferShape shape, int perEntry, int count, SAFEARRAYBOUND bounds[2])
{
    ULONG entries = static_cast<ULONG>(count), each = static_cast<ULONG>(perEntry);
    switch (shape) {
    case TransferRows:
        bounds[0] = {each, 0};
        bounds[1] = {entries, 0};
        break;
    case TransferColumns:
        bounds[0] = {entries, 0};
        bounds[1] = {each, 0};
        break;
    case TransferOneEntry:
        bounds[0] = {each, 0};
        break;
    default:
        bounds[0] = {entries, 0};
        break;
    }
}

SAFEARRAY *CreateShaped(VARTYPE element, TagTransferShape shape, int perEntry, int count, void **data)
{
    SAFEARRAYBOUND bounds[2];
    ShapeBounds(shape, perEntry, count, bounds);
    SAFEARRAY *array = SafeArrayCreate(element, static_cast<UINT>(Dimensions(shape)), bounds);
    if (array != nullptr && FAILED(SafeArrayAccessData(array, data))) {
        SafeArrayDestroy(array);
        array = nullptr;
    }
    return array;
}

// A new BSTR of the ANSI text; NULL when memory runs out. Code page 1252 gives one UTF-16
// unit per byte.
BSTR TextToBstr(const CString &text)
{
    int length = text.GetLength();
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (result != nullptr && length > 0 && MultiByteToWideChar(CP_ACP, 0, text, length, result, length) != length) {
        SysFreeString(result);
        result = nullptr;
    }
    return result;
}

} // namespace

CTagTransferWriter::CTagTransferWriter(const TagTransferLayout &layout, int count) : m_layout(layout), m_count(count)
{
    // A kind of one entry has arrays sized for exactly one.
    bool oneEntry = layout.textShape == TransferOneEntry || layout.numberShape == TransferOneEntry;
    if (count < 0 || (oneEntry && count != 1)) {
        m_failed = true;
        return;
    }
    void *data = nullptr;
    if (layout.textShape != TransferNoArray) {
        m_texts = CreateShaped(VT_BSTR, layout.textShape, layout.texts, count, &data);
        m_textData = static_cast<BSTR *>(data);
    }
    if (layout.numberShape != TransferNoArray) {
        m_numbers = CreateShaped(VT_I4, layout.numberShape, layout.numbers, count, &data);
        m_numberData = static_cast<LONG *>(data);
    }
    m_failed = (layout.textShape != TransferNoArray && m_texts == nullptr) || m_numbers == nullptr;
}

CTagTransferWriter::~CTagTransferWriter()
{
    Discard();
}

void CTagTransferWriter::Discard()
{
    if (m_texts != nullptr) {
        SafeArrayUnaccessData(m_texts);
        SafeArrayDestroy(m_texts);
        m_texts = nullptr;
    }
    if (m_numbers != nullptr) {
        SafeArrayUnaccessData(m_numbers);
        SafeArrayDestroy(m_numbers);
        m_numbers = nullptr;
    }
}

void CTagTransferWriter::Put(int entry, const TagTransferOut &values)
{
    if (m_failed || entry < 0 || entry >= m_count)
        return;
    if (m_texts != nullptr) {
        BSTR *slot = m_textData + static_cast<size_t>(entry) * m_layout.texts;
        for (int i = 0; i < m_layout.texts; ++i) {
            // The array owns its elements: destroying it frees what was made so far.
            slot[i] = TextToBstr(*values.texts[i]);
            if (slot[i] == nullptr) {
                m_failed = true;
                return;
            }
        }
    }
    LONG *numbers = m_numberData + static_cast<size_t>(entry) * m_layout.numbers;
    for (int i = 0; i < m_layout.numbers; ++i)
        numbers[i] = values.numbers[i];
}

HRESULT CTagTransferWriter::Finish(VARIANT *names, VARIANT *values)
{
    if (names != nullptr)
        VariantInit(names);
    if (values != nullptr)
        VariantInit(values);
    if (m_failed || values == nullptr || (m_texts != nullptr && names == nullptr)) {
        Discard();
        return m_failed ? E_OUTOFMEMORY : E_POINTER;
    }
    if (m_texts != nullptr) {
        SafeArrayUnaccessData(m_texts);
        MakeTransferVariant(m_texts, names);
        m_texts = nullptr;
    }
    SafeArrayUnaccessData(m_numbers);
    MakeTransferVariant(m_numbers, values);
    m_numbers = nullptr;
    return S_OK;
}

CTagTransferReader::~CTagTransferReader()
{
    if (m_texts != nullptr)
        SafeArrayUnaccessData(m_texts);
    if (m_numbers != nullptr)
        SafeArrayUnaccessData(m_numbers);
}

HRESULT CTagTransferReader::OpenArray(const VARIANT &variant, VARTYPE element, TagTransferShape shape, int perEntry,
                                      SAFEARRAY **array, void **data, int *count)
{
    if (variant.vt != (VT_ARRAY | VT_BYREF | element))
        return DISP_E_TYPEMISMATCH;
    SAFEARRAY *candidate = variant.parray;
    if (candidate == nullptr)
        return E_INVALIDARG;
    VARTYPE held = VT_EMPTY;
    if (FAILED(SafeArrayGetVartype(candidate, &held)) || held != element)
        return DISP_E_TYPEMISMATCH;
    size_t elementSize = element == VT_BSTR ? sizeof(BSTR) : sizeof(LONG);
    if (SafeArrayGetElemsize(candidate) != elementSize)
        return DISP_E_TYPEMISMATCH;

    UINT dims = static_cast<UINT>(Dimensions(shape));
    if (SafeArrayGetDim(candidate) != dims)
        return DISP_E_BADINDEX;
    LONG sizes[2] = {0, 0};
    for (UINT d = 0; d < dims; ++d) {
        LONG lower = 0, upper = 0;
        if (FAILED(SafeArrayGetLBound(candidate, d + 1, &lower)) || FAILED(SafeArrayGetUBound(candidate, d + 1, &upper)))
            return DISP_E_BADINDEX;
        if (lower != 0 || upper < -1)
            return DISP_E_BADINDEX;
        sizes[d] = upper + 1;
    }
    switch (shape) {
    case TransferRows:
        if (sizes[0] != perEntry)
            return DISP_E_BADINDEX;
        *count = sizes[1];
        break;
    case TransferColumns:
        if (sizes[1] != perEntry)
            return DISP_E_BADINDEX;
        *count = sizes[0];
        break;
    case TransferOneEntry:
        if (sizes[0] != perEntry)
            return DISP_E_BADINDEX;
        *count = 1;
        break;
    default:
        *count = sizes[0];
        break;
    }
    if (FAILED(SafeArrayAccessData(candidate, data)))
        return E_INVALIDARG;
    *array = candidate;
    return S_OK;
}

HRESULT CTagTransferReader::Open(const TagTransferLayout &layout, const VARIANT *names, const VARIANT &values)
{
    m_layout = layout;
    int textCount = 0, numberCount = 0;
    void *data = nullptr;
    if (layout.textShape != TransferNoArray) {
        if (names == nullptr)
            return E_INVALIDARG;
        HRESULT hr = OpenArray(*names, VT_BSTR, layout.textShape, layout.texts, &m_texts, &data, &textCount);
        if (FAILED(hr))
            return hr;
        m_textData = static_cast<const BSTR *>(data);
    }
    HRESULT hr = OpenArray(values, VT_I4, layout.numberShape, layout.numbers, &m_numbers, &data, &numberCount);
    if (FAILED(hr))
        return hr;
    m_numberData = static_cast<const LONG *>(data);
    // Each side's count is read from its own array, so a short array cannot make the
    // other one be read past its end.
    if (m_texts != nullptr && textCount != numberCount)
        return DISP_E_BADINDEX;
    m_count = numberCount;
    return S_OK;
}

void CTagTransferReader::Get(int entry, TagTransferIn &values) const
{
    if (entry < 0 || entry >= m_count)
        return;
    if (m_textData != nullptr) {
        const BSTR *slot = m_textData + static_cast<size_t>(entry) * m_layout.texts;
        for (int i = 0; i < m_layout.texts; ++i)
            values.texts[i] = slot[i];
    }
    const LONG *numbers = m_numberData + static_cast<size_t>(entry) * m_layout.numbers;
    for (int i = 0; i < m_layout.numbers; ++i)
        values.numbers[i] = numbers[i];
}

HRESULT PackTagRecords(const LocationTag &location, VARIANT *names, VARIANT *values)
{
    CTagTransferWriter writer(TagTransfer<LocationTag>::layout, 1);
    TagTransferOut entry{};
    TagTransfer<LocationTag>::Write(location, entry);
    writer.Put(0, entry);
    return writer.Finish(names, values);
}

HRESULT UnpackTagRecords(const VARIANT &names, const VARIANT &values, LocationTag &location)
{
    location = LocationTag();
    CTagTransferReader reader;
    HRESULT hr = reader.Open(TagTransfer<LocationTag>::layout, &names, values);
    if (FAILED(hr))
        return hr;
    TagTransferIn entry;
    reader.Get(0, entry);
    TagTransfer<LocationTag>::Read(location, entry);
    return S_OK;
}
