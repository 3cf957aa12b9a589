#include "hosthelp.h"

#include <atomic>

namespace QelHost {

namespace {

std::atomic<HostHelp *> g_current{nullptr};

} // namespace

HostHelp::HostHelp()
{
    g_current.store(this);
    QelSetHelpViewer(&HostHelp::Show);
}

HostHelp::~HostHelp()
{
    HostHelp *self = this;
    if (g_current.compare_exchange_strong(self, nullptr))
        QelSetHelpViewer(nullptr);
}

void HostHelp::AddContext(ULONG_PTR contextId)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_contexts.insert(contextId);
}

std::vector<HelpCall> HostHelp::Calls() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_calls;
}

BOOL HostHelp::Show(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR data)
{
    HostHelp *help = g_current.load();
    if (help == nullptr)
        return FALSE;
    std::lock_guard<std::mutex> lock(help->m_lock);
    help->m_calls.push_back({owner, helpFile, command, data});
    if (command == HELP_CONTEXT)
        return help->m_contexts.count(data) != 0;
    return command == HELP_CONTENTS ? TRUE : FALSE;
}

} // namespace QelHost
