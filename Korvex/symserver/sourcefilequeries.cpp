// Codes 100 to 103: the source files, and the files with the lines at an address, of a
// path or in a range. Lines without code of their own (Length -1) are left out.
#include "queryrows.h"
#include "sourcefileanalysis.h"

#include <symdbstrings.h>
#include <tagreaders.h>

namespace {

typedef CArray<SourceFileTag, SourceFileTag &> SourceFileArray;

BOOL HasCode(const SourceFileTag &file)
{
    return static_cast<LONG>(file.Length) != -1;
}

// The rows of `query` whose line has code, once every file of them is analysed.
void CollectFileLines(CSymbolEngine &engine, CDBSourceLineByAddress &rows, CStoredQuery &query,
                      SourceFileArray &files)
{
    rows.OpenQueryDef(query);
    AnalyseFilesOfRows(engine, rows);
    CollectRows(rows, files, FromLineRecord, HasCode);
}

} // namespace

void CSymbolEngine::OnSourceFiles(CSymbolRequest &request)
{
    SourceFileArray &files = NewResult<SourceFileTag>(request);
    CStoredQuery query(*this, IDS_Q_SOURCEFILESWITHSOURCELINES);
    CDBSourceFiles rs(ProgramDatabase(*this));
    rs.OpenQueryDef(query);
    CollectRows(rs, files, [](SourceFileTag &file, CDBSourceFiles &row) { FromRecord(file, row); });
}

void CSymbolEngine::OnSourceFileByPath(CSymbolRequest &request)
{
    SourceFileArray &files = NewResult<SourceFileTag>(request);
    EnsureModulByPath(request.Param1);
    CStoredQuery query(*this, IDS_Q_SOURCEFILEBYPATH);
    query.Set("_Path", request.Param1);
    CDBSourceLineByAddress rows(ProgramDatabase(*this));
    CollectFileLines(*this, rows, query, files);
    // A file whose lines all lack code is still named.
    if (files.GetSize() == 0)
        CollectRows(rows, files, FromLineRecord);
}

void CSymbolEngine::OnSourceFileByAddress(CSymbolRequest &request)
{
    SourceFileArray &files = NewResult<SourceFileTag>(request);
    EnsureModulAt(request.Param1, request.Param2);
    CStoredQuery query(*this, IDS_Q_SOURCEFILEBYADDRESS);
    query.SetAddress(request.Param1, request.Param2);
    CDBSourceLineByAddress rows(ProgramDatabase(*this));
    CollectFileLines(*this, rows, query, files);
}

void CSymbolEngine::OnSourceFileLines(CSymbolRequest &request)
{
    SourceFileArray &files = NewResult<SourceFileTag>(request);
    EnsureModulsInRange(request.Param1, request.Param2, request.Param3);
    CStoredQuery query(*this, IDS_Q_SOURCELINESINRANGE);
    query.SetAddress(request.Param1, request.Param2);
    query.Set("_Length", request.Param3);
    CDBSourceLineByAddress rows(ProgramDatabase(*this));
    CollectFileLines(*this, rows, query, files);
}
