#include "elfsections.h"

#include <comerror.h>
#include <hostinterfaces.h>
#include <qelsymbsrv.h>
#include <windowvalues.h>

#include "elfcheck.h"
#include "elfdump.h"

#include <cstring>

namespace {

// The debug sections by name, in the order in which a name is compared.
const struct {
    LPCSTR name;
    ElfDebugSection entry;
} debugSectionNames[] = {
    {".line", ELF_LINE},
    {".debug", ELF_DEBUG},
    {".debug_sfnames", ELF_DEBUG_SFNAMES},
    {".debug_srcinfo", ELF_DEBUG_SRCINFO},
    {".debug_loc_ext", ELF_DEBUG_LOC_EXT},
    {".debug_pubnames", ELF_DEBUG_PUBNAMES},
    {".debug_aranges", ELF_DEBUG_ARANGES},
    {".debug_line", ELF_DEBUG_LINE},
    {".debug_info", ELF_DEBUG_INFO},
    {".debug_abbrev", ELF_DEBUG_ABBREV},
    {".debug_frame", ELF_DEBUG_FRAME},
    {".debug_loc", ELF_DEBUG_LOC},
    {".debug_macinfo", ELF_DEBUG_MACINFO},
    {".debug_str", ELF_DEBUG_STR},
    {".VarEd_Info", ELF_VARED_INFO},
};

} // namespace

CELFSections::CELFSections(DWORD programId, IUnknown *owner) : CQelTargetFile(programId, owner)
{
    for (int &index : m_debugSections)
        index = -1;
    if (owner != nullptr)
        AttachDebugServer(owner);
}

CELFSections::~CELFSections()
{
    ReleaseDebugServer();
}

void CELFSections::ReleaseDebugServer()
{
    if (m_pDebugServer != nullptr)
        m_pDebugServer->Release();
    m_pDebugServer = nullptr;
    m_bStandalonePcp = FALSE;
}

void CELFSections::AttachDebugServer(IUnknown *owner)
{
    CComPtr<IQelSymbSrv> symbolServer;
    HRESULT hr = owner->QueryInterface(qel_uuidof<IQelSymbSrv>(), reinterpret_cast<void **>(&symbolServer));
    if (hr == E_NOINTERFACE)
        return;
    if (FAILED(hr))
        _com_issue_error(hr);
    IUnknown *server = nullptr;
    if (SUCCEEDED(symbolServer->Synchronize(SYF_GET_PCP_STANDALONE_DEBUG_SERVER, &server)) && server != nullptr) {
        m_bStandalonePcp = TRUE;
    } else {
        server = nullptr;
        if (FAILED(symbolServer->Synchronize(SYF_GET_FOREIGN_DEBUG_SERVER, &server)))
            server = nullptr;
    }
    m_pDebugServer = server;
    if (m_pDebugServer == nullptr)
        return;

    CComPtr<IQelWindowValues> values = QueryWindowValues(m_pDebugServer);
    if (values == nullptr)
        return;
    m_codeWindow.Read = 1;
    values->GetValue(u"CodeBaseAddr", 0, &m_codeWindow.Base);
    values->GetValue(u"CodeEndAddr", 0, &m_codeWindow.End);
    m_dataWindow.Read = 1;
    values->GetValue(u"DataBaseAddr", 0, &m_dataWindow.Base);
    values->GetValue(u"DataEndAddr", 0, &m_dataWindow.End);
}

BOOL CELFSections::Open(LPCSTR path, LPCSTR dumpTarget)
{
    m_image.Detach();
    if (!CQelTargetFile::Open(path, dumpTarget))
        return FALSE;
    m_image.Attach(GetView(), GetViewSize());
    return TRUE;
}

int CELFSections::IsFileType(HANDLE file)
{
    CString refusal;
    int accepted = CheckElfHeader(file, &m_nMachine, &m_nEncoding, &refusal);
    RefuseFileType(refusal);
    return accepted;
}

LPCSTR CELFSections::GetString(DWORD offset, int section)
{
    return m_image.GetString(offset, section);
}

int CELFSections::AddSection(int, SectionTag *)
{
    return 1;
}

int CELFSections::GetDebugSection(int which) const
{
    return which >= 0 && which < ELF_DEBUG_SECTION_COUNT ? m_debugSections[which] : -1;
}

const BYTE *CELFSections::GetDebugSectionData(int which, DWORD *size) const
{
    *size = 0;
    int index = GetDebugSection(which);
    return index < 0 ? nullptr : m_image.GetSectionData(static_cast<UINT>(index), size);
}

void CELFSections::ExamineElfHeader()
{
    const ELF_HEADER &header = m_image.GetElfHeader();
    if (header.e_entry != 0 || IsArm())
        m_entry = CAddressValue(header.e_entry, 1, 0);
}

int CELFSections::ScanSections()
{
    if (!m_image.IsAttached()) {
        SetFailure(QEL_LOAD_READER_FAILED, "%s", static_cast<LPCSTR>(m_image.GetError()));
        return 0;
    }
    ExamineElfHeader();
    if (IsDumping())
        CElfDumper(*this, m_image).DumpFile();
    for (int &index : m_debugSections)
        index = -1;
    m_codeModeMarks.clear();
    m_armCodeCuts.clear();
    m_thumbCodeCuts.clear();

    ELF_SECTION_HEADER names;
    m_image.GetSectionHeader(m_image.GetElfHeader().e_shstrndx, &names);
    for (UINT n = 0; n < m_image.GetSectionCount(); ++n) {
        ELF_SECTION_HEADER section;
        m_image.GetSectionHeader(n, &section);
        if (section.sh_size == 0)
            continue;
        LPCSTR name = m_image.GetString(section.sh_name, -1);
        if (section.sh_name >= names.sh_size || name == nullptr) {
            SetFailure(QEL_LOAD_READER_FAILED, "The name of ELF section %u lies outside the section-name table.", n);
            return 0;
        }
        if (section.sh_type == SHT_SYMTAB) {
            m_debugSections[ELF_SYMTAB] = static_cast<int>(n);
            if (IsArm())
                CollectArmSymbols(static_cast<int>(n));
            continue;
        }
        for (const auto &debug : debugSectionNames) {
            if (strcmp(name, debug.name) == 0) {
                m_debugSections[debug.entry] = static_cast<int>(n);
                break;
            }
        }
    }

    m_sectionRecords.clear();
    if (m_debugSections[ELF_DEBUG] >= 0)
        CollectDwarf1UnitRanges();
    else if (m_debugSections[ELF_DEBUG_INFO] >= 0 && m_debugSections[ELF_DEBUG_ABBREV] >= 0)
        CollectDwarf2UnitRanges();
    return 1;
}

int CELFSections::FindUnitRange(const CAddressValue &address, DWORD length) const
{
    uint64_t value = address.AddressValue;
    for (size_t i = 0; i < m_sectionRecords.size(); ++i) {
        const SectionTag &unit = m_sectionRecords[i];
        if (unit.AddressMode != address.AddressMode)
            continue;
        uint64_t start = unit.AddressValue;
        uint64_t end = start + unit.Length;
        if (length != 0) {
            if (start <= value && value + length <= end)
                return static_cast<int>(i);
            if (address.AddressMode == m_entry.AddressMode && value <= m_entry.AddressValue &&
                m_entry.AddressValue < value + length)
                return 0;
        } else if (start <= value && value < end) {
            return static_cast<int>(i);
        }
    }
    return -1;
}
