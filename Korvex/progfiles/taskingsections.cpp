#include "taskingsections.h"

#include "c16xinfo.h"
#include "symbolcodes.h"

#include <algorithm>
#include <cstring>

namespace {

const DWORD kKindCode = 0x78;
const DWORD kKindBitArea = 0x79;
const DWORD kVectorImageSize = 512;

} // namespace

int CheckTaskingOutFile(HANDLE file, CString *refusal)
{
    BYTE header[kTaskingHeaderSize];
    DWORD read = 0;
    if (!ReadFile(file, header, sizeof header, &read, nullptr))
        read = 0;
    return IsTaskingOutHeader(header, read, refusal) ? 1 : 0;
}

int CTaskingOutCheck::IsFileType(HANDLE file)
{
    return CheckTaskingOutFile(file, nullptr);
}

CTaskingOutSections::CTaskingOutSections(DWORD programId, IUnknown *owner) : CQelTargetFile(programId, owner) {}

CTaskingOutSections::~CTaskingOutSections() = default;

int CTaskingOutSections::IsFileType(HANDLE file)
{
    CString refusal;
    const int accepted = CheckTaskingOutFile(file, &refusal);
    if (accepted != 1)
        RefuseFileType(refusal);
    return accepted;
}

BOOL CTaskingOutSections::Open(LPCSTR path, LPCSTR dumpTarget)
{
    m_image = CTaskingOutImage();
    return CQelTargetFile::Open(path, dumpTarget);
}

CString CTaskingOutSections::GetString()
{
    return m_image.GetText(m_nCurrentRecord);
}

int CTaskingOutSections::AddSection(int, SectionTag *)
{
    return 1;
}

int CTaskingOutSections::ReadSections(HWND)
{
    CString error;
    if (!m_image.Attach(GetView(), GetViewSize(), &error)) {
        SetFailure(QEL_LOAD_READER_FAILED, "%s", static_cast<LPCSTR>(error));
        return 0;
    }
    // The gaps that enclose something, by start, the widest first where starts are equal.
    std::vector<TaskingGap> gaps;
    for (const TaskingGap &gap : m_image.GetGaps()) {
        if (gap.Start < gap.End)
            gaps.push_back(gap);
    }
    std::stable_sort(gaps.begin(), gaps.end(), [](const TaskingGap &a, const TaskingGap &b) {
        return a.Start != b.Start ? a.Start < b.Start : a.End > b.End;
    });
    try {
        MakeSections(gaps);
    } catch (CUserException *e) {
        e->Delete();
        SetFailure(QEL_LOAD_READER_FAILED, "The section %s could not be recorded.", static_cast<LPCSTR>(GetString()));
        return 0;
    }
    FlushVectorImage();
    return 1;
}

void CTaskingOutSections::MakeSections(std::vector<TaskingGap> &gaps)
{
    CTaskingC16xInfo *info = dynamic_cast<CTaskingC16xInfo *>(GetProgramInfo());
    int index = 2;
    for (DWORD i = 0; i < m_image.GetSectionCount(); ++i, ++index) {
        const TaskingSectionEntry entry = m_image.GetSection(i);
        SetCurrentRecord(m_image.GetSectionNameIndex(i));
        const DWORD kind = m_image.GetNameRecord(m_nCurrentRecord).Kind();

        SectionTag record;
        record.Type = kind == kKindCode ? TYSE_CODE : TYSE_DATA;
        if (entry.Size != entry.FileLength)
            record.Type = entry.FileLength == 0 ? static_cast<LONG>(TYSE_BSS) : static_cast<LONG>(record.Type | TYSE_WITH_GAPS);
        if (kind == kKindBitArea) {
            record.AddressMode = SYAM_ABSOLUTE_BIT;
            record.AddressValue = 0xFD00 + (entry.Base / 16) * 2;
            record.AddressExtra = entry.Base % 16;
        } else {
            record.AddressMode = SYAM_ABSOLUTE;
            record.AddressValue = entry.Base;
            record.AddressExtra = 0;
        }
        record.Length = entry.Size;
        record.Name = GetString();
        if (info != nullptr && record.Name == "__ICALL") {
            info->m_nICallStart = record.AddressValue;
            info->m_nICallLength = entry.Size;
        } else if (info != nullptr && record.Name == "__IRET") {
            info->m_nIRetStart = record.AddressValue;
            info->m_nIRetLength = entry.Size;
        }
        if (AddSection(index, &record) == 0)
            AfxThrowUserException();
        if (entry.FileLength > 0)
            DownloadSection(entry, CAddressValue(record.AddressValue, record.AddressMode, record.AddressExtra),
                            static_cast<DWORD>(record.Type) & ~TYSE_WITH_GAPS, m_image.GetSectionData(i), gaps);
    }
}

