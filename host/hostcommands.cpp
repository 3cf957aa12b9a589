#include "hostcommands.h"

namespace QelHost {

size_t HostCommands::Add(const GUID *group, DWORD id, const VARIANT *input)
{
    // Copied outside the lock: an input may hold a whole array.
    CComVariant copy;
    if (input != nullptr) {
        // The caller's input may hold references to its own variables, which do not
        // outlive the call.
        HRESULT hr = VariantCopyInd(&copy, input);
        if (FAILED(hr)) {
            copy.vt = VT_ERROR;
            copy.scode = hr;
        }
    }
    std::lock_guard<std::mutex> hold(m_lock);
    HostCommand &kept = m_commands.emplace_back();
    kept.group = group != nullptr ? *group : GUID_NULL;
    kept.id = id;
    // The copy is handed over as it stands, not copied again: a VARIANT's bits are its
    // value.
    static_cast<VARIANT &>(kept.input) = copy;
    copy.vt = VT_EMPTY;
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
    return std::vector<HostCommand>(m_commands.begin(), m_commands.end());
}

size_t HostCommands::Count() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_commands.size();
}

size_t HostCommands::CountOf(const GUID &group, DWORD id, size_t first, size_t last) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    size_t count = 0;
    for (size_t i = first; i < last && i < m_commands.size(); ++i)
        count += IsEqualGUID(m_commands[i].group, group) && m_commands[i].id == id ? 1 : 0;
    return count;
}

} // namespace QelHost
