// Codes 600 and 601: where a variable lives over the code of its function, as ranges of
// code addresses each with the place that holds there, and the VarEd mapping of a
// variable in the same form.
//
// A lifetime list is written as rows of where each place holds from (Data_1) with the
// place (Data_2 to Data_4), closed by an end row; a range ends where the next begins.
// A place relative to the stack pointer moves with the stack: the function's stack
// adjustments, each the stack offset (Data_1) from an address (Data_2 to Data_4) on,
// correct it, and an adjustment inside a range splits the range there.
#include "queryrows.h"

#include <stringtext.h>
#include <symdbstrings.h>

#include <vector>

namespace {

typedef CArray<LifetimeTag, LifetimeTag &> LifetimeArray;

const LONG kModeLifetimeList = 5;
const LONG kPlaceStackRelative = 2;
const LONG kParameter = 1;

struct StackAdjustment {
    LONG offset;
    CAddressValue from;
};

struct LifetimeEntry {
    DWORD start;
    LONG kind;
    LONG offset;
    LONG further;
};

std::vector<StackAdjustment> ReadAdjustments(CSymbolEngine &engine, CStoredQuery &query)
{
    std::vector<StackAdjustment> adjustments;
    CDBSymbolInfo rs(ProgramDatabase(engine));
    rs.OpenQueryDef(query);
    for (; !rs.IsEOF(); rs.MoveNext())
        adjustments.push_back({rs.m_Data_1, CAddressValue(static_cast<DWORD>(rs.m_Data_3),
                                                          static_cast<DWORD>(rs.m_Data_2),
                                                          static_cast<DWORD>(rs.m_Data_4))});
    return adjustments;
}

std::vector<LifetimeEntry> ReadEntries(CSymbolEngine &engine, CStoredQuery &query)
{
    std::vector<LifetimeEntry> entries;
    CDBSymbolInfo rs(ProgramDatabase(engine));
    rs.OpenQueryDef(query);
    for (; !rs.IsEOF(); rs.MoveNext())
        entries.push_back({static_cast<DWORD>(rs.m_Data_1), rs.m_Data_2, rs.m_Data_3, rs.m_Data_4});
    return entries;
}

// The stack offset that holds at `address`: that of the last adjustment at or before it.
LONG StackOffsetAt(const std::vector<StackAdjustment> &adjustments, DWORD address)
{
    for (size_t i = adjustments.size(); i-- > 0;) {
        if (adjustments[i].from.AddressValue <= address)
            return adjustments[i].offset;
    }
    return 0;
}

LifetimeTag Range(const CAddressValue &from, LONG kind, LONG offset, LONG further)
{
    LifetimeTag range;
    range.From = from;
    range.To = CAddressValue(static_cast<DWORD>(offset), static_cast<DWORD>(kind), static_cast<DWORD>(further));
    return range;
}

} // namespace

void CSymbolEngine::OnLifetime(CSymbolRequest &request)
{
    LifetimeArray &result = NewResult<LifetimeTag>(request);
    CDBSymbolInfo variable(ProgramDatabase(*this));
    variable.Open(dbOpenTable);
    variable.SetCurrentIndex(LoadStringText(IDS_DB_SYMBOLINDEXKEY));
    CdbVariant key(NumberParameter(request.Param1));
    if (!variable.Seek("=", &key) || variable.m_Data_2 != kModeLifetimeList)
        return;
    const LONG modul = variable.m_ModulIndex, scope = variable.m_ScopeIndex, list = variable.m_Data_3;
    const BOOL parameter = variable.m_SymbolID == kParameter;
    variable.Close();

    CStoredQuery adjustmentQuery(*this, parameter ? IDS_Q_STACKADJUSTBYFUNCTION : IDS_Q_STACKADJUSTBYBLOCK);
    adjustmentQuery.Set("_ModulIndex", modul);
    adjustmentQuery.Set("_ScopeIndex", scope);
    const std::vector<StackAdjustment> adjustments = ReadAdjustments(*this, adjustmentQuery);
    CStoredQuery entryQuery(*this, IDS_Q_FUNCTIONDATALIFETIME);
    entryQuery.Set("_ModulIndex", modul);
    entryQuery.Set("_LifetimeIndex", list);
    const std::vector<LifetimeEntry> entries = ReadEntries(*this, entryQuery);

    std::vector<LifetimeTag> ranges;
    for (size_t i = 0; i < entries.size(); ++i) {
        const LifetimeEntry &entry = entries[i];
        if (entry.kind != kPlaceStackRelative) {
            ranges.push_back(Range(CAddressValue(entry.start, 1, 0), entry.kind, entry.offset, entry.further));
            continue;
        }
        const LONG offset = entry.offset + StackOffsetAt(adjustments, entry.start);
        ranges.push_back(Range(CAddressValue(entry.start, 1, 0), entry.kind, offset, entry.further));
        if (i + 1 == entries.size())
            continue;
        const DWORD end = entries[i + 1].start;
        for (const StackAdjustment &adjustment : adjustments) {
            const DWORD at = adjustment.from.AddressValue;
            if (entry.start < at && at < end)
                ranges.push_back(Range(adjustment.from, entry.kind, adjustment.offset + offset, entry.further));
        }
    }
    // Each range reaches to where the next begins; the last, the list's end, holds none.
    result.SetSize(static_cast<int>(ranges.size()));
    for (size_t i = 0; i < ranges.size(); ++i) {
        ranges[i].From.AddressExtra =
            i + 1 < ranges.size() ? ranges[i + 1].From.AddressValue - ranges[i].From.AddressValue : 0;
        result[static_cast<int>(i)] = ranges[i];
    }
}

void CSymbolEngine::OnVarEdMapping(CSymbolRequest &request)
{
    LifetimeArray &ranges = NewResult<LifetimeTag>(request);
    CStoredQuery query(*this, IDS_Q_VAREDMAPPING);
    query.Set("_SymbolIndex", request.Param1);
    CDBSymbolInfo rs(ProgramDatabase(*this));
    rs.OpenQueryDef(query);
    CollectRows(rs, ranges, [](LifetimeTag &range, CDBSymbolInfo &row) {
        range.From = CAddressValue(static_cast<DWORD>(row.m_Data_5), 1, static_cast<DWORD>(row.m_Data_6));
        range.To = CAddressValue(static_cast<DWORD>(row.m_Data_3), 1, 0);
    });
}
