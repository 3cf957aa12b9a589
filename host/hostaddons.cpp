#include "hostaddons.h"

#include "debugserver.h"

#include <cstdio>

namespace QelHost {

namespace {

const char kAddOnsKey[] = "SOFTWARE\\Tosk\\Qelvane\\Version3\\AddOns";

std::string Hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

// The ProgID value of each key under "AddOns", in the registry's order.
std::vector<std::pair<std::string, std::string>> RegisteredAddOns()
{
    std::vector<std::pair<std::string, std::string>> found;
    HKEY addOns = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAddOnsKey, 0, KEY_READ, &addOns) != ERROR_SUCCESS)
        return found;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(addOns, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY key = nullptr;
        if (RegOpenKeyExA(addOns, name, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        char progId[256] = {};
        DWORD size = sizeof progId - 1, type = 0;
        if (RegQueryValueExA(key, "ProgID", nullptr, &type, reinterpret_cast<BYTE *>(progId), &size) == ERROR_SUCCESS &&
            type == REG_SZ)
            found.emplace_back(name, progId);
        RegCloseKey(key);
    }
    RegCloseKey(addOns);
    return found;
}

CHostDebugServer *Host(IUnknown *debugServer)
{
    return static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(debugServer));
}

} // namespace

void HostAddOns::Start(IUnknown *debugServer, const VARIANT &project, DWORD level, std::vector<std::string> *problems)
{
    for (const auto &[key, progId] : RegisteredAddOns()) {
        m_addOns.push_back({key, progId, nullptr, nullptr, 0, S_OK});
        StartOne(m_addOns.back(), debugServer, project, level, problems);
        if (m_addOns.back().component == nullptr)
            m_addOns.pop_back();
    }
    // The frame add-on's commands are offered to every add-on, to the one whose group it is.
    m_debugServer = debugServer;
    std::vector<IUnknown *> components;
    for (const HostAddOn &addOn : m_addOns)
        components.push_back(addOn.component);
    Host(m_debugServer)->SetAddOns(components);
}

void HostAddOns::StartOne(HostAddOn &addOn, IUnknown *debugServer, const VARIANT &project, DWORD level,
                          std::vector<std::string> *problems)
{
    CLSID clsid;
    CComBSTR wide(addOn.progId.c_str());
    HRESULT hr = CLSIDFromProgID(wide, &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQelComponent,
                              reinterpret_cast<void **>(&addOn.component));
    if (FAILED(hr)) {
        problems->push_back("add-on " + addOn.key + " cannot be made (" + Hex(hr) + ")");
        return;
    }
    CComObject<CHostAddOnEvents> *events = nullptr;
    if (SUCCEEDED(CComObject<CHostAddOnEvents>::CreateInstance(&events))) {
        addOn.events = events;
        AtlAdvise(addOn.component, events->GetUnknown(), IID__IQelComponentEvents, &addOn.cookie);
    }
    CComPtr<IUnknown> errors;
    Host(debugServer)->GetErrorObject(&errors);
    addOn.component->SetDiagnostics(level, debugServer);
    addOn.component->SetErrorSink(errors);
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_UNKNOWN;
    target.punkVal = debugServer;
    addOn.initResult = addOn.component->Init(target, project, debugServer);
    if (FAILED(addOn.initResult)) {
        problems->push_back("add-on " + addOn.key + " did not start (" + Hex(addOn.initResult) + ")");
        return;
    }
    hr = addOn.component->ConnectGui();
    if (FAILED(hr))
        problems->push_back("add-on " + addOn.key + " has no menus (" + Hex(hr) + ")");
}

void HostAddOns::End()
{
    if (m_debugServer != nullptr)
        Host(m_debugServer)->SetAddOns({});
    m_debugServer.Release();
    for (HostAddOn &addOn : m_addOns) {
        addOn.component->Cleanup();
        if (addOn.cookie != 0)
            AtlUnadvise(addOn.component, IID__IQelComponentEvents, addOn.cookie);
    }
    m_addOns.clear();
}

} // namespace QelHost
