// The transfer of tag records between the symbol server and its clients.
//
// A Get method of IQelSymbol hands a finished request's records over as two VARIANTs: the
// texts, of type VT_ARRAY | VT_BYREF | VT_BSTR, and the numbers, of type VT_ARRAY |
// VT_BYREF | VT_I4. Kinds without texts give only the numbers. Although the type carries
// VT_BYREF, the SAFEARRAY pointer itself stands in parray (not a pointer to it); both
// sides have always read and written it so, and must go on doing so. Such a VARIANT must
// therefore never reach VariantClear or VariantCopy, which would take parray for a
// pointer that they do not own: MakeTransferVariant builds it and FreeTransferVariant
// frees it, and nothing else touches it.
//
// Each array's data are one flat sequence, entry after entry, each entry's values in the
// order of its kind (tagtransferkinds.cpp). The dimensions declare a shape per kind:
//
//   group  record          texts per entry      numbers per entry  texts     numbers
//   0      SectionTag      1                    4                  (n)       (4, n)
//   100    SourceFileTag   2                    5                  (2, n)    (5, n)
//   200    FunctionTag     1                    6                  (n)       (6, n)
//   300    SourceLineTag   -                    4                  -         (4, n)
//   400    VariableTag     3                    9                  (3, n)    (9, n)
//   500    MemberTag       2                    6                  (2, n)    (6, n)
//   600    LifetimeTag     -                    6                  -         (n, 6)
//   700    LabelTag        1                    4                  (n)       (4, n)
//   800    RegisterMapTag  1                    1                  (n)       (n)
//   900    VarEdTag        -                    2                  -         (n, 2)
//   4000   LocationTag     3, one entry         9, one entry       (3)       (9)
//
// where n is the number of entries and every lower bound is 0. Lifetimes and VarEd pairs
// name the entries first although their data run entry after entry like the others'.
//
// The unpacking trusts nothing it is given: a VARIANT of another type, an array of another
// element type, other dimensions, bounds that are not 0-based, an entry shape that is not
// the kind's, or text and number arrays that disagree on the entry count all give an
// empty result and a failure, and no read goes past the data.
#pragma once

#include <afx.h>

#include "tagrecords.h"

// Puts `array` into `variant` as a transfer VARIANT (VT_ARRAY | VT_BYREF | the array's
// element type, the array in parray); the VARIANT owns the array from then on.
// E_INVALIDARG, and nothing changed, for a null array or VARIANT.
HRESULT MakeTransferVariant(SAFEARRAY *array, VARIANT *variant);

// Destroys the array of a transfer VARIANT and leaves it VT_EMPTY. Whatever else a
// VARIANT holds (a server that answered with something else) is cleared as an ordinary
// VARIANT. NULL is allowed.
void FreeTransferVariant(VARIANT *variant);

// How the arrays of one kind declare their dimensions.
enum TagTransferShape {
    TransferNoArray,  // the kind sends no such array
    TransferEntries,  // 1 dimension: one element per entry
    TransferRows,     // 2 dimensions (per entry, entries)
    TransferColumns,  // 2 dimensions (entries, per entry)
    TransferOneEntry, // 1 dimension (per entry): exactly one entry
};

struct TagTransferLayout {
    int texts; // per entry
    TagTransferShape textShape;
    int numbers; // per entry
    TagTransferShape numberShape;
};

// One entry on its way into the arrays, and on its way out.
constexpr int kMaxTransferTexts = 3;
constexpr int kMaxTransferNumbers = 9;
struct TagTransferOut {
    const CString *texts[kMaxTransferTexts];
    LONG numbers[kMaxTransferNumbers];
};
struct TagTransferIn {
    CString texts[kMaxTransferTexts];
    LONG numbers[kMaxTransferNumbers];
};

// The field order of each kind, defined in tagtransferkinds.cpp.
template <class Record>
struct TagTransfer;

#define QEL_TAG_TRANSFER(Record, withTexts, inArrays)           \
    template <>                                                  \
    struct TagTransfer<Record> {                                 \
        static constexpr bool hasTexts = withTexts;              \
        static constexpr bool listed = inArrays;                 \
        static const TagTransferLayout layout;                   \
        static void Write(const Record &record, TagTransferOut &entry); \
        static void Read(Record &record, const TagTransferIn &entry);   \
    }
QEL_TAG_TRANSFER(SectionTag, true, true);
QEL_TAG_TRANSFER(SourceFileTag, true, true);
QEL_TAG_TRANSFER(FunctionTag, true, true);
QEL_TAG_TRANSFER(SourceLineTag, false, true);
QEL_TAG_TRANSFER(VariableTag, true, true);
QEL_TAG_TRANSFER(MemberTag, true, true);
QEL_TAG_TRANSFER(LifetimeTag, false, true);
QEL_TAG_TRANSFER(LabelTag, true, true);
QEL_TAG_TRANSFER(RegisterMapTag, true, true);
QEL_TAG_TRANSFER(VarEdTag, false, true);
QEL_TAG_TRANSFER(LocationTag, true, false);
#undef QEL_TAG_TRANSFER

