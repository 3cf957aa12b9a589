#include "eomfsections.h"

#include "dumpnames.h"
#include "eomfcheck.h"
#include "eomflayouts.h"
#include "eomfnames.h"

CEOMFSections::CEOMFSections(DWORD programId, IUnknown *host) : CQelTargetFile(programId, host)
{
    m_typeOffsets.reserve(1024);
}

CEOMFSections::~CEOMFSections() = default;

int CEOMFSections::IsFileType(HANDLE file)
{
    return CheckEomfHeader(file);
}

int CEOMFSections::AddSection(int, SectionTag *)
{
    return 1;
}

int CEOMFSections::ProcessRecord(const EomfRecord &, HWND)
{
    return 1;
}

int CEOMFSections::ReadSections(HWND progressWindow)
{
    try {
        return RunPasses(progressWindow);
    } catch (CUserException *e) {
        e->Delete();
        SetFailure(QEL_LOAD_READER_FAILED, "The reading of the EOMF records was abandoned.");
        return 0;
    }
}

int CEOMFSections::RunPasses(HWND progressWindow)
{
    if (GetView() == nullptr) {
        SetFailure(QEL_LOAD_READER_FAILED, "The EOMF file is not open.");
        return 0;
    }
    if (!FirstPass(progressWindow))
        return 0;
    return SecondPass(progressWindow);
}

int CEOMFSections::FirstPass(HWND progressWindow)
{
    m_sections.clear();
    m_typeOffsets.clear();
    m_downloadRanges.clear();
    CEomfCursor cursor = MakeCursor();
    EomfRecord record;
    BOOL inModule = FALSE;
    BOOL sawModend = FALSE;
    CEomfCursor::Result result = cursor.First(0, &record);
    for (; result == CEomfCursor::RECORD; result = cursor.Next(&record)) {
        if (!record.HasValidChecksum()) {
            SetFailure(QEL_LOAD_READER_FAILED, "The EOMF record at offset %u has a bad checksum (%02Xh).",
                       record.Offset, record.Checksum());
            return 0;
        }
        if (!CollectRecord(record))
            return 0;
        if (record.Type == EOMF_THEADR) {
            inModule = TRUE;
        } else if (record.Type == EOMF_MODEND) {
            inModule = FALSE;
            sawModend = TRUE;
        }
    }
    // A file cut inside a module, or before the end of its first, would load in part as
    // if whole, whether the cut falls inside a record or between two. Bytes after the
    // last module that make no record are padding.
    if (inModule || !sawModend) {
        if (result == CEomfCursor::TRUNCATED)
            SetFailure(QEL_LOAD_READER_FAILED,
                       "The EOMF file is truncated at offset %u: the record there ends beyond the file.",
                       cursor.GetOffset());
        else
            SetFailure(QEL_LOAD_READER_FAILED,
                       "The EOMF file is truncated at offset %u: it ends before the MODEND record of %s.",
                       cursor.GetOffset(), inModule ? "its last module" : "any module");
        return 0;
    }
    // One download for the whole program, once every record has been checked.
    return DownloadPattern(progressWindow, 2) ? 1 : 0;
}

BOOL CEOMFSections::CollectRecord(const EomfRecord &record)
{
    switch (record.Type) {
    case EOMF_PEDATA:
    case EOMF_VECTAB: {
        EomfData data;
        if (!ReadEomfData(record, &data)) {
            SetFailure(QEL_LOAD_READER_FAILED, "The %s record at offset %u is too short (L: %u).",
                       record.Type == EOMF_PEDATA ? "PEDATA" : "VECTAB", record.Offset, record.Length);
            return FALSE;
        }
        const DWORD kind = EomfSectionKind(data.SectionType);
        AddDownloadRange(CAddressValue(data.Address, 1, 0), data.Length, kind, data.Data);
        if (record.Type == EOMF_VECTAB) {
            SectionTag section;
            section.Type = 1;
            section.AddressValue = data.Address;
            section.Length = data.Length;
            section.Name.Format("?C_VECTOR_TABLE_%Xh", data.Address);
            const int index = GetSectionCount();
            m_sections.push_back(section);
            if (!AddSection(index, &section))
                AfxThrowUserException();
        }
        return TRUE;
    }
    case EOMF_SECDEF:
    case EOMF_XSECDEF: {
        EomfSectionDef section;
        if (!ReadEomfSectionDef(record, &section)) {
            SetFailure(QEL_LOAD_READER_FAILED, "The %s record at offset %u is too short (L: %u).",
                       record.Type == EOMF_SECDEF ? "SECDEF" : "XSECDEF", record.Offset, record.Length);
            return FALSE;
        }
        return TRUE;
    }
    case EOMF_TYPNEW:
        m_typeOffsets.push_back(record.Offset);
        return TRUE;
    default:
        return TRUE;
    }
}

int CEOMFSections::SecondPass(HWND progressWindow)
{
    m_lnames.clear();
    m_moduleProcedures.clear();
    m_strModule.Empty();
    m_nBlockCounter = 0;
    m_nProcedures = 0;
    m_nNextType = 128;
    CEomfCursor cursor = MakeCursor();
    EomfRecord record;
    CEomfCursor::Result result = cursor.First(0, &record);
    for (; result == CEomfCursor::RECORD; result = cursor.Next(&record)) {
        if (IsDumping())
            DumpPrintf("\n#%u: %s record (L: %u) (CS: %Xh)\n", record.Offset,
                       static_cast<LPCSTR>(ValueName(g_eomfRecordTypeNames, record.Type)), record.Length,
                       record.Checksum());
        HandleRecord(record);
        if (!ProcessRecord(record, progressWindow))
            return 0;
        PostProgressPosition(progressWindow, record.Offset);
    }
    if (result == CEomfCursor::TRUNCATED)
        SetNotice("The %llu bytes after the last module from offset %u make no whole record; they are not read.",
                  static_cast<unsigned long long>(GetViewSize() - cursor.GetOffset()), cursor.GetOffset());
    FlushDump();
    return 1;
}

