// qelhost session's commands about the host itself, beside the symbol server:
//   quiet 0|1            what slot 18 of the debug-server object's holder answers: 1 while
//                        the user is to see no message boxes
//   activate main|none|ID   the window the user works in: the main window "QEL Desktop",
//                        a hidden window of the host's, or the open dialog of template ID
//   pump [MS]            handles posted messages for MS ms, or until 200 ms pass with none
//   wait-command ID [MS] handles messages until the debug-server object has received
//                        command ID of the QelSymbol group (counted from after the one the
//                        last wait-command found); fails after MS ms (60000)
//   host                 what the host's interfaces received: "forget ID" for each code
//                        section forgotten (slot 6 of the target-pattern interface),
//                        "stores N" for the profile's slot 12, "start ID 0xADDR 0xADDR2 N"
//                        for each start address (slot 15), "breakpoints ID VALUE..." for
//                        each command of the host's breakpoint group
//   target run | target stop ADDR   the simulated target runs, or stops with its program
//                        counter at ADDR, telling the sinks of its target-state events
//   target load FILE     the program file's allocated sections into the target's memory
//   target core CORE     a core's registers and memory, then target stop at its PC
//   target access fast|slow|none   how the target reads memory while it runs
//   target write ADDR HEX   writes the bytes (pairs of hex digits) into the target
//   animate MS           moves the host's refresh queue on by MS ms, updating each attached
//                        object whose period passed
//   pattern KIND START LENGTH   the target-pattern event of a range of code to show: prints
//                        what the sinks answered ("result 0xHHHHHHHH", S_OK without sinks)
#pragma once

#include "debugserver.h"

#include <cstdio>

#include <functional>
#include <string>
#include <vector>

namespace QelHost {

class SessionHostCommands {
public:
    SessionHostCommands() = default;
    ~SessionHostCommands();
    SessionHostCommands(const SessionHostCommands &) = delete;
    SessionHostCommands &operator=(const SessionHostCommands &) = delete;

    static bool Handles(const std::string &command);
    // Runs the command of `words` on the session's debug-server object; false with the
    // reason in *error.
    bool Run(const std::vector<std::string> &words, CHostDebugServer *host, HWND mainWindow, std::string *error);

private:
    bool Activate(const std::string &which, HWND mainWindow, std::string *error);
    bool WaitCommand(const std::vector<std::string> &words, CHostDebugServer *host, std::string *error);
    static bool Target(const std::vector<std::string> &words, CHostDebugServer *host, std::string *error);
    static bool Pattern(const std::vector<std::string> &words, CHostDebugServer *host, std::string *error);
    void PrintHost(CHostDebugServer *host);

    size_t m_commandsSeen = 0;
    HWND m_hiddenWindow = nullptr;
};

// After what `dialogs` tells of the dialogs that opened: each window of the symbol
// server's dialog templates that exists now without being answered, as the progress window
// of a load, with its controls as they stand ("shown ID CAPTION" or "hidden ID CAPTION",
// then its controls).
void PrintModelessDialogs(FILE *out);

// Handles the thread's posted messages until 200 ms pass with none.
void PumpQuietly();

// Handles the thread's posted messages until `done` answers true (checked between
// messages), for at most `limit` ms; true when it did.
bool PumpUntil(const std::function<bool()> &done, DWORD limit);

} // namespace QelHost
