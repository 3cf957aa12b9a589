// The add-on components that the host loads at start: every key under HKLM
// "SOFTWARE\Tosk\Qelvane\Version3\AddOns" with a ProgID value names one. The host makes
// each, gives it its diagnostics (the message sink and its level), its error receiver,
// Init (the debug-server object as target and host, and the project) and ConnectGui,
// and listens to its events until End runs Cleanup.
#pragma once

#include <atlbase.h>
#include <qelcomponent.h>

#include <array>
#include <atomic>
#include <string>
#include <vector>

namespace QelHost {

// Counts the events of one component, slot 3 first.
class CHostAddOnEvents : public CComObjectRootEx<CComMultiThreadModel>, public _IQelComponentEvents {
public:
    BEGIN_COM_MAP(CHostAddOnEvents)
        COM_INTERFACE_ENTRY(_IQelComponentEvents)
    END_COM_MAP()

    std::array<unsigned, 5> Counts() const { return {m_counts[0], m_counts[1], m_counts[2], m_counts[3], m_counts[4]}; }

    STDMETHODIMP OnComponentInitialised() override { return Count(0); }
    STDMETHODIMP OnComponentCleanup() override { return Count(1); }
    STDMETHODIMP OnCmdSequenceBegin() override { return Count(2); }
    STDMETHODIMP OnCmdSequenceEnd() override { return Count(3); }
    STDMETHODIMP OnComponentTest() override { return Count(4); }

private:
    HRESULT Count(size_t slot)
    {
        ++m_counts[slot];
        return S_OK;
    }
    std::atomic<unsigned> m_counts[5] = {};
};

struct HostAddOn {
    std::string key;    // the add-on's key under "AddOns"
    std::string progId;
    CComPtr<IQelComponent> component;
    CComPtr<CHostAddOnEvents> events;
    DWORD cookie = 0;
    HRESULT initResult = S_OK;
};

class HostAddOns {
public:
    HostAddOns() = default;
    ~HostAddOns() { End(); }
    HostAddOns(const HostAddOns &) = delete;
    HostAddOns &operator=(const HostAddOns &) = delete;

    // Makes and starts every add-on registered. What could not be made or started is
    // told in *problems, one line each; the others are kept all the same.
    void Start(IUnknown *debugServer, const VARIANT &project, DWORD level, std::vector<std::string> *problems);
    // Cleanup for each, their events ended, all let go; the debug-server object passes
    // the add-on's commands to none any more.
    void End();

    const std::vector<HostAddOn> &AddOns() const { return m_addOns; }

private:
    void StartOne(HostAddOn &addOn, IUnknown *debugServer, const VARIANT &project, DWORD level,
                  std::vector<std::string> *problems);

    std::vector<HostAddOn> m_addOns;
    CComPtr<IUnknown> m_debugServer;
};

} // namespace QelHost
