// The frame's views in the workspace. The storage "HostViews" holds a storage per open view,
// "View1", "View2", ... in the order of the view servers' cookies and, per view server, in
// the order the views opened; each holds the stream "ViewServer", the view server's name as
// a storage string, and the storage "Storage", a copy of the view's own. Elements enumerate
// shorter names first, so the views come back in the order they were kept.
//
// What the workspace holds comes from a file: a record that is not of this form is passed
// over, and names are read no longer than registry key names can be.
#include "hostframe.h"

#include "hoststoragecopy.h"

#include <storagewrapper.h>

#include <string>

namespace QelHost {

namespace {

constexpr DWORD kOpen = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kMake = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr char16_t kHostViews[] = u"HostViews";
constexpr char16_t kStorage[] = u"Storage";
constexpr char kViewServer[] = "ViewServer";
constexpr int kMaxViewServerName = 255;
constexpr DWORD kViewRestored = 1;

std::u16string RecordName(int number)
{
    std::u16string name = u"View";
    for (char digit : std::to_string(number))
        name += static_cast<char16_t>(digit);
    return name;
}

} // namespace

HRESULT CHostFrame::SaveViews(IStorage *workspace)
{
    if (!workspace)
        return E_POINTER;
    // A control writes its settings into its storage when the host asks, not before.
    for (auto &server : m_views) {
        for (OpenView &open : server.second) {
            if (open.site != nullptr)
                open.site->StoreSettings();
        }
    }
    CComPtr<IStorage> records;
    HRESULT hr = workspace->CreateStorage(kHostViews, kMake, 0, 0, &records);
    int number = 0;
    for (auto server = m_views.begin(); SUCCEEDED(hr) && server != m_views.end(); ++server) {
        const std::string &name = FindRegistration(server->first)->viewServer;
        for (const OpenView &open : server->second) {
            CComPtr<IStorage> record, copy;
            hr = records->CreateStorage(RecordName(++number).c_str(), kMake, 0, 0, &record);
            if (SUCCEEDED(hr) && CStorage(record).WriteString(kViewServer, name.c_str()) != 0)
                hr = STG_E_WRITEFAULT;
            if (SUCCEEDED(hr))
                hr = record->CreateStorage(kStorage, kMake, 0, 0, &copy);
            if (SUCCEEDED(hr))
                hr = CopyStorage(open.storage, copy);
            if (FAILED(hr))
                break;
        }
    }
    return hr;
}

size_t CHostFrame::ReopenViews(IStorage *workspace)
{
    CComPtr<IStorage> records;
    CComPtr<IEnumSTATSTG> elements;
    if (!workspace || !m_debugServer || FAILED(workspace->OpenStorage(kHostViews, nullptr, kOpen, nullptr, 0, &records)) ||
        FAILED(records->EnumElements(0, nullptr, 0, &elements)))
        return 0;
    size_t reopened = 0;
    STATSTG stat;
    while (elements->Next(1, &stat, nullptr) == S_OK) {
        CComPtr<IStorage> record;
        if (stat.type == STGTY_STORAGE && SUCCEEDED(records->OpenStorage(stat.pwcsName, nullptr, kOpen, nullptr, 0, &record)) &&
            ReopenView(record))
            ++reopened;
        CoTaskMemFree(stat.pwcsName);
    }
    return reopened;
}

bool CHostFrame::ReopenView(IStorage *record)
{
    CString name;
    if (CStorage(record).ReadString(kViewServer, "", name, kMaxViewServerName + 1) != 0)
        return false;
    const FrameRegistration *registration = nullptr;
    for (const auto &live : m_live) {
        const FrameRegistration &candidate = m_registrations[live.second];
        if (candidate.hasViewServer && candidate.viewServer == static_cast<LPCSTR>(name)) {
            registration = &candidate;
            break;
        }
    }
    CComPtr<IStorage> stored, storage;
    if (!registration || FAILED(record->OpenStorage(kStorage, nullptr, kOpen, nullptr, 0, &stored)) ||
        FAILED(StgCreateDocfile(nullptr, kMake, 0, &storage)) || FAILED(CopyStorage(stored, storage)))
        return false;
    const DWORD cookie = registration->cookie;
    OpenView open;
    if (FAILED(MakeView(cookie, storage, open)))
        return false;
    m_views[cookie].push_back(open);
    m_handingBack = {cookie, open.view};
    TellViewServer(cookie, open.view, kViewRestored);
    m_handingBack = {};
    return true;
}

} // namespace QelHost
