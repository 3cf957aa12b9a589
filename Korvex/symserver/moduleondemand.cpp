// Reading a module's debug information when a query first needs it. The loader reads
// only sections and globals, so that a large program loads fast; the rest comes module
// by module, from here or from the idle pass, which reads them in order and leaves
// NextModulToRead behind the last one it has read.
#include "queryrows.h"

#include <diaghelper.h>
#include <stringtext.h>
#include <symdbstrings.h>

#include <cstdlib>
#include <vector>

namespace {

// Reads `modul` unless the idle pass has passed it or no reader is open. A module that
// cannot be read costs only itself: the query answers from what the database holds.
void ReadModul(CSymbolEngine &engine, LONG modul)
{
    if (engine.CurrentReader == nullptr || engine.NextModulToRead < 1 || modul < engine.NextModulToRead)
        return;
    engine.ReadModulOrTrace(modul);
}

// Reads every module of the query's rows that is not analysed yet.
void ReadModulsOf(CSymbolEngine &engine, CStoredQuery &query)
{
    if (engine.CurrentReader == nullptr || engine.NextModulToRead < 1)
        return;
    CDBModuls moduls(ProgramDatabase(engine));
    moduls.OpenQueryDef(query);
    // The rows are gathered before any is read: reading writes to the tables the query
    // looks at.
    CArray<LONG, LONG> pending;
    for (; !moduls.IsEOF(); moduls.MoveNext()) {
        if (!moduls.m_Analyzed)
            pending.Add(moduls.m_ModulIndex);
    }
    moduls.Close();
    for (int i = 0; i < pending.GetSize(); ++i)
        ReadModul(engine, pending[i]);
}

// The modules that the section holding the address relates to, in the query's order.
// Where modules share a section (EOMF's section definitions, Tasking's relation
// records) there are many of them.
struct ModulOfSection {
    LONG index;
    CString name;
    BOOL analyzed;
};

std::vector<ModulOfSection> ModulsOfSectionAt(CSymbolEngine &engine, const VARIANT &mode, const VARIANT &value)
{
    CStoredQuery query(engine, IDS_Q_MODULBYADDRESS);
    query.SetAddress(mode, value);
    CDBModuls moduls(ProgramDatabase(engine));
    moduls.OpenQueryDef(query);
    std::vector<ModulOfSection> found;
    for (; !moduls.IsEOF(); moduls.MoveNext())
        found.push_back({moduls.m_ModulIndex, moduls.m_Name, moduls.m_Analyzed});
    return found;
}

// The module of the function whose range holds the address, 0 when no function does.
// Functions come with the globals, so this is known before any module is read.
long long FunctionModulAt(CSymbolEngine &engine, const VARIANT &mode, const VARIANT &value)
{
    CStoredQuery query(engine, IDS_Q_FUNCTIONBYADDRESS);
    query.SetAddress(mode, value);
    CDBFunctions function(ProgramDatabase(engine));
    function.OpenQueryDef(query);
    // Functions.Scope holds the module with either sign.
    return function.IsEOF() ? 0 : std::llabs(function.m_Scope);
}

// Of the section's modules, the one whose function holds the address; NULL when none
// does, or the function's module is none of them.
const ModulOfSection *HolderAmong(CSymbolEngine &engine, const std::vector<ModulOfSection> &moduls,
                                  const VARIANT &mode, const VARIANT &value)
{
    if (moduls.size() == 1)
        return &moduls.front();
    const long long holder = FunctionModulAt(engine, mode, value);
    for (const ModulOfSection &modul : moduls)
        if (holder != 0 && modul.index == holder)
            return &modul;
    return nullptr;
}

} // namespace

void CSymbolEngine::ReadModulOrTrace(LONG modul)
{
    CQelDiagHelper diagnostics(m_pOwner, "QelSymbolEngine", nullptr);
    try {
        if (CurrentReader->ReadModules(modul, 0) != 1)
            diagnostics.TraceWarning("Module %d could not be read.", static_cast<int>(modul));
    } catch (CException *e) {
        char text[512] = "";
        e->GetErrorMessage(text, sizeof text);
        e->Delete();
        diagnostics.TraceWarning("Module %d could not be read: %s", static_cast<int>(modul), text);
    }
}

void CSymbolEngine::EnsureModulAt(const VARIANT &mode, const VARIANT &value)
{
    if (CurrentReader == nullptr || NextModulToRead < 1)
        return;
    const std::vector<ModulOfSection> moduls = ModulsOfSectionAt(*this, mode, value);
    if (moduls.empty())
        return;
    // Where no function tells which of the section's modules holds the address, each
    // of them may have a line at or before it: all are read, or the line found could be
    // another module's whose range does not hold the address.
    if (const ModulOfSection *holder = HolderAmong(*this, moduls, mode, value)) {
        if (!holder->analyzed)
            ReadModul(*this, holder->index);
        return;
    }
    for (const ModulOfSection &modul : moduls)
        if (!modul.analyzed)
            ReadModul(*this, modul.index);
}

CString CSymbolEngine::ModulNameAt(const VARIANT &mode, const VARIANT &value)
{
    const std::vector<ModulOfSection> moduls = ModulsOfSectionAt(*this, mode, value);
    if (moduls.empty())
        return CString();
    const ModulOfSection *holder = HolderAmong(*this, moduls, mode, value);
    return holder != nullptr ? holder->name : moduls.front().name;
}

void CSymbolEngine::EnsureModulsInRange(const VARIANT &mode, const VARIANT &value, const VARIANT &length)
{
    CStoredQuery query(*this, IDS_Q_MODULSINRANGE);
    query.SetAddress(mode, value);
    query.Set("_Length", length);
    ReadModulsOf(*this, query);
}

BOOL CSymbolEngine::EnsureModulByIndex(LONG modulIndex)
{
    CQelDatabase *database = GetProgramDatabase();
    const BOOL remember = !m_Transactions.empty() && database != nullptr;
    if (remember && database == m_pReadModulsOf && m_ReadModuls.count(modulIndex))
        return TRUE;
    CDBModuls moduls(ProgramDatabase(*this));
    moduls.Open(dbOpenTable);
    moduls.SetCurrentIndex(LoadStringText(IDS_DB_MODULINDEXKEY));
    CdbVariant key(modulIndex);
    if (!moduls.Seek("=", &key))
        return FALSE;
    const BOOL analyzed = moduls.m_Analyzed;
    moduls.Close();
    if (!analyzed) {
        ReadModul(*this, modulIndex);
    } else if (remember) {
        if (database != m_pReadModulsOf)
            m_ReadModuls.clear();
        m_pReadModulsOf = database;
        m_ReadModuls.insert(modulIndex);
    }
    return analyzed;
}

void CSymbolEngine::EnsureModulByPath(const VARIANT &path)
{
    CStoredQuery query(*this, IDS_Q_MODULBYPATH);
    query.Set("_Path", path);
    ReadModulsOf(*this, query);
}
