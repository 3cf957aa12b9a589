// CElfDumper: the readable account of an ELF program file that the sections pass writes
// into the dump: the header, the program headers, every section with its contents, and
// at the end the debugging information, as DWARF 1.1 entries when the file has ".debug",
// else as DWARF 2 units.
//
// Everything goes through the reader's dump (CQelTargetFile::DumpPrintf and DumpHex);
// every value is read through the checked accessors of CElfImage, so a damaged file
// gives a shorter dump, never a read outside it.
#pragma once

#include "elfimage.h"
#include "targetfile.h"

class CElfDumper {
public:
    CElfDumper(CQelTargetFile &out, const CElfImage &image) : m_out(out), m_image(image) {}

    // The whole dump in the order of the sections scan. Like the scan, it stops at a
    // section whose name lies outside the section-name table; FALSE then.
    BOOL DumpFile();

    void DumpHeader();
    void DumpProgramHeader(UINT index);
    // The section's header and its contents; FALSE for a section without a name.
    BOOL DumpSection(UINT index);
    // "DWARF11 (.debug section):" and its entries, or "DWARF20 (.debug_info section):"
    // and its units; nothing when the file has neither.
    void DumpDebugInformation();

private:
    void DumpStrings(const BYTE *data, DWORD size, LPCSTR format);
    void DumpSymbols(UINT section);
    void DumpPublicNames(const BYTE *data, DWORD size);
    const BYTE *SectionData(LPCSTR name, size_t *size) const;

    CQelTargetFile &m_out;
    const CElfImage &m_image;
};
