#include "qelhostwatch.h"

#include "hostwatchwindow.h"
#include "qelhostanswers.h"
#include "qelhostprogram.h"
#include "qelhostwatchtext.h"

#include <commvariableobj.h>
#include <symbolprocessing.h>
#include <valueconv.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct WatchOptions {
    QelHost::ProgramOptions program;
    const char *core = nullptr;
    bool hasPc = false;
    ULONG pc = 0;
    std::string format;
    int expand = 0;
    bool location = false;
    bool locals = false;
    std::vector<std::string> texts;
};

bool ParseNumber(const char *text, ULONG *value)
{
    char *end = nullptr;
    unsigned long long number = std::strtoull(text, &end, 0);
    if (*text == '\0' || *end != '\0' || *text == '-' || number > 0xFFFFFFFFull)
        return false;
    *value = static_cast<ULONG>(number);
    return true;
}

// Options stand anywhere after FILE, also between the texts.
bool ParseOptions(int argc, char **argv, WatchOptions &options)
{
    if (argc < 1)
        return false;
    options.program.file = argv[0];
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option.rfind("--", 0) != 0) {
            options.texts.push_back(option);
            continue;
        }
        const bool hasValue = i + 1 < argc;
        ULONG number = 0;
        if (option == "--core" && hasValue)
            options.core = argv[++i];
        else if (option == "--pc" && hasValue && ParseNumber(argv[i + 1], &options.pc))
            options.hasPc = true, ++i;
        else if (option == "--format" && hasValue)
            options.format = argv[++i];
        else if (option == "--expand" && hasValue && ParseNumber(argv[i + 1], &number) && number <= 16)
            options.expand = static_cast<int>(number), ++i;
        else if (option == "--location")
            options.location = true;
        else if (option == "--locals")
            options.locals = true;
        else if (option == "--dbdir" && hasValue)
            options.program.databaseDirectory = argv[++i];
        else
            return false;
    }
    return !options.texts.empty() || options.locals;
}

// Whether some type offers a display format of that name.
bool IsFormatName(const std::string &name)
{
    for (const QelConversionRow &row : g_QelConversionTable) {
        for (LPCSTR known : row.names) {
            if (known != nullptr && name == known)
                return true;
        }
    }
    return false;
}

void PrintItems(const QelHost::CHostWatchWindow &window, const WatchOptions &options, LONG parent, int depth);

void PrintItem(const QelHost::CHostWatchWindow &window, const WatchOptions &options, LONG item, int depth)
{
    if (window.ObjectOf(item) == nullptr)
        return;
    std::string line = std::string(2 * depth, ' ') + QelHost::Escaped(window.ItemString(item, 10)) + "\t" +
                       QelHost::Escaped(window.ItemString(item, 1));
    if (options.location)
        line += "\t" + QelHost::Escaped(window.ItemString(item, 100));
    std::printf("%s\n", line.c_str());
    PrintItems(window, options, item, depth + 1);
}

void PrintItems(const QelHost::CHostWatchWindow &window, const WatchOptions &options, LONG parent, int depth)
{
    for (LONG item : window.Tree()->Children(parent))
        PrintItem(window, options, item, depth);
}

// What a text became: the window's items it added, or the line that says why none.
struct TypedEntry {
    std::vector<LONG> items;
    std::string refusal;
};

// The items among the window's top ones that `before` lacks.
std::vector<LONG> NewItems(const QelHost::CHostWatchWindow &window, const std::vector<LONG> &before)
{
    std::vector<LONG> added;
    for (LONG item : window.Tree()->Children(0)) {
        if (std::find(before.begin(), before.end(), item) == before.end())
            added.push_back(item);
    }
    return added;
}

int RunWatch(const WatchOptions &options)
{
    QelHost::ProgramSession session(options.program);
    if (!session.Start())
        return 1;
    const QelHost::LoadOutcome outcome = session.Load();
    if (outcome.status != 0) {
        std::fprintf(stderr, "qelhost: %s\n", outcome.errorText.c_str());
        return 1;
    }
    QelHost::CHostTarget *target = session.DebuggerObject().Host()->Target();
    std::string reason;
    if (!target->LoadProgram(options.program.file, &reason) ||
        (options.core != nullptr && !target->LoadCore(options.core, &reason))) {
        std::fprintf(stderr, "qelhost: %s\n", reason.c_str());
        return 1;
    }
    if (options.hasPc)
        target->SetPc(options.pc);
    QelHost::CHostWatchWindow window(session.DebuggerObject().debugServer, CreateCommVariableObject);
    if (!window.Open())
        return 1;
    CSymbolProcessing client;
    client.Attach(session.DebuggerObject().debugServer);
    std::vector<TypedEntry> entries;
    for (const std::string &typed : options.texts) {
        const std::vector<LONG> before = window.Tree()->Children(0);
        const WatchEntryText entry = CheckWatchText(typed, &client);
        TypedEntry made;
        if (!entry.accepted)
            made.refusal = QelHost::Escaped(typed) + "\trefused";
        else if (entry.expression)
            window.AddExpression(entry.text);
        else if (!window.AddVariable(entry.text))
            made.refusal = QelHost::Escaped(entry.text) + "\tnot found";
        made.items = NewItems(window, before);
        entries.push_back(std::move(made));
    }
    std::vector<LONG> shown;
    for (const TypedEntry &entry : entries)
        shown.insert(shown.end(), entry.items.begin(), entry.items.end());
    if (options.locals)
        window.AddLocals();
    const std::vector<LONG> locals = NewItems(window, shown);
    window.Expand(options.expand);
    if (!options.format.empty())
        window.ChooseFormat(options.format);
    // In the order of the texts typed, the locals after them.
    for (const TypedEntry &entry : entries) {
        if (!entry.refusal.empty())
            std::printf("%s\n", entry.refusal.c_str());
        for (LONG item : entry.items)
            PrintItem(window, options, item, 0);
    }
    for (LONG item : locals)
        PrintItem(window, options, item, 0);
    return 0;
}

} // namespace

int WatchTexts(int argc, char **argv)
{
    WatchOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: qelhost watch FILE [--core CORE] [--pc ADDR] [--format NAME] [--expand N] "
                             "[--location] [--locals] [--dbdir DIR] TEXT...\n");
        return 2;
    }
    if (!options.format.empty() && !IsFormatName(options.format)) {
        std::fprintf(stderr, "qelhost: no type has a display format named %s\n", options.format.c_str());
        return 2;
    }
    return QelHost::RunWithKorvex([&] { return RunWatch(options); });
}
