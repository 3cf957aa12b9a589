// qelhost query's answers are lines of fields split by one tab. Records start with their
// request code, so only they start with a digit; the other lines start with '#':
//
//   #none CODE                 the request has no records
//   #error CODE STATUS TEXT    the request failed (a failed load: CODE 2000)
//   #bad LINE TEXT             the request cannot be read: what is wrong with it
//   #time CODE MICROSECONDS    with --time, from the method call to the unpacked records
//
// The program is loaded once; every request of standard input asks the same session.
#include "qelhostquery.h"

#include "qelhostanswers.h"
#include "qelhostmodules.h"
#include "qelhostprogram.h"
#include "qelhostrequests.h"

#include <symbolengineerrortext.h>
#include <symprocrdysink.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

using QelHost::Escaped;

// Whom the server tells that a request has finished.
enum class Notice { Window, Event, Synchronous };

struct QueryOptions {
    QelHost::ProgramOptions program;
    bool readModules = false;
    bool time = false;
    Notice notice = Notice::Window;
    std::vector<std::string> request; // the request on the command line, if any
};

bool ParseOptions(int argc, char **argv, QueryOptions &options)
{
    options.program.file = argv[0];
    if (std::strncmp(argv[0], "--", 2) == 0)
        return false;
    bool event = false, synchronous = false;
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        const std::string option = argv[i];
        if (option == "--modules")
            options.readModules = true;
        else if (option == "--time")
            options.time = true;
        else if (option == "--event")
            event = true;
        else if (option == "--sync")
            synchronous = true;
        else if (option == "--dbdir" && i + 1 < argc)
            options.program.databaseDirectory = argv[++i];
        else
            return false;
    }
    if (event && synchronous)
        return false;
    options.notice = event ? Notice::Event : synchronous ? Notice::Synchronous : Notice::Window;
    options.request.assign(argv + i, argv + argc);
    return true;
}

// Passes the server's ready events to the session's window, whose thread waits for them.
class ReadyEventRelay : public CSymProcRdySink {
public:
    explicit ReadyEventRelay(QelHost::ProgramSession &session) : m_session(session) {}
    ~ReadyEventRelay() override { Unadvise(); }
    void OnSymbolProcReadyState(int requestId) override { m_session.RelayReadyEvent(requestId); }

private:
    QelHost::ProgramSession &m_session;
};

// The status that the server gives a request that needs a program when it holds none.
constexpr int kStatusNoProgram = 6;

class Query {
public:
    Query(QelHost::ProgramSession &session, const QueryOptions &options) : m_session(session), m_options(options)
    {
        LONG database = 0;
        m_database = session.Symbol()->IsDatabase(&database) == S_OK && database != 0;
    }

    // Answers the request that `tokens` spell; `line` is how it was written.
    void Answer(const std::vector<QelHost::RequestToken> &tokens, const std::string &line)
    {
        const QelHost::RequestCode *code = nullptr;
        std::vector<QelHost::RequestArgument> arguments;
        std::string reason;
        if (!QelHost::BindRequest(tokens, &code, arguments, &reason)) {
            Bad(line, reason);
            return;
        }
        const auto started = std::chrono::steady_clock::now();
        // Without a program database ("-", or a memory image) the server would keep such a
        // request until a program came, and none will: it is answered, without asking, as
        // the server answers it when it is asked synchronously.
        const bool ask = m_database || code->withoutProgram || m_options.notice == Notice::Synchronous;
        QelHost::RequestAnswer answer;
        if (ask) {
            answer = Ask(*code, arguments);
        } else {
            answer.result = static_cast<HRESULT>(0x80040000u | (0x4000u + kStatusNoProgram));
            answer.unpacked = std::chrono::steady_clock::now();
        }
        if (answer.result != S_OK) {
            int status = QelHost::StatusOf(answer.result);
            Error(code->code, status,
                  ask ? QelHost::ErrorText(m_session.Server(), status)
                      : std::string(static_cast<LPCSTR>(GetSymbolEngineErrorText(&status))));
        } else if (answer.malformed) {
            char text[96];
            std::snprintf(text, sizeof text, "The answer's arrays do not have the form of its records (0x%08X).",
                          static_cast<unsigned>(answer.unpacking));
            Error(code->code, -1, text);
        } else if (answer.records.empty()) {
            std::printf("#none\t%d\n", static_cast<int>(code->code));
        }
        for (const std::string &record : answer.records)
            std::printf("%s\n", record.c_str());
        if (m_options.time)
            std::printf("#time\t%d\t%lld\n", static_cast<int>(code->code),
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::microseconds>(answer.unpacked - started).count()));
        std::fflush(stdout);
    }

    void AnswerLine(const std::string &line)
    {
        const size_t first = line.find_first_not_of(" \t\r\v\f");
        if (first == std::string::npos || line[first] == '#')
            return;
        std::vector<QelHost::RequestToken> tokens;
        std::string reason;
        if (QelHost::SplitRequestLine(line, tokens, &reason))
            Answer(tokens, line);
        else
            Bad(line, reason);
    }

    void AnswerCommandLine(const std::vector<std::string> &arguments)
    {
        std::vector<QelHost::RequestToken> tokens(arguments.size());
        std::string line, reason;
        bool read = true;
        for (size_t i = 0; i < arguments.size(); ++i) {
            line += (i > 0 ? " " : "") + arguments[i];
            read = read && QelHost::CommandLineToken(arguments[i], tokens[i], &reason);
        }
        if (read)
            Answer(tokens, line);
        else
            Bad(line, reason);
    }

    static void Error(LONG code, int status, const std::string &text)
    {
        std::printf("#error\t%d\t%d\t%s\n", static_cast<int>(code), status, Escaped(text).c_str());
    }