// Makes the two arrays of one result and fills them entry by entry.
class CTagTransferWriter {
public:
    CTagTransferWriter(const TagTransferLayout &layout, int count);
    ~CTagTransferWriter();
    CTagTransferWriter(const CTagTransferWriter &) = delete;
    CTagTransferWriter &operator=(const CTagTransferWriter &) = delete;

    void Put(int entry, const TagTransferOut &values);
    // Hands the arrays over as transfer VARIANTs (`names` is ignored for a kind without
    // texts): S_OK; E_OUTOFMEMORY when an array or a text could not be made, E_POINTER
    // when a VARIANT that the kind needs is missing, both with the VARIANTs VT_EMPTY.
    HRESULT Finish(VARIANT *names, VARIANT *values);

private:
    void Discard();

    TagTransferLayout m_layout;
    int m_count;
    SAFEARRAY *m_texts = nullptr;
    SAFEARRAY *m_numbers = nullptr;
    BSTR *m_textData = nullptr;
    LONG *m_numberData = nullptr;
    bool m_failed = false;
};

// Checks the two arrays of one result against a kind and reads them entry by entry.
class CTagTransferReader {
public:
    CTagTransferReader() = default;
    ~CTagTransferReader();
    CTagTransferReader(const CTagTransferReader &) = delete;
    CTagTransferReader &operator=(const CTagTransferReader &) = delete;

    // S_OK when both arrays have the kind's shape; DISP_E_TYPEMISMATCH for a VARIANT or
    // element of another type, E_INVALIDARG for a missing array, DISP_E_BADINDEX for
    // other dimensions or bounds. `names` is not read for a kind without texts.
    HRESULT Open(const TagTransferLayout &layout, const VARIANT *names, const VARIANT &values);
    int Count() const { return m_count; }
    void Get(int entry, TagTransferIn &values) const;

private:
    HRESULT OpenArray(const VARIANT &variant, VARTYPE element, TagTransferShape shape, int perEntry,
                      SAFEARRAY **array, void **data, int *count);

    TagTransferLayout m_layout{};
    int m_count = 0;
    SAFEARRAY *m_texts = nullptr;
    SAFEARRAY *m_numbers = nullptr;
    const BSTR *m_textData = nullptr;
    const LONG *m_numberData = nullptr;
};

namespace TagTransferDetail {

template <class Record, class ARG>
HRESULT Pack(const CArray<Record, ARG> &records, VARIANT *names, VARIANT *values)
{
    CTagTransferWriter writer(TagTransfer<Record>::layout, records.GetSize());
    TagTransferOut entry{};
    for (int i = 0; i < records.GetSize(); ++i) {
        TagTransfer<Record>::Write(records[i], entry);
        writer.Put(i, entry);
    }
    return writer.Finish(names, values);
}

template <class Record, class ARG>
HRESULT Unpack(const VARIANT *names, const VARIANT &values, CArray<Record, ARG> &records)
{
    records.RemoveAll();
    CTagTransferReader reader;
    HRESULT hr = reader.Open(TagTransfer<Record>::layout, names, values);
    if (FAILED(hr))
        return hr;
    records.SetSize(reader.Count());
    TagTransferIn entry;
    for (int i = 0; i < reader.Count(); ++i) {
        reader.Get(i, entry);
        TagTransfer<Record>::Read(records[i], entry);
    }
    return S_OK;
}

} // namespace TagTransferDetail

// Packing, on the server's side: the records as the two transfer VARIANTs, S_OK; or
// E_OUTOFMEMORY and both VARIANTs VT_EMPTY. Kinds without texts give only the numbers.
template <class Record, class ARG>
    requires(TagTransfer<Record>::listed && TagTransfer<Record>::hasTexts)
HRESULT PackTagRecords(const CArray<Record, ARG> &records, VARIANT *names, VARIANT *values)
{
    return TagTransferDetail::Pack(records, names, values);
}

template <class Record, class ARG>
    requires(TagTransfer<Record>::listed && !TagTransfer<Record>::hasTexts)
HRESULT PackTagRecords(const CArray<Record, ARG> &records, VARIANT *values)
{
    return TagTransferDetail::Pack(records, nullptr, values);
}

HRESULT PackTagRecords(const LocationTag &location, VARIANT *names, VARIANT *values);

// Unpacking, on the client's side: `records` becomes one new record per entry (the fields
// that do not travel keep their defaults) and S_OK; or `records` is left empty and the
// reader's failure is returned. The VARIANTs stay the caller's, to free with
// FreeTransferVariant whatever the outcome.
template <class Record, class ARG>
    requires(TagTransfer<Record>::listed && TagTransfer<Record>::hasTexts)
HRESULT UnpackTagRecords(const VARIANT &names, const VARIANT &values, CArray<Record, ARG> &records)
{
    return TagTransferDetail::Unpack(&names, values, records);
}

template <class Record, class ARG>
    requires(TagTransfer<Record>::listed && !TagTransfer<Record>::hasTexts)
HRESULT UnpackTagRecords(const VARIANT &values, CArray<Record, ARG> &records)
{
    return TagTransferDetail::Unpack(nullptr, values, records);
}

// The single location: on failure `location` is a new, empty LocationTag.
HRESULT UnpackTagRecords(const VARIANT &names, const VARIANT &values, LocationTag &location);
