// What the host receives from the system's diagnostics: trace lines at its message sink,
// errors at its error receiver, messages and message boxes at its message-box object.
//
// One record may be shared by all the host's objects. It keeps everything in the order it
// arrived, for tests to look at, and prints each item as it arrives when an echo stream is
// set (qelhost prints to its standard output). It also holds the host's side of the
// conversation: the diagnostics level that the message sink asks for and the button that
// a message box answers with. All of it may be used from any thread.
#pragma once

#include <ole2.h>

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace QelHost {

struct HostTraceLine {
    LONG kind; // 0 error, 1 warning, 2 information
    std::string source;
    std::string text;
};

struct HostError {
    std::string description;
    std::string source;
    GUID guid;
    std::string helpFile;
    DWORD helpContext;
};

struct HostMessageBox {
    LONG owner;
    std::string title;   // as the system set it before the box, "" when it set none
    std::string text;
    bool hasCaption;
    std::string caption;
    LONG style;
};

// UTF-16 text in ANSI (code page 1252), as the system wrote it; "" for NULL.
std::string AnsiText(LPCOLESTR text);

class HostReports {
public:
    // Texts arrive as UTF-16 and are kept in ANSI (code page 1252), as the system wrote them.
    void AddTraceLine(LONG kind, LPCOLESTR source, LPCOLESTR text);
    void AddError(HostError error);
    void AddMessage(LPCOLESTR text);
    // Records the box and gives the answer that is set.
    LONG AddMessageBox(HostMessageBox box);

    std::vector<HostTraceLine> TraceLines() const;
    std::vector<HostError> Errors() const;
    std::vector<std::string> Messages() const;
    std::vector<HostMessageBox> MessageBoxes() const;

    // The level that the message sink gives the diagnostics; 10 unless set.
    DWORD Level() const;
    void SetLevel(DWORD level);
    // The button that every message box answers with; 1 (OK) unless set.
    void SetMessageBoxAnswer(LONG answer);
    // Who answers the boxes instead, called without the records' lock (NULL: the set
    // button answers again).
    void SetMessageBoxAnswerer(std::function<LONG(const HostMessageBox &box)> answerer);
    // Each item is also printed to `echo` (NULL: not printed) as it arrives.
    void SetEcho(FILE *echo);

private:
    // Prints one item, with a line end when its text has none.
    void Echo(const char *what, const std::string &text);

    mutable std::mutex m_lock;
    std::vector<HostTraceLine> m_traceLines;
    std::vector<HostError> m_errors;
    std::vector<std::string> m_messages;
    std::vector<HostMessageBox> m_boxes;
    DWORD m_level = 10;
    LONG m_answer = 1;
    std::function<LONG(const HostMessageBox &)> m_answerer;
    FILE *m_echo = nullptr;
};

} // namespace QelHost
