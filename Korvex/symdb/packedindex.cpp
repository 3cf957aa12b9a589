#include "packedindex.h"

IMPLEMENT_DYNAMIC(CQelIndexRangeException, CQeldbException)

namespace {

// Jet's "Numeric field overflow.": the value does not fit its column's form.
const UINT kNumericOverflow = 3349;

CString RangeText(LONG modul, LONG number)
{
    CString text;
    if (static_cast<ULONG>(modul) > static_cast<ULONG>(kMaxPackedModul))
        text.Format("Module %d of the program cannot be stored in the symbol database: module numbers above "
                    "%d do not fit its type and symbol indexes.",
                    static_cast<int>(modul), static_cast<int>(kMaxPackedModul));
    else
        text.Format("Type or symbol number 0x%X of module %d cannot be stored in the symbol database: numbers "
                    "above 0x%X do not fit its indexes.",
                    static_cast<unsigned>(number), static_cast<int>(modul), static_cast<unsigned>(kMaxPackedNumber));
    return text;
}

} // namespace

LONG PackTypeIndex(LONG modul, LONG number)
{
    return static_cast<LONG>(((static_cast<ULONG>(modul) & kMaxPackedModul) << 18) |
                             (static_cast<ULONG>(number) & kMaxPackedNumber));
}

LONG GetModulOfIndex(LONG index)
{
    return static_cast<LONG>((static_cast<ULONG>(index) >> 18) & kMaxPackedModul);
}

CQelIndexRangeException::CQelIndexRangeException(LONG modul, LONG number)
    : CQeldbException(kNumericOverflow, "Korvex.RecordLayer", RangeText(modul, number)), m_nModul(modul),
      m_nNumber(number)
{
}

LONG PackIndexChecked(LONG modul, LONG number, BOOL sharedTypes)
{
    // Packed, "none" would become number 0x3FFFF of the module, a type like any other.
    if (number == kNoIndex)
        return kNoIndex;
    LONG packedModul = sharedTypes ? 0 : modul;
    if (static_cast<ULONG>(packedModul) > static_cast<ULONG>(kMaxPackedModul) ||
        static_cast<ULONG>(number) > static_cast<ULONG>(kMaxPackedNumber))
        throw new CQelIndexRangeException(packedModul, number);
    return PackTypeIndex(packedModul, number);
}