void CTaskingOutSections::DownloadSection(const TaskingSectionEntry &section, const CAddressValue &address,
                                          DWORD kind, const BYTE *data, std::vector<TaskingGap> &gaps)
{
    if (section.Size == section.FileLength || gaps.empty()) {
        AddDownloadRange(address, section.FileLength, kind, data);
        return;
    }
    // The file holds the section's memory without its gaps: each piece between two gaps
    // takes the next bytes of the contents, never more than the contents have.
    const uint64_t end = uint64_t(section.Base) + section.Size;
    uint64_t current = section.Base;
    DWORD taken = 0;
    size_t firstUsed = gaps.size(), lastUsed = gaps.size();
    for (size_t g = 0; g < gaps.size(); ++g) {
        const TaskingGap &gap = gaps[g];
        if (gap.Start < current)
            continue;
        if (end <= gap.End)
            break;
        const DWORD piece = static_cast<DWORD>(std::min<uint64_t>(gap.Start - current, section.FileLength - taken));
        AddDownloadRange(CAddressValue(static_cast<DWORD>(current), SYAM_ABSOLUTE, 0), piece, kind, data + taken);
        taken += piece;
        current = gap.End;
        if (firstUsed == gaps.size())
            firstUsed = g;
        lastUsed = g;
    }
    if (taken < section.FileLength)
        AddDownloadRange(CAddressValue(static_cast<DWORD>(current), SYAM_ABSOLUTE, 0), section.FileLength - taken, kind,
                         data + taken);
    // The last gap used may reach into the next section; the ones before it cannot.
    if (firstUsed < lastUsed)
        gaps.erase(gaps.begin() + static_cast<ptrdiff_t>(firstUsed), gaps.begin() + static_cast<ptrdiff_t>(lastUsed));
}

void CTaskingOutSections::AddDownloadRange(const CAddressValue &address, DWORD length, DWORD kind, const void *data)
{
    if (length == 0)
        return;
    // In 64 bits: a range near the top of the address space must not wrap below 512.
    if (address.AddressMode != SYAM_ABSOLUTE || uint64_t(address.AddressValue) + length > kVectorImageSize) {
        CQelTargetFile::AddDownloadRange(address, length, kind, data);
        return;
    }
    if (!m_vectorImage) {
        m_vectorImage.reset(new BYTE[2 * kVectorImageSize]);
        memset(m_vectorImage.get(), 0, 2 * kVectorImageSize);
    }
    memcpy(m_vectorImage.get() + address.AddressValue, data, length);
    memset(m_vectorImage.get() + kVectorImageSize + address.AddressValue, 1, length);
}

void CTaskingOutSections::FlushVectorImage()
{
    if (!m_vectorImage)
        return;
    const BYTE *marks = m_vectorImage.get() + kVectorImageSize;
    for (DWORD start = 0; start < kVectorImageSize;) {
        if (marks[start] == 0) {
            ++start;
            continue;
        }
        DWORD end = start;
        while (end < kVectorImageSize && marks[end] != 0)
            ++end;
        CQelTargetFile::AddDownloadRange(CAddressValue(start, SYAM_ABSOLUTE, 0), end - start, TYSE_CODE,
                                         m_vectorImage.get() + start);
        start = end;
    }
}
