// A reader writes each line with its address but no usable length: the length of a line
// is the distance to the next line of its file in the same section, which is known only
// once the whole file has been read. It is computed on the file's first use and stored,
// so later queries are plain lookups. A reader that adds lines to a file later (a header
// inlined in a module read afterwards) clears the file's Analyzed flag, and the next
// query that meets the file analyses it again.
#include "sourcefileanalysis.h"

#include "queryrows.h"

#include <stringtext.h>
#include <symdbstrings.h>
#include <tagreaders.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

// The first row's end of the function, else of the section, that holds the address; the
// length from `address` to there, -1 when neither holds it.
LONG DistanceToEnclosingEnd(CSymbolEngine &engine, DWORD mode, DWORD address)
{
    {
        CStoredQuery query(engine, IDS_Q_FUNCTIONBYADDRESS);
        query.SetAddress(static_cast<LONG>(mode), static_cast<LONG>(address));
        CDBFunctions function(ProgramDatabase(engine));
        function.OpenQueryDef(query);
        if (!function.IsEOF())
            return static_cast<LONG>(static_cast<DWORD>(function.m_AddressValue) +
                                     static_cast<DWORD>(function.m_Length) - address);
    }
    CStoredQuery query(engine, IDS_Q_SECTIONBYADDRESS);
    query.SetAddress(static_cast<LONG>(mode), static_cast<LONG>(address));
    CDBSections section(ProgramDatabase(engine));
    section.OpenQueryDef(query);
    if (!section.IsEOF())
        return static_cast<LONG>(static_cast<DWORD>(section.m_AddressValue) + static_cast<DWORD>(section.m_Length) -
                                 address);
    return -1;
}

// Lines in address order: each runs to the next line of its section. A line that shares
// its address with a following line of a higher or equal number has no code of its own.
void ComputeLengths(CSymbolEngine &engine, std::vector<_SourceLineTag> &lines)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        _SourceLineTag &line = lines[i];
        if (i + 1 < lines.size() && lines[i + 1].SectionIndex == line.SectionIndex) {
            const _SourceLineTag &next = lines[i + 1];
            line.Length = next.AddressValue - line.AddressValue;
            if (line.Length == 0 && line.SourceLine <= next.SourceLine)
                line.Length = static_cast<DWORD>(-1);
        } else {
            line.Length = static_cast<DWORD>(DistanceToEnclosingEnd(engine, line.AddressMode, line.AddressValue));
        }
    }
}

// The file's row by its EntryInFile text, in `files` opened on the SourceFiles table.
BOOL SeekEntryInFile(CDBSourceFiles &files, const VARIANT &entry)
{
    files.Open(dbOpenTable);
    files.SetCurrentIndex(LoadStringText(IDS_DB_ENTRYINFILEKEY));
    return files.Seek("=", &entry);
}

// Analyses the file of the row unless this request has tried it already.
void AnalyseOnce(CSymbolEngine &engine, CDBSourceLineByAddress &rows, std::set<LONG> &tried)
{
    if (!tried.insert(rows.m_SourceFileIndex).second)
        return;
    CDBSourceFiles file(ProgramDatabase(engine));
    CdbVariant entry(static_cast<LPCSTR>(rows.m_EntryInFile));
    if (SeekEntryInFile(file, entry))
        engine.AnalyseSourceFile(nullptr, file);
}

} // namespace

void CSymbolEngine::AnalyseSourceFile(CSymbolRequest *request, CDBSourceFiles &file)
{
    CStoredQuery query(*this, IDS_Q_SOURCELINESOFSOURCEFILE2);
    query.Set("_SourceFileIndex", file.m_SourceFileIndex);
    CDBSourceLines rows(ProgramDatabase(*this));
    rows.OpenQueryDef(query, dbOpenDynaset);
    std::vector<_SourceLineTag> lines;
    std::vector<LONG> storedLengths;
    for (; !rows.IsEOF(); rows.MoveNext()) {
        lines.emplace_back();
        FromRecord(lines.back(), rows);
        storedLengths.push_back(rows.m_Length);
    }

    if (!file.m_Analyzed) {
        ComputeLengths(*this, lines);
        // Only the lengths change; rows whose length stands are left alone.
        size_t i = 0;
        if (!lines.empty())
            rows.MoveFirst();
        for (; !rows.IsEOF() && i < lines.size(); rows.MoveNext(), ++i) {
            if (static_cast<LONG>(lines[i].Length) == storedLengths[i])
                continue;
            rows.Edit();
            ToRecord(lines[i], rows);
            rows.Update();
        }
        file.Edit();
        file.m_Analyzed = TRUE;
        file.Update();
    }
    if (request == nullptr)
        return;

    std::stable_sort(lines.begin(), lines.end(),
                     [](const _SourceLineTag &a, const _SourceLineTag &b) { return a.SourceLine < b.SourceLine; });
    CArray<SourceLineTag, SourceLineTag &> &result = NewResult<SourceLineTag>(*request);
    result.SetSize(0, static_cast<int>(lines.size()));
    for (const _SourceLineTag &line : lines) {
        if (static_cast<LONG>(line.Length) != -1) {
            SourceLineTag kept = line;
            result.Add(kept);
        }
    }
}

BOOL CSymbolEngine::EnsureSourceFileAnalysed(const VARIANT &path)
{
    EnsureModulByPath(path);
    CDBSourceFiles file(ProgramDatabase(*this));
    if (!SeekEntryInFile(file, path) || file.m_Analyzed)
        return FALSE;
    AnalyseSourceFile(nullptr, file);
    return TRUE;
}

void AnalyseFilesOfRows(CSymbolEngine &engine, CDBSourceLineByAddress &rows)
{
    std::set<LONG> tried;
    for (BOOL restarted = TRUE; restarted;) {
        restarted = FALSE;
        for (; !rows.IsEOF(); rows.MoveNext()) {
            if (rows.m_Analyzed || tried.count(rows.m_SourceFileIndex) != 0)
                continue;
            AnalyseOnce(engine, rows, tried);
            rows.Requery();
            restarted = TRUE;
            break;
        }
    }
    if (!(rows.IsEOF() && rows.IsBOF()))
        rows.MoveFirst();
}

BOOL AnalyseFirstRowFile(CSymbolEngine &engine, CDBSourceLineByAddress &rows)
{
    if (rows.m_Analyzed)
        return TRUE;
    std::set<LONG> tried;
    AnalyseOnce(engine, rows, tried);
    return rows.Requery() && rows.m_Analyzed;
}
