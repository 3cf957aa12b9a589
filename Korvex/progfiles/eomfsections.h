// CEOMFSections: the section level of the EOMF reader.
//
// It walks the records of an EOMF file twice. The first pass checks every record's
// checksum and the lengths of the records that the load relies on, collects the loadable
// data (PEDATA, VECTAB) and the type records' offsets, and downloads the memory image
// once at its end. The second pass keeps the names, sections, modules and blocks that
// the later levels use, writes the dump and hands every record to ProcessRecord, through
// which the globals level fills the database while the walk runs.
//
// A file is refused whole, before anything is downloaded, when a record's checksum is
// wrong, a PEDATA, VECTAB, SECDEF or XSECDEF record is shorter than its fields, or the
// file ends (inside a record or between two) inside a module or before any MODEND: a
// load of part of a program would look like a load of all of it. Bytes after the last MODEND that make no whole record are
// padding: the walk stops there with a notice.
#pragma once

#include <tagrecords.h>

#include "eomfrecord.h"
#include "targetfile.h"

#include <vector>

class CEOMFSections : public CQelTargetFile {
public:
    CEOMFSections(DWORD programId, IUnknown *host);
    ~CEOMFSections() override;

    int IsFileType(HANDLE file) override;
    // The two passes: 1 to go on, 0 with the failure set.
    int ReadSections(HWND progressWindow) override;

    // Called for every section found (VECTAB in the first pass, SECDEF and XSECDEF in
    // the second) with its index; 0 stops the walk. This level keeps nothing.
    virtual int AddSection(int index, SectionTag *section);
    // Called after every record of the second pass, once this level has taken it; 0
    // stops the walk.
    virtual int ProcessRecord(const EomfRecord &record, HWND progressWindow);

    // The index of the first section of mode `mode` that holds [address, address +
    // length) (the address, for length 0); -1 when none does.
    int FindSection(DWORD mode, DWORD address, DWORD length) const;
    int GetSectionCount() const { return static_cast<int>(m_sections.size()); }
    const SectionTag &GetSection(int index) const { return m_sections[index]; }

    // LNAMES name `index` (from 1); "" for 0 and for an index past the names.
    CString GetLName(DWORD index) const;
    // The file offset of the TYPNEW record of type `index` (128 and up); 0 when there
    // is none.
    DWORD GetTypeOffset(DWORD index) const;
    // The module of the last THEADR, and the blocks seen since.
    const CString &GetModuleName() const { return m_strModule; }
    LONG GetBlockCounter() const { return m_nBlockCounter; }
    // The named procedures before the current record (the last BLKDEF counted) and
    // before module `modul` (1 for the first THEADR); a procedure's FunctionIndex is the
    // count once it is counted.
    LONG GetProcedureCount() const { return m_nProcedures; }
    LONG GetProceduresBefore(LONG modul) const;
    // The THEADRs walked so far: the index of the current module.
    LONG GetModuleCount() const { return static_cast<LONG>(m_moduleProcedures.size()); }

    // A cursor of its own over the file's records.
    CEomfCursor MakeCursor() const { return CEomfCursor(GetView(), GetViewSize()); }

private:
    int RunPasses(HWND progressWindow);
    int FirstPass(HWND progressWindow);
    int SecondPass(HWND progressWindow);
    // The first pass's checks and collection of one record; FALSE with the failure set.
    BOOL CollectRecord(const EomfRecord &record);
    // The second pass's handler of one record: the state of this level and the dump.
    void HandleRecord(const EomfRecord &record);
    void HandleSectionDef(const EomfRecord &record);
    void HandleNames(const EomfRecord &record);
    // The dump of the records that change no state (eomfdump.cpp).
    void DumpRecord(const EomfRecord &record);
    void DumpDependencies(const EomfRecord &record);
    void DumpSymbols(const EomfRecord &record);
    void DumpBlock(const EomfRecord &record);
    void DumpData(const EomfRecord &record);
    void DumpTypeDescriptor(const EomfRecord &record);
    void DumpComponents(const struct EomfTypeDescriptor &type);
    void DumpRegisters(const EomfRecord &record);
    void DumpTypeIndex(LPCSTR indexFormat, LPCSTR nameFormat, DWORD type);
    // Says that a record is shorter than its fields; it is skipped.
    void NoticeShortRecord(const EomfRecord &record);

    std::vector<SectionTag> m_sections;
    std::vector<DWORD> m_typeOffsets;
    std::vector<CString> m_lnames;
    std::vector<LONG> m_moduleProcedures; // procedures before each THEADR
    CString m_strModule;
    LONG m_nBlockCounter = 0;
    LONG m_nProcedures = 0;
    DWORD m_nNextType = 128; // the type index of the next TYPNEW of the second pass
};
