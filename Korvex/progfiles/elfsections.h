// CELFSections: the section level of the ELF reader.
//
// It decides which parts of an ELF program file go into the target, cuts them into
// named section records (at compilation-unit boundaries and, on ARM, where ARM and Thumb
// code change), hands the memory image to the download of the base, and finds the
// debugging sections for the globals and module levels that derive from it.
//
// The file's structures are read through a CElfImage over the base's view, checked once
// when the file is opened; a file that fails the check opens, but its sections pass
// fails with the reason (GetFailureText), so that the load says why.
#pragma once

#include <tagrecords.h>

#include "elfimage.h"
#include "targetfile.h"

#include <utility>
#include <vector>

// The entries of the debug-section index table.
enum ElfDebugSection {
    ELF_SYMTAB = 0,
    ELF_LINE,           // ".line", DWARF 1.1 line numbers
    ELF_DEBUG,          // ".debug", DWARF 1.1
    ELF_DEBUG_ARANGES,
    ELF_DEBUG_SFNAMES,
    ELF_DEBUG_SRCINFO,
    ELF_DEBUG_LOC_EXT,
    ELF_DEBUG_PUBNAMES,
    ELF_DEBUG_INFO,
    ELF_DEBUG_ABBREV,
    ELF_DEBUG_LINE,
    ELF_DEBUG_FRAME,
    ELF_DEBUG_LOC,
    ELF_DEBUG_MACINFO,
    ELF_DEBUG_STR,
    ELF_VARED_INFO,
    ELF_DEBUG_SECTION_COUNT
};

struct ElfPlacedSection;

class CELFSections : public CQelTargetFile {
public:
    // `owner` is the host's debug-server object, not counted. The reader asks it for the
    // debug server of a partner debugger (the stand-alone PCP one first, else the
    // foreign one) and reads the target's code and data windows from that.
    CELFSections(DWORD programId, IUnknown *owner);
    ~CELFSections() override;

    // The base's Open, then the check of the file's structures.
    BOOL Open(LPCSTR path, LPCSTR dumpTarget) override;
    int IsFileType(HANDLE file) override;
    // The sections pass: scans the sections, makes the section records and downloads
    // the memory image. 1 to go on; 0 when the file is damaged or the host refused the
    // image (GetFailureStatus and GetFailureText say which and why). A record that
    // AddSection refuses raises a CUserException.
    int ReadSections(HWND progressWindow) override;

    // The text at `offset` of string-table section `section` (-1: the section names);
    // null when it lies outside that section.
    virtual LPCSTR GetString(DWORD offset, int section);
    // Called for every section record the pass makes, with its running index. This
    // level keeps nothing and answers 1; the globals level writes the row. 0 abandons
    // the load.
    virtual int AddSection(int index, SectionTag *record);

    // The file's structures; every accessor checks its index and answers null, 0 or
    // FALSE past the file (CElfImage).
    const CElfImage &GetImage() const { return m_image; }
    const ELF_HEADER &GetElfHeader() const { return m_image.GetElfHeader(); }
    BOOL GetProgramHeader(UINT index, ELF_PROGRAM_HEADER *header) const
    {
        return m_image.GetProgramHeader(index, header);
    }
    BOOL GetSectionHeader(UINT index, ELF_SECTION_HEADER *header) const
    {
        return m_image.GetSectionHeader(index, header);
    }
    UINT GetProgramHeaderCount() const { return m_image.GetProgramHeaderCount(); }
    UINT GetSectionCount() const { return m_image.GetSectionCount(); }
    DWORD GetSectionSize(UINT index) const { return m_image.GetSectionSize(index); }
    const BYTE *GetSegmentData(UINT index, DWORD *size = nullptr) const { return m_image.GetSegmentData(index, size); }
    const BYTE *GetSectionData(UINT index, DWORD *size = nullptr) const { return m_image.GetSectionData(index, size); }
    BOOL GetSymbol(UINT section, DWORD index, ELF_SYMBOL *symbol) const
    {
        return m_image.GetSymbol(section, index, symbol);
    }
    WORD ReadHalf(const BYTE *p) const { return m_image.ReadHalf(p); }
    DWORD ReadWord(const BYTE *p) const { return m_image.ReadWord(p); }

