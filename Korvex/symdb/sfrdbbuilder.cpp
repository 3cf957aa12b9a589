#include "sfrdbbuilder.h"

#include "dbdao.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

// A description larger than this is refused before it is read: no controller comes
// near it, and a file of any size must not exhaust memory.
const std::streamoff kDescriptionLimit = 64 << 20;

void WriteTables(CdbDatabase &db, const SfrDescription &description)
{
    const std::vector<SfrTableLayout> &tables = SfrTables();
    for (size_t t = 0; t < tables.size(); ++t) {
        CdbTableDef table = db.CreateTableDef(tables[t].name);
        for (const SfrColumn &column : tables[t].columns) {
            CdbField field = table.CreateField(column.name, column.text ? dbText : dbLong,
                                               column.text ? static_cast<LONG>(kSfrTextLimit) : 4);
            // An empty cell is an empty text, as the maker's databases keep it.
            if (column.text)
                field.SetAllowZeroLength(TRUE);
            table.Fields.Append(field);
        }
        db.TableDefs.Append(table);
    }
    for (size_t t = 0; t < tables.size(); ++t) {
        CdbRecordset rs = db.OpenRecordset(tables[t].name, dbOpenTable);
        for (const SfrRow &row : description.rows[t]) {
            rs.AddNew();
            for (size_t c = 0; c < tables[t].columns.size(); ++c) {
                const SfrColumn &column = tables[t].columns[c];
                CdbVariant value = column.text ? CdbVariant(row.cells[c].text.c_str())
                                               : CdbVariant(static_cast<LONG>(row.cells[c].number));
                rs.SetField(column.name, &value);
            }
            rs.Update();
        }
        rs.Close();
    }
}

} // namespace

BOOL BuildSfrDatabase(const SfrDescription &description, LPCSTR path, CString &error)
{
    error.Empty();
    CString temporary;
    temporary.Format("%s.%d.qelsfrdb-tmp", path, static_cast<int>(getpid()));
    remove(temporary); // one left by a build of this process that was killed
    try {
        CdbDBEngine engine;
        CdbWorkspace workspace = engine.CreateWorkspace("qelsfrdb", "admin", "");
        CdbDatabase db = workspace.CreateDatabase(temporary, dbLangGeneral, 0);
        workspace.BeginTrans();
        try {
            WriteTables(db, description);
            workspace.CommitTrans();
        } catch (...) {
            workspace.Rollback();
            throw;
        }
        db.Close();
        workspace.Close();
    } catch (const CdbException &) {
        CdbLastOLEError info;
        error.Format("%s: %s", path, static_cast<LPCSTR>(info.GetDescription()));
        remove(temporary);
        return FALSE;
    }
    if (rename(temporary, path) != 0) {
        error.Format("%s: cannot be written (%s)", path, strerror(errno));
        remove(temporary);
        return FALSE;
    }
    return TRUE;
}

BOOL BuildSfrDatabaseFromFile(LPCSTR descriptionPath, LPCSTR path, CString &error)
{
    std::ifstream in(descriptionPath, std::ios::binary);
    if (!in) {
        error.Format("%s: cannot be read", descriptionPath);
        return FALSE;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kDescriptionLimit) {
        error.Format("%s: not a description of a controller (larger than 64 MiB, or unreadable)", descriptionPath);
        return FALSE;
    }
    in.seekg(0);
    std::string text(static_cast<size_t>(size), '\0');
    if (!in.read(text.data(), size)) {
        error.Format("%s: cannot be read", descriptionPath);
        return FALSE;
    }
    SfrDescription description;
    if (!ParseSfrDescription(text.data(), text.size(), descriptionPath, description, error))
        return FALSE;
    return BuildSfrDatabase(description, path, error);
}
