// Reading a module's debug information when a query first needs it. The loader reads
// only sections and globals, so that a large program loads fast; the rest comes module
// by module, from here or from the idle pass, which reads them in order and leaves
// NextModulToRead behind the last one it has read.
#include "queryrows.h"

#include <diaghelper.h>
#include <stringtext.h>
#include <symdbstrings.h>

namespace {

// Reads `modul` unless the idle pass has passed it or no reader is open. A module that
// cannot be read costs only itself: the query answers from what the database holds.
void ReadModul(CSymbolEngine &engine, LONG modul)
{
    if (engine.CurrentReader == nullptr || engine.NextModulToRead < 1 || modul < engine.NextModulToRead)
        return;
    engine.ReadModulOrTrace(modul);
}

// Reads every module of the query's rows (only the first with `firstOnly`) that is not
// analysed yet.
void ReadModulsOf(CSymbolEngine &engine, CStoredQuery &query, BOOL firstOnly)
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
        if (firstOnly)
            break;
    }
    moduls.Close();
    for (int i = 0; i < pending.GetSize(); ++i)
        ReadModul(engine, pending[i]);
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
    CStoredQuery query(*this, IDS_Q_MODULBYADDRESS);
    query.SetAddress(mode, value);
    ReadModulsOf(*this, query, TRUE);
}

void CSymbolEngine::EnsureModulsInRange(const VARIANT &mode, const VARIANT &value, const VARIANT &length)
{
    CStoredQuery query(*this, IDS_Q_MODULSINRANGE);
    query.SetAddress(mode, value);
    query.Set("_Length", length);
    ReadModulsOf(*this, query, FALSE);
}

BOOL CSymbolEngine::EnsureModulByIndex(LONG modulIndex)
{
    CDBModuls moduls(ProgramDatabase(*this));
    moduls.Open(dbOpenTable);
    moduls.SetCurrentIndex(LoadStringText(IDS_DB_MODULINDEXKEY));
    CdbVariant key(modulIndex);
    if (!moduls.Seek("=", &key))
        return FALSE;
    const BOOL analyzed = moduls.m_Analyzed;
    moduls.Close();
    if (!analyzed)
        ReadModul(*this, modulIndex);
    return analyzed;
}

void CSymbolEngine::EnsureModulByPath(const VARIANT &path)
{
    CStoredQuery query(*this, IDS_Q_MODULBYPATH);
    query.Set("_Path", path);
    ReadModulsOf(*this, query, FALSE);
}
