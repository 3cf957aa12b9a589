#include "hostreports.h"

#include <afx.h>

namespace QelHost {

std::string AnsiText(LPCOLESTR text)
{
    return std::string(static_cast<LPCSTR>(CString(text)));
}

namespace {

const char *KindName(LONG kind)
{
    switch (kind) {
    case 0:
        return "error";
    case 1:
        return "warning";
    case 2:
        return "info";
    default:
        return "kind?";
    }
}

} // namespace

void HostReports::Echo(const char *what, const std::string &text)
{
    if (m_echo == nullptr)
        return;
    bool ended = !text.empty() && text.back() == '\n';
    std::fprintf(m_echo, "%s%s%s", what, text.c_str(), ended ? "" : "\n");
    std::fflush(m_echo);
}

void HostReports::AddTraceLine(LONG kind, LPCOLESTR source, LPCOLESTR text)
{
    HostTraceLine line{kind, AnsiText(source), AnsiText(text)};
    std::lock_guard<std::mutex> hold(m_lock);
    Echo(("trace " + std::string(KindName(kind)) + " " + line.source + ": ").c_str(), line.text);
    m_traceLines.push_back(std::move(line));
}

void HostReports::AddError(HostError error)
{
    std::lock_guard<std::mutex> hold(m_lock);
    Echo(("error " + error.source + ": ").c_str(), error.description);
    m_errors.push_back(std::move(error));
}

void HostReports::AddMessage(LPCOLESTR text)
{
    std::string message = AnsiText(text);
    std::lock_guard<std::mutex> hold(m_lock);
    Echo("message: ", message);
    m_messages.push_back(std::move(message));
}

LONG HostReports::AddMessageBox(HostMessageBox box)
{
    std::function<LONG(const HostMessageBox &)> answerer;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        std::string shown = box.text;
        if (box.hasCaption)
            shown += "\n" + box.caption;
        Echo(("message box \"" + box.title + "\": ").c_str(), shown);
        m_boxes.push_back(box);
        if (m_answerer == nullptr)
            return m_answer;
        answerer = m_answerer;
    }
    return answerer(box);
}

void HostReports::SetMessageBoxAnswerer(std::function<LONG(const HostMessageBox &box)> answerer)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_answerer = std::move(answerer);
}

std::vector<HostTraceLine> HostReports::TraceLines() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_traceLines;
}

std::vector<HostError> HostReports::Errors() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_errors;
}

std::vector<std::string> HostReports::Messages() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_messages;
}

std::vector<HostMessageBox> HostReports::MessageBoxes() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_boxes;
}

DWORD HostReports::Level() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_level;
}

void HostReports::SetLevel(DWORD level)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_level = level;
}

void HostReports::SetMessageBoxAnswer(LONG answer)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_answer = answer;
}

void HostReports::SetEcho(FILE *echo)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_echo = echo;
}

} // namespace QelHost
