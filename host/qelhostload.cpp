// qelhost load prints records, one a line, fields split by one tab, so that a script can
// compare them with what readelf or gdb say of the same file. Numbers are decimal; texts
// have '\', tab and line end written "\\", "\t" and "\n".
//
// The symbol engine holds the program's database exclusively while the program is
// loaded, so the database is read after the symbol server has been let go.
#include "qelhostload.h"

#include "qelhostanswers.h"
#include "qelhostmodules.h"
#include "qelhostprogram.h"

#include <dbschema.h>
#include <programinfo.h>
#include <qeldatabase.h>
#include <qeldbexception.h>
#include <qelsymbol.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using QelHost::Escaped;

const unsigned long kMaxIdleSeconds = 86400;

struct LoadOptions {
    QelHost::ProgramOptions program;
    const char *rowsTable = nullptr;
    bool readModules = false;
    DWORD idleSeconds = 0;
};

// A name that --rows takes: a table of the schema, in any case.
bool IsSymbolDatabaseTable(const char *name)
{
    for (const SymbolDatabaseTable &table : GetSymbolDatabaseTables()) {
        if (table.Name.CompareNoCase(name) == 0)
            return true;
    }
    return false;
}

bool ParseOptions(int argc, char **argv, LoadOptions &options)
{
    options.program.file = argv[0];
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (option == "--autoload-elf") {
            options.program.autoLoadElf = true;
            continue;
        }
        if (option == "--modules") {
            options.readModules = true;
            continue;
        }
        if (value == nullptr)
            return false;
        ++i;
        if (option == "--id") {
            char *end = nullptr;
            long id = std::strtol(value, &end, 10);
            if (*value == '\0' || *end != '\0' || id < INT32_MIN || id > INT32_MAX)
                return false;
            options.program.programId = static_cast<LONG>(id);
        } else if (option == "--elf-dialog") {
            options.program.elfDialog = std::strcmp(value, "cancel") == 0 ? "" : value;
        } else if (option == "--dbdir") {
            options.program.databaseDirectory = value;
        } else if (option == "--rows") {
            if (!IsSymbolDatabaseTable(value)) {
                std::fprintf(stderr, "qelhost: the symbol database has no table %s\n", value);
                return false;
            }
            options.rowsTable = value;
        } else if (option == "--idle") {
            char *end = nullptr;
            unsigned long seconds = std::strtoul(value, &end, 10);
            // A day at most: the milliseconds stay within 32 bits.
            if (*value < '0' || *value > '9' || *end != '\0' || seconds > kMaxIdleSeconds)
                return false;
            options.idleSeconds = static_cast<DWORD>(seconds);
        } else {
            return false;
        }
    }
    return true;
}

// A value as the records show it; "" for none.
std::string ValueText(const VARIANT &value)
{
    char text[64];
    switch (value.vt) {
    case VT_I4:
        snprintf(text, sizeof text, "%d", static_cast<int>(value.lVal));
        return text;
    case VT_UI4:
        snprintf(text, sizeof text, "%u", static_cast<unsigned>(value.ulVal));
        return text;
    case VT_I2:
        return std::to_string(value.iVal);
    case VT_BOOL:
        return value.boolVal != VARIANT_FALSE ? "1" : "0";
    case VT_DATE:
        snprintf(text, sizeof text, "%.17g", value.date);
        return text;
    case VT_BSTR:
        return Escaped(QelHost::AnsiText(value.bstrVal));
    case VT_EMPTY:
    case VT_NULL:
        return "";
    default:
        snprintf(text, sizeof text, "vt%u", static_cast<unsigned>(value.vt));
        return text;
    }
}

// What the load left behind, read from the host's records before the server goes.
struct LoadRecords {
    std::vector<std::string> lines;
    std::string databasePath;
    bool loaded = false;
    long long microseconds = 0;
};

