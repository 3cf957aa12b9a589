#include "hostbreakpoints.h"

#include "hostreports.h"

#include <atlbase.h>

#include <algorithm>

namespace QelHost {

namespace {

constexpr DWORD kListKind = 2;

} // namespace

bool HostBreakpointList::Apply(DWORD id, VARIANT *in)
{
    if (id != kCmdRemove && id != kCmdSet && id != kCmdEnable)
        return false;
    HostBreakpoint breakpoint{};
    try {
        CVariantArray values(in, FALSE);
        if (values.GetSize() < 6 || V_VT(&values[0].GetValue()) != VT_UI4 || values.GetUI4(0) != kListKind)
            return false;
        breakpoint.enabled = values.GetBool(1) != 0;
        breakpoint.name = AnsiText(values.GetBSTR(2));
        breakpoint.address = values.GetUI4(4);
    } catch (const _com_error &) {
        return false;
    } catch (CException *e) {
        e->Delete();
        return false;
    }
    std::lock_guard<std::mutex> hold(m_lock);
    auto known = std::find_if(m_entries.begin(), m_entries.end(),
                              [&](const HostBreakpoint &entry) { return entry.address == breakpoint.address; });
    switch (id) {
    case kCmdSet:
        if (known != m_entries.end())
            *known = breakpoint;
        else
            m_entries.push_back(breakpoint);
        return true;
    case kCmdEnable:
        if (known == m_entries.end() || known->enabled == breakpoint.enabled)
            return false;
        known->enabled = breakpoint.enabled;
        return true;
    default:
        if (known == m_entries.end())
            return false;
        m_entries.erase(known);
        return true;
    }
}

std::vector<HostBreakpoint> HostBreakpointList::Entries() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_entries;
}

void HostBreakpointList::ChangedInputs(CVariantArray &values) const
{
    const std::vector<HostBreakpoint> entries = Entries();
    values.SetSize(static_cast<int>(1 + 3 * entries.size()));
    values[0].SetValue(CComVariant(static_cast<DWORD>(entries.size())));
    for (size_t i = 0; i < entries.size(); ++i) {
        values[static_cast<int>(1 + 3 * i)].SetValue(CComVariant(static_cast<DWORD>(entries[i].address)));
        values[static_cast<int>(2 + 3 * i)].SetValue(CComVariant(static_cast<DWORD>(entries[i].enabled ? 1 : 0)));
        values[static_cast<int>(3 + 3 * i)].SetString(entries[i].name.c_str());
    }
}

} // namespace QelHost
