// Code 704: the way back from a breakpoint descriptor (as code 703 writes it, or "FILE
// LINE" as clients write it) to the code addresses it stands for. A descriptor that no
// form matches, such as one whose function name holds a blank, answers nothing.
#include "breakpointqueries.h"
#include "queryrows.h"

#include <locationdescriptor.h>
#include <nameencoding.h>
#include <stringtext.h>
#include <symdbstrings.h>

#include <set>

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

// A source position: the ranges of the line in the function of each named module.
void SourcePositionAddresses(CSymbolEngine &engine, Descriptor &descriptor, LabelArray &entries)
{
    const BOOL allRanges = descriptor.offset == -1;
    if (allRanges)
        descriptor.offset = 0;
    CdbVariant file(static_cast<LPCSTR>(descriptor.file));
    engine.EnsureSourceFileAnalysed(file);
    CString offset, name;
    if (!allRanges)
        offset.Format("0x%X", static_cast<unsigned>(descriptor.offset));
    name.Format("'%s {%s} .%d%s;%s;%d;%d;%s;", static_cast<LPCSTR>(descriptor.function),
                static_cast<LPCSTR>(descriptor.file), descriptor.number,
                allRanges && descriptor.occurrence == 1 ? "'" : "+'", static_cast<LPCSTR>(descriptor.moduls),
                descriptor.occurrence, descriptor.distance, static_cast<LPCSTR>(offset));

    for (int start = 0; start <= descriptor.moduls.GetLength();) {
        int end = descriptor.moduls.Find(',', start);
        if (end < 0)
            end = descriptor.moduls.GetLength();
        const CString modul = descriptor.moduls.Mid(start, end - start);
        start = end + 1;
        if (modul.IsEmpty())
            continue;
        CStoredQuery query(engine, IDS_Q_BREAKPOINTADDRESSES);
        query.Set("_ModulName", CdbVariant(static_cast<LPCSTR>(modul)));
        query.Set("_FunctionName", CdbVariant(static_cast<LPCSTR>(descriptor.function)));
        query.Set("_LineOffset", static_cast<LONG>(descriptor.distance));
        CDBSourceLines rows(ProgramDatabase(engine));
        rows.OpenQueryDef(query);
        // Counted as code 703 counts: among the ranges that have code.
        int position = 0;
        for (; !rows.IsEOF(); rows.MoveNext()) {
            if (rows.m_Length == -1)
                continue;
            ++position;
            if (!allRanges && position != descriptor.occurrence)
                continue;
            LabelTag entry;
            entry.Name = name;
            entry.AddressMode = static_cast<DWORD>(rows.m_AddressMode);
            entry.AddressValue = static_cast<DWORD>(rows.m_AddressValue) + static_cast<DWORD>(descriptor.offset);
            entry.AddressExtra = static_cast<DWORD>(rows.m_Length);
            entries.Add(entry);
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

// "FILE LINE": every range of the line, when the path names one file. A line split into
// ranges has several rows, and a short name may match files in several folders, which
// leaves the line ambiguous.
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
    if (found)
        DescribeBreakpoint(engine, 9, lowest, entries);
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
