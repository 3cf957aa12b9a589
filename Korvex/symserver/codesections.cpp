// Code sections defined from outside a program file: requests 2002 and 2003 of the
// symbol engine.
//
// A user may give the debugger memory contents that no program file describes (a boot
// loader, a patch) as a code section named by its range. The engine keeps the list, so
// that sections and locations are found in it as in the loaded program, and hands the
// contents to the host's target-pattern interface. A range already covered, by a defined
// section or by the loaded program, is not defined twice.
#include "symbolengine.h"
#include "symserverstrings.h"

#include <hostinterfaces.h>
#include <qelhostframe.h>
#include <stringtext.h>
#include <symbolcodes.h>
#include <symboltables.h>
#include <windowvalues.h>

#include <cstdio>
#include <vector>

namespace {

// A range without contents is at most this long: the host reserves what is defined.
const DWORD kLargestReservedRange = 0xFFFFFF;

// Whether [first, last] lies in the code window of `debugServer`.
BOOL IsInCodeWindow(IUnknown *debugServer, DWORD first, DWORD last)
{
    CComPtr<IQelWindowValues> values = QueryWindowValues(debugServer);
    DWORD base = 0, end = 0;
    return values != nullptr && SUCCEEDED(values->GetValue(u"CodeBaseAddr", 0, &base)) &&
           SUCCEEDED(values->GetValue(u"CodeEndAddr", 0, &end)) && base <= first && last <= end;
}

// The bytes of a VT_ARRAY | VT_UI1 contents parameter, accessed while the object lives.
class CContents {
public:
    explicit CContents(const VARIANT &value)
    {
        if ((value.vt & VT_ARRAY) == 0)
            return;
        m_pArray = (value.vt & VT_BYREF) != 0 ? *value.pparray : value.parray;
        m_bArray = TRUE;
        void *data = nullptr;
        if (m_pArray == nullptr || (value.vt & VT_TYPEMASK) != VT_UI1 || SafeArrayGetDim(m_pArray) != 1 ||
            FAILED(SafeArrayAccessData(m_pArray, &data))) {
            m_pArray = nullptr;
            return;
        }
        m_pData = static_cast<const BYTE *>(data);
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(m_pArray, 1, &lower);
        SafeArrayGetUBound(m_pArray, 1, &upper);
        m_nCount = static_cast<uint64_t>(int64_t(upper) - lower + 1);
    }
    ~CContents()
    {
        if (m_pData != nullptr)
            SafeArrayUnaccessData(m_pArray);
    }
    CContents(const CContents &) = delete;
    CContents &operator=(const CContents &) = delete;

    BOOL IsArray() const { return m_bArray; }
    // The bytes when the array holds exactly `count` of them; null otherwise.
    const BYTE *Fitting(uint64_t count) const { return m_pData != nullptr && m_nCount == count ? m_pData : nullptr; }

private:
    SAFEARRAY *m_pArray = nullptr;
    const BYTE *m_pData = nullptr;
    uint64_t m_nCount = 0;
    BOOL m_bArray = FALSE;
};

} // namespace

int ClipRange(DWORD sectionFirst, DWORD sectionLast, DWORD &first, DWORD &last, DWORD &secondFirst, DWORD &secondLast)
{
    secondFirst = secondLast = 0;
    if (last < sectionFirst || first > sectionLast)
        return 0;
    if (sectionFirst <= first && last <= sectionLast) {
        first = last = 0;
        return 1;
    }
    if (first < sectionFirst && last <= sectionLast) {
        last = sectionFirst - 1;
        return 2;
    }
    if (first < sectionFirst) {
        secondFirst = sectionLast + 1;
        secondLast = last;
        last = sectionFirst - 1;
        return 3;
    }
    first = sectionLast + 1;
    return 4;
}

std::vector<CSymbolEngine::CodeRange> CSymbolEngine::SplitCodeRange(DWORD first, DWORD last)
{
    // What is covered already: the defined code sections and the loaded program's
    // sections. A section without length covers nothing.
    std::vector<CodeRange> covered;
    for (int i = 0; i < CodeSections.GetSize(); ++i) {
        if (CodeSections[i].Length != 0)
            covered.push_back({CodeSections[i].AddressValue, CodeSections[i].AddressValue + CodeSections[i].Length - 1});
    }
    if (DatabaseLoaded != 0 && GetProgramDatabase() != nullptr) {
        CDBSections sections(GetProgramDatabase()->GetDatabase());
        for (sections.Open(); !sections.IsEOF(); sections.MoveNext()) {
            if (sections.m_Length != 0)
                covered.push_back({static_cast<DWORD>(sections.m_AddressValue),
                                   static_cast<DWORD>(sections.m_AddressValue + sections.m_Length - 1)});
        }
    }

    std::vector<CodeRange> ranges = {{first, last}};
    for (size_t r = 0; r < ranges.size();) {
        BOOL removed = FALSE;
        for (const CodeRange &section : covered) {
            DWORD secondFirst = 0, secondLast = 0;
            int clipped = ClipRange(section.First, section.Last, ranges[r].First, ranges[r].Last, secondFirst, secondLast);
            if (clipped == 1) {
                removed = TRUE;
                break;
            }
            if (clipped == 3)
                ranges.push_back({secondFirst, secondLast});
        }
        if (removed)
            ranges.erase(ranges.begin() + static_cast<ptrdiff_t>(r));
        else
            ++r;
    }
    return ranges;
}

int CSymbolEngine::FindCodeSection(const CString &description) const
{
    for (int i = 0; i < CodeSections.GetSize(); ++i) {
        if (CodeSections[i].Name == description)
            return i;
    }
    return -1;
}

