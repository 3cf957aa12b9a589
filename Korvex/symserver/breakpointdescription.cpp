// Code 703: the descriptor in which a client keeps a breakpoint at a code address. A
// source position names the line by its function, file, distance from the function's
// first line and which of the line's ranges holds the address, so that it still finds
// its code once the program has been built again; where no line is known, a label and
// an offset from it, or the bare address.
#include "breakpointqueries.h"
#include "queryrows.h"
#include "sourcefileanalysis.h"

#include <symdbstrings.h>

#include <algorithm>
#include <vector>

namespace {

const LONG kAllRanges = 9;

// A row of the BreakpointDescription query: a range of a line with a row at the address.
struct LineRange {
    CString file;
    LONG line;
    DWORD mode;
    DWORD start;
    LONG length;
};

BOOL IsLine(const LineRange &range, const CString &file, LONG line)
{
    return range.line == line && range.file == file;
}

BOOL Holds(const LineRange &range, DWORD value)
{
    return range.start == value || value - range.start < static_cast<DWORD>(range.length);
}

void AddEntry(LabelArray &entries, const CString &name, DWORD mode, DWORD value, DWORD extra)
{
    LabelTag entry;
    entry.Name = name;
    entry.AddressMode = mode;
    entry.AddressValue = value;
    entry.AddressExtra = extra;
    entries.Add(entry);
}

// Analyses the files of the line at the address; with `everyModul`, once every module
// that has code of them is read (a header's lines have code in each module that
// inlines it). The query's function line is found only among lines whose length is
// known, so the files must be analysed before it runs, not after.
void AnalyseFilesAt(CSymbolEngine &engine, LONG mode, DWORD value, BOOL everyModul)
{
    CStoredQuery query(engine, IDS_Q_SOURCEFILEBYADDRESS);
    query.SetAddress(mode, static_cast<LONG>(value));
    CDBSourceLineByAddress rows(ProgramDatabase(engine));
    rows.OpenQueryDef(query);
    if (everyModul && !rows.IsEOF()) {
        CdbVariant path(static_cast<LPCSTR>(rows.m_EntryInFile));
        engine.EnsureModulByPath(path);
        rows.Requery();
    }
    AnalyseFilesOfRows(engine, rows);
}

// Analyses the files of the address and of the first line of the function that holds it.
void AnalyseFilesOfDescription(CSymbolEngine &engine, LONG mode, DWORD value, BOOL everyModul)
{
    AnalyseFilesAt(engine, mode, value, everyModul);
    CStoredQuery query(engine, IDS_Q_FUNCTIONBYADDRESS);
    query.SetAddress(mode, static_cast<LONG>(value));
    CDBFunctions function(ProgramDatabase(engine));
    function.OpenQueryDef(query);
    if (!function.IsEOF() && static_cast<DWORD>(function.m_AddressValue) != value)
        AnalyseFilesAt(engine, function.m_AddressMode, static_cast<DWORD>(function.m_AddressValue), FALSE);
}

// Start and length of the section that holds the address; FALSE when none does.
BOOL SectionAt(CSymbolEngine &engine, LONG mode, DWORD value, DWORD &start, DWORD &length)
{
    CStoredQuery query(engine, IDS_Q_SECTIONBYADDRESS);
    query.SetAddress(mode, static_cast<LONG>(value));
    CDBSections section(ProgramDatabase(engine));
    section.OpenQueryDef(query);
    if (section.IsEOF())
        return FALSE;
    start = static_cast<DWORD>(section.m_AddressValue);
    length = static_cast<DWORD>(section.m_Length);
    return TRUE;
}

// The source position of the address, with its entries; FALSE when the address has no
// line of a function whose range holds it. Several lines may have rows at the address
// (views of one place at -O1, or a header's last line that runs on over the code after
// it); `wanted` names the line to describe, else the first range that holds the address
// decides.
BOOL DescribeLine(CSymbolEngine &engine, LONG mode, LONG queryMode, DWORD value, const SourceLineChoice *wanted,
                  LabelArray &entries)
{
    const BOOL allRanges = mode == kAllRanges;
    AnalyseFilesOfDescription(engine, queryMode, value, allRanges);

    CStoredQuery query(engine, IDS_Q_BREAKPOINTDESCRIPTION);
    query.SetAddress(queryMode, static_cast<LONG>(value));
    CDBBreakpointDescription rows(ProgramDatabase(engine));
    rows.OpenQueryDef(query);
    if (rows.IsEOF())
        return FALSE;
    // The rows repeat for each function at the address (a constructor under two names),
    // each line with code at its start, and each row of the address's line at the
    // address (views of one line); every range is taken once, or it would count twice.
    // The function's first line is the lowest of those with code at its start, as the
    // way back measures the distance from it. The module is the one whose code this is,
    // not the query's, which is the first that a shared section relates to.
    const CString function = rows.m_FunctionName,
                  modul = BreakpointModulAt(engine, static_cast<DWORD>(queryMode), value);
    LONG functionLine = rows.m_FunctionSourceLine;
    std::vector<LineRange> ranges;
    for (; !rows.IsEOF(); rows.MoveNext()) {
        if (rows.m_FunctionName != function || rows.m_Length == -1)
            continue;
        functionLine = std::min(functionLine, static_cast<LONG>(rows.m_FunctionSourceLine));
        const LineRange range{rows.m_EntryInFile, rows.m_SourceLine, static_cast<DWORD>(rows.m_AddressMode),
                              static_cast<DWORD>(rows.m_AddressValue), rows.m_Length};
        const BOOL repeated = std::any_of(ranges.begin(), ranges.end(), [&](const LineRange &taken) {
            return taken.start == range.start && taken.length == range.length && IsLine(taken, range.file, range.line);
        });
        if (!repeated)
            ranges.push_back(range);
    }
    rows.Close();
    size_t found = 0;
    while (found < ranges.size() &&
           (!Holds(ranges[found], value) || (wanted && !IsLine(ranges[found], wanted->file, wanted->line))))
        ++found;
    if (found == ranges.size())
        return FALSE;
    const LineRange &holder = ranges[found];

    // The occurrence counts the line's ranges in the section of the address only, as
    // the way back counts them among the lines of the function's section: a header line
    // has ranges in every module that inlines it.
    DWORD sectionStart = 0, sectionLength = 0;
    SectionAt(engine, queryMode, value, sectionStart, sectionLength);
    int occurrence = 0;
    for (size_t i = 0; i <= found; ++i) {
        if (IsLine(ranges[i], holder.file, holder.line) && ranges[i].start - sectionStart < sectionLength)
            ++occurrence;
    }

    CString moduls = modul, offset;
    if (allRanges) {
        // Every module that has code for the line, so that the way back finds them all.
        moduls.Empty();
        CStringArray seen;
        for (const LineRange &range : ranges) {
            if (!IsLine(range, holder.file, holder.line))
                continue;
            const CString name = BreakpointModulAt(engine, range.mode, range.start);
            BOOL known = name.IsEmpty();
            for (int i = 0; !known && i < seen.GetSize(); ++i)
                known = seen[i] == name;
            if (known)
                continue;
            seen.Add(name);
            moduls += moduls.IsEmpty() ? name : "," + name;
        }
    } else {
        // At a range's start too: an empty offset would ask for every range of the line.
        offset.Format("0x%X", static_cast<unsigned>(value - holder.start));
    }
    const CString descriptor = FormatBreakpointDescriptor(function, holder.file, holder.line, allRanges, moduls,
                                                          occurrence, holder.line - functionLine, offset);
    const int first = entries.GetSize();
    AddEntry(entries, descriptor, static_cast<DWORD>(mode), value, 0);
    if (!allRanges)
        return TRUE;
    // The first range that starts at the address takes the address's entry; a second one
    // there (a line with an empty range before its code) is an entry of its own.
    BOOL placed = FALSE;
    for (const LineRange &range : ranges) {
        if (!IsLine(range, holder.file, holder.line))
            continue;
        if (range.start != value || placed) {
            AddEntry(entries, descriptor, range.mode, range.start, static_cast<DWORD>(range.length));
            continue;
        }
        entries[first].AddressMode = range.mode;
        entries[first].AddressExtra = static_cast<DWORD>(range.length);
        placed = TRUE;
    }
    return TRUE;
}

} // namespace

