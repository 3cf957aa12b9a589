// qelhost session's tool-bar select list, Talvix's QelSymbolSelectList, which the host
// shows from start, activated in place in a tool-bar window of its own and initialised
// with the debug-server object; the program window's views list their functions in it.
//   host-name TEXT       before start: the debugger's name that the GUI server gives
//                        ("ARM7 Debugger" unless set)
//   select-list          the list as the user sees it: "entry TEXT 0xADDRESS" per entry
//                        in the list's order, "selected N" (-1 for none) and "tip TEXT",
//                        the tool tip's text
//   select-list pick N [close]   the user moves to entry N in the open list, and with
//                        `close` closes it
// Texts are written as the script writes them (in quotes when they hold a blank).
#pragma once

#include "hostcontrolsite.h"
#include "hostframe.h"

#include <string>
#include <vector>

namespace QelHost {

class SessionSelectList {
public:
    SessionSelectList() = default;
    ~SessionSelectList() { End(); }
    SessionSelectList(const SessionSelectList &) = delete;
    SessionSelectList &operator=(const SessionSelectList &) = delete;

    static bool Handles(const std::string &command) { return command == "select-list"; }
    static bool BeforeStart(const std::string &command) { return command == "host-name"; }
    // host-name TEXT.
    bool Configure(const std::vector<std::string> &words, std::string *error);
    // What the frame is to know before the servers reach it.
    void Prepare(CHostFrame &frame) const;
    // Makes the list in its tool-bar window; false when the control cannot be made
    // (libTalvix.so not built), and the session goes on without it.
    bool Make();
    // The list (NULL without one), for the program window's views.
    IUnknown *List() const { return m_list; }
    // IQelSymbolSelectList::Init with the debug-server object.
    void Init(IUnknown *debugServer);
    bool Run(const std::vector<std::string> &words, std::string *error);
    // The list leaves the tool bar.
    void End();

private:
    void Print() const;

    std::string m_name;
    bool m_named = false;
    CComPtr<IUnknown> m_list;
    CComPtr<CHostControlSite> m_site;
};

} // namespace QelHost