void ReportProgramInfo(IUnknown *object, LoadRecords &records)
{
    CComQIPtr<IProgramInfo> info(object);
    if (info == nullptr)
        return;
    CComBSTR name, startText;
    ULONG blocks = 0, bytes = 0, start = 0, value = 0;
    info->GetName(&name);
    info->GetDownloadSize(&blocks, &bytes);
    info->GetStartInfo(&startText, &start, &value);
    // qelhost is built from the sources of the server it loads: the object is one of its
    // CProgramInfo, whose format no interface tells.
    const CProgramInfo *program = static_cast<CProgramInfo *>(info.p);
    char line[160];
    snprintf(line, sizeof line, "program\t%d\t%d\t%u\t%u\t0x%08X\t", static_cast<int>(program->m_nType),
             static_cast<int>(program->m_nProgramId), static_cast<unsigned>(blocks), static_cast<unsigned>(bytes),
             static_cast<unsigned>(start));
    records.lines.push_back(line + Escaped(name.m_str != nullptr ? QelHost::AnsiText(name.m_str) : ""));
}

void ReportNotices(QelHost::CHostDebugServer &host, LoadRecords &records)
{
    for (const QelHost::HostCommand &command : host.Commands()->Commands()) {
        if (command.group != CLSID_QelSymbol || command.id != 2)
            continue;
        std::string line = "notice";
        const VARIANT &input = command.input;
        if (input.vt == (VT_ARRAY | VT_VARIANT) && input.parray != nullptr) {
            const VARIANT *values = static_cast<const VARIANT *>(input.parray->pvData);
            for (ULONG i = 0; i < input.parray->rgsabound[0].cElements; ++i)
                line += "\t" + ValueText(values[i]);
        } else if (input.vt != VT_EMPTY) {
            line += "\t" + ValueText(input);
        }
        records.lines.push_back(line);
    }
}

// Loads the program as the debugger does; the records of the load.
LoadRecords RunLoad(const LoadOptions &options)
{
    LoadRecords records;
    QelHost::ProgramSession session(options.program);
    if (!session.Start())
        return records;
    const QelHost::LoadOutcome outcome = session.Load();
    records.microseconds = outcome.microseconds;
    for (const auto &posted : outcome.progress)
        records.lines.push_back("progress\t" + std::to_string(posted.first) + "\t" + std::to_string(posted.second));
    records.lines.push_back("status\t" + std::to_string(outcome.status) + "\t" + Escaped(outcome.errorText));
    records.lines.insert(records.lines.end(), outcome.messageBoxes.begin(), outcome.messageBoxes.end());
    records.loaded = outcome.status == 0;
    if (records.loaded)
        ReportProgramInfo(outcome.programInfo, records);
    // A failed load deletes the database it was building: no line names it.
    for (const auto &database : session.DatabaseTrace()) {
        if (!records.loaded)
            break;
        records.databasePath = database.second;
        records.lines.push_back("database\t" + database.first + "\t" + Escaped(database.second));
    }
    // What the idle pass tells the host comes with the load's own notice.
    if (records.loaded && options.idleSeconds > 0)
        session.Idle(options.idleSeconds * 1000);
    ReportNotices(*session.DebuggerObject().Host(), records);
    return records;
}

// The rows of `table` in the order of its primary index: its column names, then a line
// per row; the row count in *count.
std::vector<std::string> TableRows(CdbDatabase &database, const SymbolDatabaseTable &table, LONG *count)
{
    CdbRecordset rows = database.OpenRecordset(table.Name, dbOpenTable);
    if (!table.PrimaryIndex.IsEmpty())
        rows.SetIndex(table.PrimaryIndex);
    std::vector<std::string> lines;
    std::string names;
    for (LONG f = 0; f < rows.Fields.GetCount(); ++f)
        names += (f > 0 ? "\t" : "") + Escaped(static_cast<LPCSTR>(rows.Fields[f].GetName()));
    lines.push_back(names);
    *count = 0;
    if (rows.GetRecordCount() > 0)
        rows.MoveFirst();
    for (; !rows.IsEOF(); rows.MoveNext()) {
        std::string line;
        for (LONG f = 0; f < rows.Fields.GetCount(); ++f)
            line += (f > 0 ? "\t" : "") + ValueText(rows.Fields[f].GetValue());
        lines.push_back(line);
        ++*count;
    }
    return lines;
}