    // The index of a debug section (ElfDebugSection) found by the scan, -1 when the file
    // has none; and its contents (null, size 0, when it has none or they are empty).
    int GetDebugSection(int which) const;
    const BYTE *GetDebugSectionData(int which, DWORD *size) const;

    // EM_ARM or EM_TRICORE (every other machine), and the EI_DATA byte, from recognition.
    int GetMachine() const { return m_nMachine; }
    int GetEncoding() const { return m_nEncoding; }
    BOOL IsArm() const { return m_nMachine == EM_ARM; }

    // The program's entry point: (1, e_entry, 0) once the header has been examined and
    // e_entry is not 0 or the machine is ARM; (-1, -1, -1) otherwise.
    const CAddressValue &GetEntryPoint() const { return m_entry; }

    // During the scan the compilation units' address ranges, after the pass the section
    // records it made.
    const std::vector<SectionTag> &GetSectionRecords() const { return m_sectionRecords; }
    // The index of the first unit range of the triple's mode that holds [value, value +
    // length) (or the value, for length 0); 0 when, before one is found, a range of that
    // mode does not hold it and the range holds the entry point; -1 otherwise.
    int FindUnitRange(const CAddressValue &address, DWORD length) const;

    // The partner debugger's debug server (null when there is none), and whether it is
    // the stand-alone PCP one.
    IUnknown *GetDebugServer() const { return m_pDebugServer; }
    BOOL IsStandalonePcpServer() const { return m_bStandalonePcp; }
    // The target's code and data windows as the host gives them; the flags are 1 when
    // they were read, and everything stays -1 when the host offers no values.
    struct TargetWindow {
        DWORD Read = 0xFFFFFFFF;
        DWORD Base = 0xFFFFFFFF;
        DWORD End = 0xFFFFFFFF;
    };
    const TargetWindow &GetCodeWindow() const { return m_codeWindow; }
    const TargetWindow &GetDataWindow() const { return m_dataWindow; }

    // ARM only: the length of the code piece at `address` of at most `length` bytes,
    // cut where the code changes between ARM and Thumb; `length` on other machines.
    DWORD GetArmCodeLength(DWORD address, DWORD length) const;
    // Whether the code at `address` is Thumb code: the last mark at or below it is a
    // Thumb function (STT_ARM_TFUNC, or STT_FUNC with bit 0 of its value set) or a "$t"
    // mapping symbol, not an ARM function or "$a". Always FALSE on other machines.
    BOOL IsThumbCode(DWORD address) const;

protected:
    // Reads the header into the entry triple. (The dump of the header goes here too.)
    void ExamineElfHeader();
    // Finds the debug sections and the unit ranges; 1, or 0 with the failure set when
    // the file is damaged.
    int ScanSections();
    // Lets go of the partner debugger's debug server once nothing is downloaded any more.
    void ReleaseDebugServer();

private:
    void AttachDebugServer(IUnknown *owner);
    void CollectArmSymbols(int section);
    void CollectDwarf1UnitRanges();
    void CollectDwarf2UnitRanges();
    void AddUnitRange(LPCSTR name, BOOL hasLow, DWORD low, DWORD high);
    // The loadable sections with contents that lie in a loadable segment, where they are
    // loaded and run; FALSE with the failure set when a segment or a section would be
    // loaded or run past the end of the 32-bit address space.
    BOOL PlaceSections(std::vector<ElfPlacedSection> *placed);
    // Downloads the memory image of the image file in place of the program's own; FALSE
    // with the failure set when it cannot be read or the host refuses it.
    BOOL DownloadImageFile(HWND progressWindow);

    CElfImage m_image;
    // From the ARM symbols, ascending: where ARM or Thumb code begins (TRUE for Thumb),
    // and the addresses that end a piece of ARM code and of Thumb code.
    std::vector<std::pair<DWORD, BOOL>> m_codeModeMarks;
    std::vector<DWORD> m_armCodeCuts;
    std::vector<DWORD> m_thumbCodeCuts;
    std::vector<SectionTag> m_sectionRecords;
    int m_nMachine = EM_TRICORE;
    int m_nEncoding = 0;
    int m_debugSections[ELF_DEBUG_SECTION_COUNT];
    CAddressValue m_entry{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    IUnknown *m_pDebugServer = nullptr;
    BOOL m_bStandalonePcp = FALSE;
    TargetWindow m_codeWindow;
    TargetWindow m_dataWindow;
};
