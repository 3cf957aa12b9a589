// Code 704: the way back from a breakpoint descriptor (as code 703 writes it, or "FILE
// LINE" as clients write it) to the code addresses it stands for. A descriptor that no
// form matches, such as one whose function name holds a blank, answers nothing.
#include "breakpointqueries.h"
#include "queryrows.h"

#include <locationdescriptor.h>
#include <nameencoding.h>
#include <stringtext.h>
#include <symdbstrings.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

// The parts of a descriptor, by the parser's positions.
struct Descriptor {
    CString function; // or the label
    CString file;
    int number = 0;   // the line, or the address of the 0x form
    CString moduls;
    int occurrence = 0;
    int distance = 0;
    int offset = 0;   // -1: every range of the line
};

// The first line of the function of that name in the module and the function's section:
// the lowest of the lines with code at the function's start, from which code 703 measures
// a line's distance. FALSE when the module has no such function with a line.
BOOL FunctionStart(CSymbolEngine &engine, const CString &modul, const CString &function, LONG &line, LONG &section)
{
    // With no distance the query gives the rows of the function's first lines themselves.
    CStoredQuery query(engine, IDS_Q_BREAKPOINTADDRESSES);
    query.Set("_ModulName", CdbVariant(static_cast<LPCSTR>(modul)));
    query.Set("_FunctionName", CdbVariant(static_cast<LPCSTR>(function)));
    query.Set("_LineOffset", static_cast<LONG>(0));
    CDBSourceLines rows(ProgramDatabase(engine));
    rows.OpenQueryDef(query);
    if (rows.IsEOF())
        return FALSE;
    line = rows.m_SourceLine;
    section = rows.m_SectionIndex;
    for (; !rows.IsEOF(); rows.MoveNext())
        line = std::min(line, static_cast<LONG>(rows.m_SourceLine));
    return TRUE;
}

// The ranges of a line of the file in one section, in address order, each once, as code
// 703 counts them; empty when the file is not known.
std::vector<LabelTag> RangesOfLine(CSymbolEngine &engine, const CString &path, LONG line,
                                       LONG section)
{
    std::vector<LabelTag> ranges;
    CDBSourceFiles file(ProgramDatabase(engine));
    file.Open(dbOpenTable);
    file.SetCurrentIndex(LoadStringText(IDS_DB_ENTRYINFILEKEY));
    CdbVariant key(static_cast<LPCSTR>(path));
    if (!file.Seek("=", &key))
        return ranges;
    CStoredQuery query(engine, IDS_Q_SOURCELINESOFSOURCEFILE2);
    query.Set("_SourceFileIndex", static_cast<LONG>(file.m_SourceFileIndex));
    CDBSourceLines rows(ProgramDatabase(engine));
    rows.OpenQueryDef(query);
    for (; !rows.IsEOF(); rows.MoveNext()) {
        if (rows.m_SourceLine != line || rows.m_SectionIndex != section || rows.m_Length == -1)
            continue;
        LabelTag range;
        range.AddressMode = static_cast<DWORD>(rows.m_AddressMode);
        range.AddressValue = static_cast<DWORD>(rows.m_AddressValue);
        range.AddressExtra = static_cast<DWORD>(rows.m_Length);
        const BOOL repeated = std::any_of(ranges.begin(), ranges.end(), [&](const LabelTag &taken) {
            return taken.AddressValue == range.AddressValue && taken.AddressExtra == range.AddressExtra;
        });
        if (!repeated)
            ranges.push_back(range);
    }
    return ranges;
}

// A source position: the ranges of the line in the function of each named module. The
// line is the descriptor's file's, at its distance from the function's first line, which
// may lie in another file (a header inlined into a function of the unit).
void SourcePositionAddresses(CSymbolEngine &engine, Descriptor &descriptor, LabelArray &entries)
{
    const BOOL allRanges = descriptor.offset == -1;
    if (allRanges)
        descriptor.offset = 0;
    CdbVariant file(static_cast<LPCSTR>(descriptor.file));
    engine.EnsureSourceFileAnalysed(file);
    CString offset;
    if (!allRanges)
        offset.Format("0x%X", static_cast<unsigned>(descriptor.offset));
    const CString name = FormatBreakpointDescriptor(descriptor.function, descriptor.file, descriptor.number,
                                                    allRanges && descriptor.occurrence == 1, descriptor.moduls,
                                                    descriptor.occurrence, descriptor.distance, offset);

    for (int start = 0; start <= descriptor.moduls.GetLength();) {
        int end = descriptor.moduls.Find(',', start);
        if (end < 0)
            end = descriptor.moduls.GetLength();
        const CString modul = descriptor.moduls.Mid(start, end - start);
        start = end + 1;
        LONG functionLine = 0, section = 0;
        if (modul.IsEmpty() || !FunctionStart(engine, modul, descriptor.function, functionLine, section))
            continue;
        int position = 0;
        for (LabelTag &range : RangesOfLine(engine, descriptor.file, functionLine + descriptor.distance, section)) {
            ++position;
            if (!allRanges && position != descriptor.occurrence)
                continue;
            range.Name = name;
            range.AddressValue += static_cast<DWORD>(descriptor.offset);
            entries.Add(range);
        }
    }
}