void CEOMFSections::HandleRecord(const EomfRecord &record)
{
    switch (record.Type) {
    case EOMF_THEADR: {
        CDataCursor body = record.Body();
        m_strModule = ReadEomfName(body);
        m_moduleProcedures.push_back(m_nProcedures);
        m_nBlockCounter = 0;
        DumpPrintf("Name: %s\n", static_cast<LPCSTR>(m_strModule));
        break;
    }
    case EOMF_LNAMES:
        HandleNames(record);
        break;
    case EOMF_SECDEF:
    case EOMF_XSECDEF:
        HandleSectionDef(record);
        break;
    case EOMF_BLKDEF: {
        ++m_nBlockCounter;
        EomfBlock block;
        if (ReadEomfBlock(record, &block) && block.IsProcedure() && !block.Name.IsEmpty())
            ++m_nProcedures;
        DumpBlock(record);
        break;
    }
    default:
        DumpRecord(record);
        break;
    }
}

void CEOMFSections::HandleNames(const EomfRecord &record)
{
    CDataCursor body = record.Body();
    while (!body.AtEnd()) {
        CString name = ReadEomfName(body);
        if (!body) {
            NoticeShortRecord(record);
            break;
        }
        m_lnames.push_back(name);
        DumpPrintf("%5u: %s\n", static_cast<unsigned>(m_lnames.size()), static_cast<LPCSTR>(name));
    }
}

void CEOMFSections::HandleSectionDef(const EomfRecord &record)
{
    EomfSectionDef def;
    ReadEomfSectionDef(record, &def); // the first pass has refused a short one
    if (!def.IsAbsolute()) {
        DumpPrintf("Absolute file contains unexpected section type.\n");
        return;
    }
    const int index = GetSectionCount();
    const BOOL extended = record.Type == EOMF_XSECDEF;
    DumpPrintf("Index:\t\t%u\n", index + 1);
    const CString typeName = ValueName(g_eomfSectionTypeNames, def.Kind());
    if (extended)
        DumpPrintf("Typ:\t\t%s %s\n", static_cast<LPCSTR>(typeName), (def.Attributes & 0x20) ? "xhuge" : "huge");
    else
        DumpPrintf("Typ:\t\t%s\n", static_cast<LPCSTR>(typeName));
    if (def.Kind() != 0) {
        DumpPrintf("Address:\t%Xh\n", def.Address);
        DumpPrintf("Length:\t\t%u\n", def.Length);
    } else {
        DumpPrintf("Address:\t%Xh.%u\n", def.Address, def.BitPosition());
        DumpPrintf("Length:\t\t%u (%u bits)\n", def.ByteLength(), def.Length);
    }
    SectionTag section;
    section.Type = static_cast<LONG>(EomfSectionKind(def.Kind()));
    section.AddressValue = def.Address;
    section.Length = def.ByteLength();
    section.Name = GetLName(def.NameIndex);
    if (section.Name.IsEmpty())
        section.Name.Format("unnamed%u", index + 1);
    DumpPrintf("Name:\t\t%s\n", static_cast<LPCSTR>(section.Name));
    const CString className = GetLName(def.ClassIndex);
    if (!className.IsEmpty())
        DumpPrintf("Class:\t\t%s\n", static_cast<LPCSTR>(className));
    else
        DumpPrintf("No Class assigned\n");
    m_sections.push_back(section);
    if (!AddSection(index, &section))
        AfxThrowUserException();
}

void CEOMFSections::NoticeShortRecord(const EomfRecord &record)
{
    SetNotice("The %s record at offset %u is shorter than its fields (L: %u); it is skipped.",
              static_cast<LPCSTR>(ValueName(g_eomfRecordTypeNames, record.Type)), record.Offset, record.Length);
}

CString CEOMFSections::GetLName(DWORD index) const
{
    if (index == 0 || index > m_lnames.size())
        return CString();
    return m_lnames[index - 1];
}

DWORD CEOMFSections::GetTypeOffset(DWORD index) const
{
    if (index < 128 || index - 128 >= m_typeOffsets.size())
        return 0;
    return m_typeOffsets[index - 128];
}

LONG CEOMFSections::GetProceduresBefore(LONG modul) const
{
    if (modul < 1 || static_cast<size_t>(modul) > m_moduleProcedures.size())
        return 0;
    return m_moduleProcedures[modul - 1];
}

int CEOMFSections::FindSection(DWORD mode, DWORD address, DWORD length) const
{
    for (size_t i = 0; i < m_sections.size(); ++i) {
        const SectionTag &section = m_sections[i];
        if (section.AddressMode != mode || address < section.AddressValue)
            continue;
        // In 64 bits: a section at the top of the address space does not wrap to 0.
        const uint64_t end = uint64_t(section.AddressValue) + section.Length;
        const uint64_t last = length != 0 ? uint64_t(address) + length : uint64_t(address) + 1;
        if (last <= end)
            return static_cast<int>(i);
    }
    return -1;
}