CString BreakpointModulAt(CSymbolEngine &engine, DWORD mode, DWORD value)
{
    return engine.ModulNameAt(CdbVariant(static_cast<LONG>(mode)), CdbVariant(static_cast<LONG>(value)));
}

CString FormatBreakpointDescriptor(const CString &function, const CString &file, LONG line, BOOL plainMarker,
                                   const CString &moduls, int occurrence, LONG distance, const CString &offset)
{
    CString descriptor;
    descriptor.Format("'%s {%s} .%d%s;%s;%d;%d;%s;", static_cast<LPCSTR>(function), static_cast<LPCSTR>(file),
                      static_cast<int>(line), plainMarker ? "'" : "+'", static_cast<LPCSTR>(moduls), occurrence,
                      static_cast<int>(distance), static_cast<LPCSTR>(offset));
    return descriptor;
}

BOOL DescribeSourceLine(CSymbolEngine &engine, DWORD value, const SourceLineChoice &line, LabelArray &entries)
{
    CdbVariant modeValue(static_cast<LONG>(1)), addressValue(static_cast<LONG>(value));
    engine.EnsureModulAt(modeValue, addressValue);
    return DescribeLine(engine, kAllRanges, 1, value, &line, entries);
}

void DescribeBreakpoint(CSymbolEngine &engine, LONG mode, DWORD value, LabelArray &entries)
{
    CString name;
    if (!engine.DatabaseLoaded) {
        name.Format("0x%X", static_cast<unsigned>(value));
        AddEntry(entries, name, static_cast<DWORD>(mode), value, 0);
        return;
    }
    const LONG queryMode = mode == kAllRanges ? 1 : mode;
    // The module's own labels are written when the module is read.
    CdbVariant modeValue(queryMode), addressValue(static_cast<LONG>(value));
    engine.EnsureModulAt(modeValue, addressValue);
    CStoredQuery query(engine, IDS_Q_NEARESTLABELBYADDRESS);
    query.SetAddress(queryMode, static_cast<LONG>(value));
    CDBLabelDescription label(ProgramDatabase(engine));
    label.OpenQueryDef(query);
    const BOOL haveLabel = !label.IsEOF();
    const CString labelName = haveLabel ? label.m_Name : CString(), labelModul = haveLabel ? label.m_ModulName : CString();
    const DWORD labelValue = haveLabel ? static_cast<DWORD>(label.m_Data_3) : 0;
    label.Close();
    if (haveLabel && labelValue == value) {
        name.Format("'%s';%s;", static_cast<LPCSTR>(labelName), static_cast<LPCSTR>(labelModul));
        AddEntry(entries, name, static_cast<DWORD>(mode), value, 0);
        return;
    }
    if (DescribeLine(engine, mode, queryMode, value, nullptr, entries))
        return;
    if (haveLabel)
        name.Format("'%s+0x%X';%s;", static_cast<LPCSTR>(labelName), static_cast<unsigned>(value - labelValue),
                    static_cast<LPCSTR>(labelModul));
    else
        name.Format("0x%X", static_cast<unsigned>(value));
    AddEntry(entries, name, static_cast<DWORD>(mode), value, 0);
}

void CSymbolEngine::OnBreakpointDescription(CSymbolRequest &request)
{
    DescribeBreakpoint(*this, NumberParameter(request.Param1), static_cast<DWORD>(NumberParameter(request.Param2)),
                       NewResult<LabelTag>(request));
}
