// qelhost load prints records, one a line, fields split by one tab, so that a script can
// compare them with what readelf or gdb say of the same file. Numbers are decimal; texts
// have '\', tab and line end written "\\", "\t" and "\n".
//
// The symbol engine holds the program's database exclusively while the program is
// loaded, so the database is read after the symbol server has been let go.
#include "qelhostload.h"

#include "hostcfgprofile.h"
#include "qelhostmodules.h"
#include "qelhostsession.h"

#include <dbschema.h>
#include <programinfo.h>
#include <qeldatabase.h>
#include <qeldbexception.h>
#include <qelsymbol.h>
#include <symbolengineerrortext.h>

#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

struct LoadOptions {
    const char *file = nullptr;
    LONG programId = 1;
    bool autoLoadElf = false;
    std::string elfDialog; // the answer of the dialog; "" cancels it
    const char *databaseDirectory = nullptr;
    const char *rowsTable = nullptr;
    bool readModules = false;
};

bool ParseOptions(int argc, char **argv, LoadOptions &options)
{
    options.file = argv[0];
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (option == "--autoload-elf") {
            options.autoLoadElf = true;
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
            options.programId = static_cast<LONG>(id);
        } else if (option == "--elf-dialog") {
            options.elfDialog = std::strcmp(value, "cancel") == 0 ? "" : value;
        } else if (option == "--dbdir") {
            options.databaseDirectory = value;
        } else if (option == "--rows") {
            options.rowsTable = value;
        } else {
            return false;
        }
    }
    return true;
}

