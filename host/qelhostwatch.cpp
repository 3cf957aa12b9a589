#include "qelhostwatch.h"

#include "hostwatchwindow.h"
#include "qelhostanswers.h"
#include "qelhostprogram.h"
#include "qelhostwatchtext.h"

#include <commvariableobj.h>
#include <symbolprocessing.h>

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

bool ParseOptions(int argc, char **argv, WatchOptions &options)
{
    if (argc < 1)
        return false;
    options.program.file = argv[0];
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        const std::string option = argv[i];
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
    options.texts.assign(argv + i, argv + argc);
    return !options.texts.empty() || options.locals;
}

void PrintItems(const QelHost::CHostWatchWindow &window, const WatchOptions &options, LONG parent, int depth)
{
    for (LONG item : window.Tree()->Children(parent)) {
        if (window.ObjectOf(item) == nullptr)
            continue;
        std::string line = std::string(2 * depth, ' ') + QelHost::Escaped(window.ItemString(item, 10)) + "\t" +
                           QelHost::Escaped(window.ItemString(item, 1));
        if (options.location)
            line += "\t" + QelHost::Escaped(window.ItemString(item, 100));
        std::printf("%s\n", line.c_str());
        PrintItems(window, options, item, depth + 1);
    }
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
    for (const std::string &typed : options.texts) {
        const WatchEntryText entry = CheckWatchText(typed, &client);
        if (!entry.accepted)
            std::printf("%s\trefused\n", QelHost::Escaped(typed).c_str());
        else if (entry.expression)
            window.AddExpression(entry.text);
        else if (!window.AddVariable(entry.text))
            std::printf("%s\tnot found\n", QelHost::Escaped(entry.text).c_str());
    }
    if (options.locals)
        window.AddLocals();
    window.Expand(options.expand);
    if (!options.format.empty())
        window.ChooseFormat(options.format);
    PrintItems(window, options, 0, 0);
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
    return QelHost::RunWithKorvex([&] { return RunWatch(options); });
}