// Makes sure that every file of the rows is analysed, so that their lengths tell the
// lines with code; TRUE when one was analysed now.
BOOL AnalyseFilesOfLines(CSymbolEngine &engine, CDBSourceLines &rows)
{
    std::set<LONG> files;
    for (; !rows.IsEOF(); rows.MoveNext())
        files.insert(rows.m_SourceFileIndex);
    BOOL analysed = FALSE;
    for (LONG index : files) {
        CDBSourceFiles file(ProgramDatabase(engine));
        file.Open(dbOpenTable);
        file.SetCurrentIndex(LoadStringText(IDS_DB_SOURCEFILEINDEXKEY));
        CdbVariant key(index);
        if (file.Seek("=", &key) && !file.m_Analyzed) {
            engine.AnalyseSourceFile(nullptr, file);
            analysed = TRUE;
        }
    }
    return analysed;
}

// "FILE LINE": every range of the line, when the path names one file, as code 703 gives
// them in mode 9 for the line's lowest range. A line split into ranges has several rows,
// and a short name may match files in several folders, which leaves the line ambiguous.
void FileLineAddresses(CSymbolEngine &engine, const Descriptor &descriptor, LabelArray &entries)
{
    CdbVariant path(static_cast<LPCSTR>(descriptor.file));
    engine.EnsureModulByPath(path);
    CStoredQuery query(engine, IDS_Q_BREAKPOINTADDRESSESHI);
    query.Set("_Path", path);
    query.Set("_Line", static_cast<LONG>(descriptor.number));
    CDBSourceLines rows(ProgramDatabase(engine));
    rows.OpenQueryDef(query);
    if (AnalyseFilesOfLines(engine, rows))
        rows.Requery();
    else if (!(rows.IsEOF() && rows.IsBOF()))
        rows.MoveFirst();
    BOOL found = FALSE;
    LONG file = 0;
    DWORD lowest = 0;
    for (; !rows.IsEOF(); rows.MoveNext()) {
        if (rows.m_Length == -1)
            continue;
        if (found && rows.m_SourceFileIndex != file)
            return;
        const DWORD start = static_cast<DWORD>(rows.m_AddressValue);
        if (!found || start < lowest)
            lowest = start;
        found = TRUE;
        file = rows.m_SourceFileIndex;
    }
    rows.Close();
    if (!found)
        return;
    CDBSourceFiles files(ProgramDatabase(engine));
    files.Open(dbOpenTable);
    files.SetCurrentIndex(LoadStringText(IDS_DB_SOURCEFILEINDEXKEY));
    CdbVariant key(file);
    if (files.Seek("=", &key))
        DescribeSourceLine(engine, lowest, SourceLineChoice{files.m_EntryInFile, descriptor.number}, entries);
}

// A label form: the label of that name in the module, moved by the offset.
void LabelAddresses(CSymbolEngine &engine, const Descriptor &descriptor, LabelArray &entries)
{
    CString encoded;
    EncodeNameString(descriptor.function, encoded);
    CStoredQuery query(engine, IDS_Q_LABELBYNAMES);
    query.Set("_ModulName", CdbVariant(static_cast<LPCSTR>(descriptor.moduls)));
    query.Set("_LabelName", CdbVariant(static_cast<LPCSTR>(encoded)));
    CDBSymbolInfo label(ProgramDatabase(engine));
    label.OpenQueryDef(query);
    if (label.IsEOF())
        return;
    const LONG mode = label.m_Data_2;
    const DWORD value = static_cast<DWORD>(label.m_Data_3) + static_cast<DWORD>(descriptor.offset);
    label.Close();
    DescribeBreakpoint(engine, mode, value, entries);
}

} // namespace

void CSymbolEngine::OnBreakpointAddresses(CSymbolRequest &request)
{
    LabelArray &entries = NewResult<LabelTag>(request);
    // The method keeps the caller's id in the first parameter; the descriptor follows.
    Descriptor descriptor;
    if (!ParseLocationDescriptor(TextParameter(request.Param2), descriptor.function, descriptor.file,
                                 descriptor.number, descriptor.moduls, descriptor.occurrence, descriptor.distance,
                                 descriptor.offset))
        return;
    const BOOL named = !descriptor.function.IsEmpty(), inFile = !descriptor.file.IsEmpty();
    if (!named && !inFile) {
        DescribeBreakpoint(*this, 1, static_cast<DWORD>(descriptor.number), entries);
        return;
    }
    // Without a program only an address can be answered.
    if (!DatabaseLoaded)
        return;
    if (named && inFile)
        SourcePositionAddresses(*this, descriptor, entries);
    else if (inFile)
        FileLineAddresses(*this, descriptor, entries);
    else
        LabelAddresses(*this, descriptor, entries);
}
