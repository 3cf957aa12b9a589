// Codes 301 and 302: the lines of a source file, and the address ranges of the line
// that holds an address (a line the compiler split has several).
#include "queryrows.h"
#include "sourcefileanalysis.h"

#include <stringtext.h>
#include <symdbstrings.h>
#include <tagreaders.h>

void CSymbolEngine::OnSourceLinesOfSourceFile(CSymbolRequest &request)
{
    EnsureModulByPath(request.Param1);
    CDBSourceFiles file(ProgramDatabase(*this));
    file.Open(dbOpenTable);
    file.SetCurrentIndex(LoadStringText(IDS_DB_ENTRYINFILEKEY));
    if (!file.Seek("=", &request.Param1)) {
        NewResult<SourceLineTag>(request);
        return;
    }
    AnalyseSourceFile(&request, file);
}

void CSymbolEngine::OnSourceLineRangesByAddress(CSymbolRequest &request)
{
    CArray<SourceLineTag, SourceLineTag &> &ranges = NewResult<SourceLineTag>(request);
    EnsureModulAt(request.Param1, request.Param2);
    CStoredQuery query(*this, IDS_Q_SOURCEFILEBYADDRESS);
    query.SetAddress(request.Param1, request.Param2);
    CDBSourceLineByAddress rows(ProgramDatabase(*this));
    rows.OpenQueryDef(query);
    if (rows.IsEOF() || !AnalyseFirstRowFile(*this, rows))
        return;
    while (!rows.IsEOF() && rows.m_Length <= 0)
        rows.MoveNext();
    // The line nearest below the address may end before it, in code of the section that
    // no line describes; no line holds the address then.
    if (rows.IsEOF() || static_cast<DWORD>(NumberParameter(request.Param2)) - static_cast<DWORD>(rows.m_AddressValue) >=
                            static_cast<DWORD>(rows.m_Length))
        return;

    CStoredQuery lines(*this, IDS_Q_SOURCELINERANGESBYINDEX);
    lines.Set("_SourceFileIndex", rows.m_SourceFileIndex);
    lines.Set("_SourceLine", rows.m_SourceLine);
    CDBSourceLines rs(ProgramDatabase(*this));
    rs.OpenQueryDef(lines);
    CollectRows(rs, ranges, [](SourceLineTag &range, CDBSourceLines &row) {
        _SourceLineTag entry;
        FromRecord(entry, row);
        range = entry;
    }, [](const SourceLineTag &range) { return static_cast<LONG>(range.Length) != -1; });
}
