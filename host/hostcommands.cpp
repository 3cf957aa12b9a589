#include "hostcommands.h"

namespace QelHost {

size_t HostCommands::Add(const GUID *group, DWORD id, const VARIANT *input)
{
    HostCommand command{group != nullptr ? *group : GUID_NULL, id, CComVariant(), S_OK, false};
    if (input != nullptr) {
        // The caller's input may hold references to its own variables, which do not
        // outlive the call.
        HRESULT hr = VariantCopyInd(&command.input, input);
        if (FAILED(hr)) {
            command.input.vt = VT_ERROR;
            command.input.scode = hr;
        }
    }
    std::lock_guard<std::mutex> hold(m_lock);
    m_commands.push_back(command);
    return m_commands.size() - 1;
}

void HostCommands::SetResult(size_t number, HRESULT result)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (number < m_commands.size()) {
        m_commands[number].result = result;
        m_commands[number].answered = true;
    }
}

std::vector<HostCommand> HostCommands::Commands() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_commands;
}

size_t HostCommands::Count() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_commands.size();
}

} // namespace QelHost