private:
    // Asks the request through its method, waits for the server's notice and fetches it.
    QelHost::RequestAnswer Ask(const QelHost::RequestCode &code, const std::vector<QelHost::RequestArgument> &arguments)
    {
        IQelSymbol *symbol = m_session.Symbol();
        int request = m_options.notice == Notice::Synchronous ? 0
                      : m_options.notice == Notice::Event     ? -1
                                                              : m_session.Window();
        QelHost::RequestAnswer answer;
        answer.result = code.submit(symbol, arguments, &request);
        if (answer.result != S_OK) {
            answer.unpacked = std::chrono::steady_clock::now();
            return answer;
        }
        if (m_options.notice != Notice::Synchronous)
            m_session.WaitForNotice(request);
        return code.fetch(symbol, code.code, request);
    }

    static void Bad(const std::string &line, const std::string &reason)
    {
        std::printf("#bad\t%s\t%s\n", Escaped(line).c_str(), Escaped(reason).c_str());
        std::fflush(stdout);
    }

    QelHost::ProgramSession &m_session;
    const QueryOptions &m_options;
    bool m_database = false; // whether the server holds a program database
};

// Starts `session` and loads the program into it, unless it is "-"; false, with the
// load's #error line, when the load failed.
bool StartAndLoad(QelHost::ProgramSession &session, const QueryOptions &options)
{
    if (!session.Start())
        return false;
    if (std::strcmp(options.program.file, "-") == 0)
        return true;
    const QelHost::LoadOutcome outcome = session.Load();
    if (outcome.status == 0)
        return true;
    Query::Error(2000, outcome.status, outcome.errorText);
    return false;
}

// The modules are read while no server holds the database: the program is loaded once
// to find its database, which the server lets go of with the program, and then again, so
// that the requests find the database that holds the modules.
bool ReadModules(const QueryOptions &options)
{
    std::string database;
    {
        QelHost::ProgramSession session(options.program);
        if (!StartAndLoad(session, options))
            return false;
        database = session.DatabasePath();
    }
    long long microseconds = 0;
    return database.empty() ||
           ReadAllModules(database.c_str(), options.program.file, options.program.programId, &microseconds);
}

int RunQuery(const QueryOptions &options)
{
    if (options.readModules && std::strcmp(options.program.file, "-") != 0 && !ReadModules(options))
        return 1;
    QelHost::ProgramSession session(options.program);
    if (!StartAndLoad(session, options))
        return 1;
    ReadyEventRelay relay(session);
    if (options.notice == Notice::Event && !relay.Advise(session.DebuggerObject().debugServer)) {
        std::fprintf(stderr, "qelhost: the symbol server's ready events cannot be followed\n");
        return 1;
    }
    Query query(session, options);
    if (!options.request.empty()) {
        query.AnswerCommandLine(options.request);
    } else {
        std::string line;
        while (std::getline(std::cin, line))
            query.AnswerLine(line);
    }
    relay.Unadvise();
    return 0;
}

} // namespace

int QueryProgramFile(int argc, char **argv)
{
    QueryOptions options;
    if (argc < 1 || !ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: qelhost query PROGRAM|- [--modules] [--dbdir DIR] [--time] [--event|--sync] [CODE ARG...]\n");
        return 2;
    }
    return QelHost::RunWithKorvex([&] { return RunQuery(options); });
}
