// Codes 0 to 2: the program's sections, and after them the code sections that the host
// defined from outside a program file, which answer without a program too.
#include "queryrows.h"

#include <symdbstrings.h>
#include <tagreaders.h>

namespace {

typedef CArray<SectionTag, SectionTag &> SectionArray;

void CollectSections(CDBSections &rs, SectionArray &sections)
{
    CollectRows(rs, sections, [](SectionTag &tag, CDBSections &row) {
        _SectionTag entry;
        FromRecord(entry, row);
        tag = entry;
    });
}

} // namespace

void CSymbolEngine::OnSections(CSymbolRequest &request)
{
    SectionArray &sections = NewResult<SectionTag>(request);
    if (DatabaseLoaded) {
        CDBSections rs(ProgramDatabase(*this));
        rs.Open();
        CollectSections(rs, sections);
    }
    for (int i = 0; i < CodeSections.GetSize(); ++i)
        sections.Add(CodeSections[i]);
}

void CSymbolEngine::OnSectionByName(CSymbolRequest &request)
{
    SectionArray &sections = NewResult<SectionTag>(request);
    if (DatabaseLoaded) {
        CStoredQuery query(*this, IDS_Q_SECTIONBYNAME);
        query.Set("_Name", request.Param1);
        CDBSections rs(ProgramDatabase(*this));
        rs.OpenQueryDef(query);
        CollectSections(rs, sections);
    }
    if (sections.GetSize() == 0) {
        const int index = FindCodeSection(TextParameter(request.Param1));
        if (index >= 0)
            sections.Add(CodeSections[index]);
    }
}

void CSymbolEngine::OnSectionByAddress(CSymbolRequest &request)
{
    SectionArray &sections = NewResult<SectionTag>(request);
    if (DatabaseLoaded) {
        CStoredQuery query(*this, IDS_Q_SECTIONBYADDRESS);
        query.SetAddress(request.Param1, request.Param2);
        CDBSections rs(ProgramDatabase(*this));
        rs.OpenQueryDef(query);
        CollectSections(rs, sections);
    }
    if (sections.GetSize() == 0) {
        const int index = FindCodeSectionByAddress(static_cast<DWORD>(NumberParameter(request.Param1)),
                                                   static_cast<DWORD>(NumberParameter(request.Param2)), 0);
        if (index >= 0)
            sections.Add(CodeSections[index]);
    }
}