// Runs `read` on the program's database, opened for reading; false, with a message on
// standard error, when it cannot be read.
bool ReadDatabase(const LoadRecords &records, const std::function<bool(CdbDatabase &)> &read)
{
    CQelDatabase database;
    try {
        if (!database.Open(records.databasePath.c_str(), TRUE, TRUE)) {
            std::fprintf(stderr, "qelhost: the symbol database %s is gone\n", records.databasePath.c_str());
            return false;
        }
        return read(*database.GetDatabase());
    } catch (CQeldbException *e) {
        std::fprintf(stderr, "qelhost: the symbol database cannot be read: %s\n",
                     static_cast<LPCSTR>(e->m_strDescription));
        e->Delete();
    } catch (const CdbException &e) {
        std::fprintf(stderr, "qelhost: the symbol database cannot be read (0x%08X)\n", static_cast<unsigned>(e.m_hr));
    }
    return false;
}

// The row count of every table and the Symbols rows of each SymbolID.
bool ReportCounts(CdbDatabase &database)
{
    for (const SymbolDatabaseTable &table : GetSymbolDatabaseTables()) {
        CdbRecordset rows = database.OpenRecordset(table.Name, dbOpenTable);
        std::printf("count\t%s\t%d\n", static_cast<LPCSTR>(table.Name), static_cast<int>(rows.GetRecordCount()));
    }
    std::map<LONG, LONG> kinds;
    CdbRecordset symbols = database.OpenRecordset("Symbols", dbOpenTable);
    if (symbols.GetRecordCount() > 0)
        symbols.MoveFirst();
    for (; !symbols.IsEOF(); symbols.MoveNext())
        ++kinds[symbols.GetField("SymbolID").lVal];
    for (const auto &kind : kinds)
        std::printf("symbolid\t%d\t%d\n", static_cast<int>(kind.first), static_cast<int>(kind.second));
    return true;
}

// The tables Sections and Moduls, each after its name and row count, or only the table
// that --rows names (a table of the schema, as the options were checked).
bool ReportTables(CdbDatabase &database, const LoadOptions &options)
{
    for (const SymbolDatabaseTable &table : GetSymbolDatabaseTables()) {
        const bool asked = options.rowsTable != nullptr ? table.Name.CompareNoCase(options.rowsTable) == 0
                                                        : table.Name == "Sections" || table.Name == "Moduls";
        if (!asked)
            continue;
        LONG count = 0;
        std::vector<std::string> rows = TableRows(database, table, &count);
        if (options.rowsTable == nullptr)
            std::printf("table\t%s\t%d\n", static_cast<LPCSTR>(table.Name), static_cast<int>(count));
        for (const std::string &row : rows)
            std::printf("%s\n", row.c_str());
    }
    return true;
}

} // namespace

int LoadProgramFile(int argc, char **argv)
{
    LoadOptions options;
    if (argc < 1 || !ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: qelhost load FILE [--id N] [--autoload-elf] [--elf-dialog PATH|cancel] "
                             "[--dbdir DIR] [--rows TABLE] [--modules] [--idle SECONDS]\n");
        return 2;
    }
    return QelHost::RunWithKorvex([&] {
        LoadRecords records = RunLoad(options);
        bool read = true;
        const bool withDatabase = records.loaded && !records.databasePath.empty();
        auto tables = [&](CdbDatabase &database) { return ReportTables(database, options); };
        if (options.rowsTable != nullptr) {
            for (const std::string &line : records.lines) {
                if (!records.loaded && line.compare(0, 7, "status\t") == 0)
                    std::printf("%s\n", line.c_str());
            }
            if (records.loaded && !withDatabase)
                std::fprintf(stderr, "qelhost: a memory image has no symbol database\n");
            long long modulesTime = 0;
            if (withDatabase && options.readModules)
                read = ReadAllModules(records.databasePath.c_str(), options.program.file, options.program.programId,
                                      &modulesTime);
            if (records.loaded)
                read = withDatabase && ReadDatabase(records, tables) && read;
        } else {
            for (const std::string &line : records.lines)
                std::printf("%s\n", line.c_str());
            long long modulesTime = 0;
            if (withDatabase && options.readModules)
                read = ReadAllModules(records.databasePath.c_str(), options.program.file, options.program.programId,
                                      &modulesTime);
            if (withDatabase)
                read = ReadDatabase(records, ReportCounts) && read;
            std::printf("time\tload\t%lld\n", records.microseconds);
            if (withDatabase && options.readModules)
                std::printf("time\tmodules\t%lld\n", modulesTime);
            if (withDatabase)
                read = ReadDatabase(records, tables) && read;
        }
        return records.loaded && read ? 0 : 1;
    });
}