std::string Escaped(const std::string &text)
{
    std::string escaped;
    for (char c : text) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\t')
            escaped += "\\t";
        else if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return escaped;
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

// What the progress window received.
struct LoadProgress {
    std::vector<std::pair<WPARAM, LPARAM>> messages;
    int request = 0;
    bool done = false;
};
LoadProgress *g_progress = nullptr;

LRESULT CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static const UINT requestMessage = RegisterWindowMessageA("QELSYMBOLREQUEST");
    if (message == WM_USER + 9) {
        g_progress->messages.push_back({wParam, lParam});
        return 0;
    }
    if (message == requestMessage) {
        g_progress->done |= static_cast<int>(lParam) == g_progress->request;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateProgressWindow()
{
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ProgressWindowProc;
        windowClass.lpszClassName = "QelHostLoadProgress";
        return RegisterClassA(&windowClass) != 0;
    }();
    return registered ? CreateWindowExA(0, "QelHostLoadProgress", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                        nullptr)
                      : nullptr;
}

LPCSTR AnswerElfDialog(void *answer, const OPENFILENAMEA *)
{
    const std::string &path = *static_cast<const std::string *>(answer);
    return path.empty() ? nullptr : path.c_str();
}

// Plays the user, who reads each message box and presses its first button; the box
// becomes a record. The boxes come one at a time, from whichever thread shows them.
int RecordMessageBox(void *lines, HWND, LPCSTR text, LPCSTR caption, UINT style)
{
    static_cast<std::vector<std::string> *>(lines)->push_back("msgbox\t" + Escaped(caption != nullptr ? caption : "") +
                                                             "\t" + Escaped(text != nullptr ? text : ""));
    switch (style & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO:
        return IDYES;
    case MB_RETRYCANCEL:
        return IDRETRY;
    case MB_CANCELTRYCONTINUE:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

// The request status that a Get method's answer stands for.
int StatusOf(HRESULT hr)
{
    if (hr == S_OK)
        return 0;
    if ((static_cast<ULONG>(hr) & 0xFFFF0000u) == 0x80040000u)
        return static_cast<int>(static_cast<ULONG>(hr) & 0xFFFF) - 0x4000;
    return -1;
}

// The symbol server's own text of its last error, without the server's name before it.
std::string ErrorText(IQelSymbSrv *server, int status)
{
    CComBSTR text;
    if (server->GetErrorInfo(&text) == S_OK && text.m_str != nullptr) {
        std::string error = QelHost::AnsiText(text.m_str);
        size_t colon = error.find(":\n");
        return colon != std::string::npos ? error.substr(colon + 2) : error;
    }
    return static_cast<LPCSTR>(GetSymbolEngineErrorText(&status));
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

void ReportDatabaseTrace(QelHost::HostReports &reports, LoadRecords &records)
{
    for (const QelHost::HostTraceLine &line : reports.TraceLines()) {
        for (const char *kind : {"built", "reused"}) {
            const std::string prefix = std::string("Symbol database ") + kind + ": ";
            if (line.text.compare(0, prefix.size(), prefix) == 0) {
                records.databasePath = line.text.substr(prefix.size());
                records.lines.push_back(std::string("database\t") + kind + "\t" + Escaped(records.databasePath));
            }
        }
    }
}

// Loads the program as the debugger does; the records of the load.
LoadRecords RunLoad(const LoadOptions &options)
{
    LoadRecords records;
    auto reports = std::make_shared<QelHost::HostReports>();
    reports->SetEcho(stderr);
    QelHost::Debugger debugger{"QelSymbol", nullptr, nullptr};
    if (!QelHost::MakeDebugger(CLSID_QelSymbol, debugger, reports))
        return records;

    CComPtr<IUnknown> profileObject;
    debugger.Host()->GetProfile(&profileObject);
    auto *profile = static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profileObject.p));
    profile->SetItem(u"System", u"AUTOLOADELF", CComVariant(options.autoLoadElf));
    if (options.databaseDirectory != nullptr) {
        profile->SetItem(u"System", u"DATABASE_SPECIAL", CComVariant(true));
        profile->SetItem(u"System", u"DATABASE_DIRECTORY", CComVariant(CComBSTR(options.databaseDirectory)));
    }
    std::string dialogAnswer = options.elfDialog;
    QelSetFileDialogHandler(AnswerElfDialog, &dialogAnswer);

    CComPtr<IStorage> workspace;
    CComObject<QelHost::CHostGuiServer> *gui = nullptr;
    CComPtr<IUnknown> guiServer;
    if (SUCCEEDED(StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &workspace)) &&
        SUCCEEDED(CComObject<QelHost::CHostGuiServer>::CreateInstance(&gui)))
        guiServer = gui;
    CComQIPtr<IQelSymbol> symbol(debugger.debugServer);
    HWND window = CreateProgressWindow();
    if (guiServer == nullptr || symbol == nullptr || window == nullptr ||
        !QelHost::InitDebugger(debugger, workspace, guiServer)) {
        std::fprintf(stderr, "qelhost: the symbol server did not start\n");
        if (window != nullptr)
            DestroyWindow(window);
        symbol.Release();
        QelHost::EndDebugger(debugger);
        return records;
    }

    LoadProgress progress;
    g_progress = &progress;
    std::vector<std::string> messageBoxes;
    QelSetMessageBoxHandler(RecordMessageBox, &messageBoxes);
    const LONG windowValue = static_cast<LONG>(reinterpret_cast<UINT_PTR>(window));
    int request = windowValue;
    const auto started = std::chrono::steady_clock::now();
    HRESULT hr = symbol->LoadFile(CComBSTR(options.file), options.programId, windowValue, &request);
    progress.request = request;
    MSG message;
    while (SUCCEEDED(hr) && !progress.done && GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    QelSetMessageBoxHandler(nullptr, nullptr);
    records.microseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started).count();

    for (const auto &posted : progress.messages)
        records.lines.push_back("progress\t" + std::to_string(posted.first) + "\t" + std::to_string(posted.second));
    CComPtr<IUnknown> info;
    if (SUCCEEDED(hr))
        hr = symbol->GetProgramInfo(request, &info);
    const int status = StatusOf(hr);
    records.lines.push_back("status\t" + std::to_string(status) + "\t" + Escaped(ErrorText(debugger.symbolServer, status)));
    records.lines.insert(records.lines.end(), messageBoxes.begin(), messageBoxes.end());
    records.loaded = status == 0;
    if (records.loaded)
        ReportProgramInfo(info, records);
    info.Release();
    ReportDatabaseTrace(*reports, records);
    ReportNotices(*debugger.Host(), records);

    g_progress = nullptr;
    DestroyWindow(window);
    QelSetFileDialogHandler(nullptr, nullptr);
    // The interface is the carried server's: it goes before the server does.
    symbol.Release();
    QelHost::EndDebugger(debugger);
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
// that --rows names.
bool ReportTables(CdbDatabase &database, const LoadOptions &options)
{
    bool found = false;
    for (const SymbolDatabaseTable &table : GetSymbolDatabaseTables()) {
        const bool asked = options.rowsTable != nullptr ? table.Name.CompareNoCase(options.rowsTable) == 0
                                                        : table.Name == "Sections" || table.Name == "Moduls";
        if (!asked)
            continue;
        found = true;
        LONG count = 0;
        std::vector<std::string> rows = TableRows(database, table, &count);
        if (options.rowsTable == nullptr)
            std::printf("table\t%s\t%d\n", static_cast<LPCSTR>(table.Name), static_cast<int>(count));
        for (const std::string &row : rows)
            std::printf("%s\n", row.c_str());
    }
    if (!found)
        std::fprintf(stderr, "qelhost: the symbol database has no table %s\n", options.rowsTable);
    return found;
}

} // namespace

int LoadProgramFile(int argc, char **argv)
{
    LoadOptions options;
    if (argc < 1 || !ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: qelhost load FILE [--id N] [--autoload-elf] [--elf-dialog PATH|cancel] "
                             "[--dbdir DIR] [--rows TABLE] [--modules]\n");
        return 2;
    }
    HRESULT hr = CoInitializeEx(nullptr, 0);
    if (FAILED(hr)) {
        std::fprintf(stderr, "qelhost: COM could not be initialised (0x%08X)\n", static_cast<unsigned>(hr));
        return 1;
    }
    int result = 1;
    {
        QelHost::HostServices services(stderr);
        void *library = nullptr;
        if (SUCCEEDED(QelHost::RegisterKorvex(&library, false))) {
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
                    read = ReadAllModules(records.databasePath.c_str(), options.file, options.programId, &modulesTime);
                if (records.loaded)
                    read = withDatabase && ReadDatabase(records, tables) && read;
            } else {
                for (const std::string &line : records.lines)
                    std::printf("%s\n", line.c_str());
                long long modulesTime = 0;
                if (withDatabase && options.readModules)
                    read = ReadAllModules(records.databasePath.c_str(), options.file, options.programId, &modulesTime);
                if (withDatabase)
                    read = ReadDatabase(records, ReportCounts) && read;
                std::printf("time\tload\t%lld\n", records.microseconds);
                if (withDatabase && options.readModules)
                    std::printf("time\tmodules\t%lld\n", modulesTime);
                if (withDatabase)
                    read = ReadDatabase(records, tables) && read;
            }
            result = records.loaded && read ? 0 : 1;
        }
        CoFreeUnusedLibraries();
        if (library != nullptr)
            dlclose(library);
    }
    CoUninitialize();
    std::fflush(stdout);
    return result;
}
