// What qelhost session does about dialogs: the answers it queues for them (answer), what
// it tells of those that opened (dialogs), and the load request that opens them
// (request-load). The session plays the user through a DialogScript, which answers every
// thread of the process.
#pragma once

#include "dialogscript.h"
#include "hostdownloads.h"

#include <ole2.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace QelHost {

class SessionDialogs {
public:
    // Installs the script; `runCommand` runs a cmd: action's line as a session command
    // (on this thread only).
    explicit SessionDialogs(std::function<bool(const std::string &line)> runCommand);
    ~SessionDialogs();
    SessionDialogs(const SessionDialogs &) = delete;
    SessionDialogs &operator=(const SessionDialogs &) = delete;

    // answer WORDS...: queues the answer; false with the reason for words that are none.
    bool Answer(const std::vector<std::string> &words, std::string *error);
    // dialogs: prints what opened since the last time.
    void PrintOpened(FILE *out);
    // request-load PATH [ID]: loads the file through the debug-server object's symbol
    // server as qelhost load asks it, handling the messages and answering what opens until
    // the request is done; prints "load PATH ID STATUS", the sections of request 0 and
    // each block that the host took meanwhile ("block 0xSTART SIZE HEXBYTES").
    bool RequestLoad(IUnknown *debugServer, HostDownloads &downloads, const std::vector<std::string> &words,
                     std::string *error);
    // False, with every failure of the script since the last check, when there was one.
    bool Check(std::string *error);
    // Check, and false when answers are left.
    bool Finish(std::string *error);

    DialogScript &Script() { return m_script; }

private:
    DialogScript m_script;
};

} // namespace QelHost
