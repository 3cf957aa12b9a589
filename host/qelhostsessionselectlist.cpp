#include "qelhostsessionselectlist.h"

#include "qelhostscript.h"
#include "qelhostselectlistline.h"
#include "qelhostsessionhost.h"

#include <qelsymbolselectlist.h>

#include <cstdio>

namespace QelHost {

namespace {

// As the host lays out its tool bar.
constexpr int kListWidth = 150;
constexpr int kListHeight = 20;

bool Fail(std::string *error, std::string reason)
{
    if (error)
        *error = std::move(reason);
    return false;
}

struct TipSearch {
    HWND owner;
    HWND tip;
};

BOOL CALLBACK FindTip(HWND window, LPARAM parameter)
{
    auto *search = reinterpret_cast<TipSearch *>(parameter);
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) != 0 || GetParent(window) != search->owner)
        return TRUE;
    search->tip = window;
    return FALSE;
}

std::string ItemText(HWND combo, int index)
{
    LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0)
        return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

} // namespace

bool SessionSelectList::Configure(const std::vector<std::string> &words, std::string *error)
{
    return m_named = ParseHostNameLine(words, &m_name, error);
}

void SessionSelectList::Prepare(CHostFrame &frame) const
{
    if (m_named)
        frame.SetDebuggerName(m_name);
}

bool SessionSelectList::Make()
{
    CLSID clsid{};
    CComPtr<IUnknown> list;
    if (FAILED(CLSIDFromProgID(u"QEL.QelSymbolSelectList", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void **>(&list))))
        return false;
    CHostControlSite *site = nullptr;
    if (FAILED(CHostControlSite::Embed(list, nullptr, nullptr, kListWidth, kListHeight, &site)))
        return false;
    m_site.Attach(site);
    m_list = list;
    return true;
}

void SessionSelectList::Init(IUnknown *debugServer)
{
    CComQIPtr<IQelSymbolSelectList> list(m_list);
    if (list != nullptr)
        list->Init(debugServer);
}

void SessionSelectList::End()
{
    if (m_site != nullptr)
        m_site->Remove();
    m_site.Release();
    m_list.Release();
}

bool SessionSelectList::Run(const std::vector<std::string> &words, std::string *error)
{
    HWND combo = m_site != nullptr ? m_site->FindChild("ComboBox") : nullptr;
    if (combo == nullptr)
        return Fail(error, "the tool bar has no select list");
    SelectListLine line;
    if (!ParseSelectListLine(words, &line, error))
        return false;
    PumpQuietly();
    if (!line.pick) {
        Print();
        return true;
    }
    if (!QelComboPick(combo, line.index, line.close))
        return Fail(error, "the select list has no entry " + words[2]);
    PumpQuietly();
    return true;
}

void SessionSelectList::Print() const
{
    HWND combo = m_site->FindChild("ComboBox");
    const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        std::printf("entry %s 0x%X\n", QuoteText(ItemText(combo, i), false).c_str(),
                    static_cast<unsigned>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
    std::printf("selected %d\n", static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)));
    TipSearch search{GetParent(combo), nullptr};
    EnumWindows(FindTip, reinterpret_cast<LPARAM>(&search));
    char text[256] = "";
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = combo;
    tool.uId = 1;
    tool.lpszText = text;
    if (search.tip != nullptr)
        SendMessageA(search.tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    std::printf("tip %s\n", QuoteText(text, false).c_str());
}

} // namespace QelHost
