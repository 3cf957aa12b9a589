#include "hostcommands.h"

namespace QelHost {

void HostCommands::Add(const GUID *group, DWORD id, const VARIANT *input)
{
    HostCommand command{group != nullptr ? *group : GUID_NULL, id, CComVariant()};
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
}

std::vector<HostCommand> HostCommands::Commands() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_commands;
}

} // namespace QelHost