int CSymbolEngine::FindCodeSectionByAddress(DWORD mode, DWORD value, DWORD) const
{
    for (int i = 0; i < CodeSections.GetSize(); ++i) {
        const SectionTag &section = CodeSections[i];
        // Measured from the start, so that a section that ends at the top of the address
        // space does not wrap.
        if (section.AddressMode == mode && value - section.AddressValue < section.Length)
            return i;
    }
    return -1;
}

void CSymbolEngine::OnDefineCodeSection(CSymbolRequest &request)
{
    // Held as a load holds it (OnLoadFile).
    CComPtr<IUnknown> keepHost(m_pOwner);
    const CString description = request.Param1.vt == VT_BSTR ? CString(request.Param1.bstrVal) : CString();
    const int parenthesis = description.ReverseFind('(');
    unsigned first = 0, last = 0;
    if (parenthesis < 0 || sscanf(static_cast<LPCSTR>(description) + parenthesis, "(%Xh - %Xh)", &first, &last) != 2)
        return;
    if (first > last) {
        Fail(request, StatusOtherError, LoadStringText(IDS_LOAD_START_AFTER_END));
        return;
    }
    const BOOL withId = request.Param3.vt == VT_I4;
    CContents contents(request.Param2);
    const uint64_t length = uint64_t(last) - first + 1;
    if (!contents.IsArray() && length - 1 > kLargestReservedRange) {
        CString text;
        text.Format(LoadStringText(IDS_LOAD_RANGE_TOO_LONG), kLargestReservedRange);
        Fail(request, StatusOtherError, text);
        return;
    }
    const std::vector<CodeRange> ranges =
        withId ? std::vector<CodeRange>{{first, last}} : SplitCodeRange(first, last);

    // PCP code goes to the partner debugger's debug server when that is the PCP's.
    LONG type = TYSE_CODE;
    CComPtr<IUnknown> foreign = QueryDebugServer(SYF_GET_FOREIGN_DEBUG_SERVER);
    CComPtr<IUnknown> partner = foreign != nullptr ? foreign : QueryDebugServer(SYF_GET_PCP_STANDALONE_DEBUG_SERVER);
    if (partner != nullptr && IsInCodeWindow(partner, first, last))
        type = TYSE_CODE_PCP;
    IUnknown *downloadHost = type == LONG(TYSE_CODE_PCP) && foreign != nullptr ? foreign.p : m_pOwner;
    CComQIPtr<IQelTargetPattern> pattern(downloadHost);

    // Without contents the host reserves the range; contents that do not fit the range
    // reserve it as well, rather than sending bytes that are not the range's.
    const BYTE *data = contents.Fitting(length);
    DWORD transferKind = data != nullptr ? 0 : 3;
    std::vector<BYTE> reserved;
    if (!contents.IsArray())
        reserved.resize(static_cast<size_t>(length));
    if (!contents.IsArray())
        data = reserved.data();

    const CString name = description.Left(parenthesis);
    for (const CodeRange &range : ranges) {
        SectionTag section;
        section.Type = type;
        section.AddressMode = SYAM_ABSOLUTE;
        section.AddressValue = range.First;
        section.AddressExtra = 0;
        section.Length = range.Last - range.First + 1;
        section.Name.Format("%s (%Xh - %Xh)", static_cast<LPCSTR>(name), range.First, range.Last);
        const int id = withId ? request.Param3.lVal : ++LastCodeSectionId;
        CodeSections.Add(section);
        m_CodeSectionIds.Add(id);
        if (pattern == nullptr)
            continue;
        if (!withId)
            pattern->AnnounceDownload(1, section.Length, static_cast<DWORD>(id));
        const BYTE *rangeData = data != nullptr ? data + (range.First - first) : nullptr;
        if (pattern->DownloadBlock(range.First, section.Length, rangeData, transferKind, static_cast<DWORD>(id)) != S_OK)
            request.m_nStatus = StatusCodeRefused;
    }
    if (withId || pattern == nullptr || ranges.empty())
        return;

    // The program starts where the host's target says, else at the section's start.
    ULONG start = ranges.front().First;
    CComQIPtr<IOleCommandTarget> commands(m_pOwner);
    VARIANT answer;
    VariantInit(&answer);
    if (commands != nullptr && SUCCEEDED(commands->Exec(&CGID_QelHostCommands, QEL_HOSTCMD_TARGET_ACCESS, 0, nullptr, &answer)) &&
        answer.vt == VT_UNKNOWN && answer.punkVal != nullptr) {
        ULONG address = 0;
        if (SUCCEEDED(static_cast<IQelTargetAccess *>(answer.punkVal)->GetCurrentAddress(&address)))
            start = address;
    }
    VariantClear(&answer);
    pattern->AnnounceStartAddress(m_CodeSectionIds[m_CodeSectionIds.GetSize() - 1], start, start, 0);
}

void CSymbolEngine::OnUndefineCodeSection(CSymbolRequest &request)
{
    CComPtr<IUnknown> keepHost(m_pOwner);
    const CString description = request.Param1.vt == VT_BSTR ? CString(request.Param1.bstrVal) : CString();
    const int index = FindCodeSection(description);
    if (index < 0)
        return;
    const int id = m_CodeSectionIds[index];
    CodeSections.RemoveAt(index);
    m_CodeSectionIds.RemoveAt(index);
    if (CComQIPtr<IQelTargetPattern> pattern = CComQIPtr<IQelTargetPattern>(m_pOwner))
        pattern->ForgetCodeSection(id);
    request.m_nResult = 1;
}
