// Code 4000: where an address lies: the source line nearest below it in its section,
// with the file, when its range holds the address, and the section that holds it; a code section defined from outside a
// program file where the program has none. Answers without a program too.
#include "queryrows.h"
#include "sourcefileanalysis.h"

#include <stringtext.h>
#include <symdbstrings.h>
#include <tagreaders.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

// The location from the program's database; FALSE when the query gives no row.
BOOL LocateInProgram(CSymbolEngine &engine, const VARIANT &mode, const VARIANT &value, LocationTag &location)
{
    engine.EnsureModulAt(mode, value);
    CStoredQuery query(engine, IDS_Q_LOCATIONBYADDRESS);
    query.SetAddress(mode, value);
    CDBLocation rows(ProgramDatabase(engine));
    rows.OpenQueryDef(query);
    if (rows.IsEOF())
        return FALSE;
    if (!rows.m_EntryInFile.IsEmpty() && !rows.m_Analyzed) {
        CDBSourceFiles file(ProgramDatabase(engine));
        file.Open(dbOpenTable);
        file.SetCurrentIndex(LoadStringText(IDS_DB_ENTRYINFILEKEY));
        CdbVariant entry(static_cast<LPCSTR>(rows.m_EntryInFile));
        if (file.Seek("=", &entry))
            engine.AnalyseSourceFile(nullptr, file);
        if (!rows.Requery() || rows.IsEOF())
            return FALSE;
    }
    // Lines without code of their own share the address with the line that has it,
    // which comes after them.
    std::vector<std::pair<LocationTag, BOOL>> found;
    for (; !rows.IsEOF(); rows.MoveNext()) {
        found.emplace_back(LocationTag(), rows.m_EntryInFile.IsEmpty() || rows.m_Length > 0);
        FromRecord(found.back().first, rows);
    }
    const DWORD address = static_cast<DWORD>(NumberParameter(value));
    for (size_t i = found.size(); i-- > 0;) {
        if (!found[i].second)
            continue;
        location = found[i].first;
        // The nearest line below may end before the address: code of the section that
        // no line describes (a unit without lines after one with them) lies in no line.
        if (!location.EntryInFile.IsEmpty() && address - location.AddressValue >= location.Length) {
            location.Name.Empty();
            location.Type = 0;
            location.EntryInFile.Empty();
            location.SourceLine = 0;
            location.Length = 0;
        }
        if (location.EntryInFile.IsEmpty()) {
            location.AddressMode = static_cast<DWORD>(NumberParameter(mode));
            location.AddressValue = address;
            location.AddressExtra = 0;
        }
        break;
    }
    return TRUE;
}

} // namespace

void CSymbolEngine::OnLocation(CSymbolRequest &request)
{
    auto location = std::make_unique<LocationTag>();
    LocationTag &answer = *location;
    delete request.m_pLocation;
    request.m_pLocation = location.release();
    if (DatabaseLoaded && LocateInProgram(*this, request.Param1, request.Param2, answer))
        return;
    const DWORD mode = static_cast<DWORD>(NumberParameter(request.Param1));
    const DWORD value = static_cast<DWORD>(NumberParameter(request.Param2));
    const int index = FindCodeSectionByAddress(mode, value, 0);
    if (index < 0)
        return;
    const SectionTag &section = CodeSections[index];
    answer.AddressMode = mode;
    answer.AddressValue = value;
    answer.SectionName = section.Name;
    answer.SectionType = section.Type;
    answer.SectionAddressMode = section.AddressMode;
    answer.SectionAddressValue = section.AddressValue;
    answer.SectionAddressExtra = section.AddressExtra;
    answer.SectionLength = section.Length;
}
