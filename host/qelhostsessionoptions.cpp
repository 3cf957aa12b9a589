#include "qelhostsessionoptions.h"

#include "hostpropertyframe.h"
#include "hostreports.h"

#include <qelsymbol.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace QelHost {

namespace {

std::u16string Wide(const std::string &text)
{
    CComBSTR wide(text.c_str());
    return wide.m_str ? std::u16string(wide.m_str, wide.Length()) : std::u16string();
}

// One line of the profile file, or false when the value cannot be written as the profile
// command reads it back.
bool ProfileLine(const CHostCfgProfile::ItemValue &item, std::string *line)
{
    VARTYPE type = item.value.vt;
    if (type != VT_EMPTY && type != VT_BOOL && type != VT_BSTR && type != VT_I4 && type != VT_UI4)
        return false;
    std::string value = FormatValue(item.value);
    *line = QuoteText(AnsiText(item.section.c_str()), false) + " " + QuoteText(AnsiText(item.entry.c_str()), false) +
            " " + value;
    return line->find_first_of("\r\n") == std::string::npos;
}

HRESULT WriteProfileFile(CHostCfgProfile *profile, const std::string &path)
{
    std::string text;
    for (const CHostCfgProfile::ItemValue &item : profile->Values()) {
        std::string line;
        if (!ProfileLine(item, &line)) {
            std::fprintf(stderr, "qelhost: the profile item %s %s cannot be kept in %s\n",
                         AnsiText(item.section.c_str()).c_str(), AnsiText(item.entry.c_str()).c_str(),
                         path.c_str());
            return E_FAIL;
        }
        text += line + "\n";
    }
    // Written beside the file and put in its place, so a failed write leaves the old one.
    const std::string temporary = path + ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << text;
        file.close();
        if (!file) {
            std::fprintf(stderr, "qelhost: the profile cannot be written to %s\n", temporary.c_str());
            std::remove(temporary.c_str());
            return E_FAIL;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "qelhost: the profile cannot be kept in %s: %s\n", path.c_str(), std::strerror(errno));
        std::remove(temporary.c_str());
        return E_FAIL;
    }
    return S_OK;
}

} // namespace

bool ParseProfileItem(const std::vector<ScriptWord> &words, SessionProfileItem *item, std::string *error)
{
    if (words.size() != 3) {
        *error = "a profile item is a section, an entry and a value";
        return false;
    }
    item->section = Wide(words[0].text);
    // Keys are written with their type and default, which the entry's name is not.
    item->entry = Wide(words[1].text.substr(0, words[1].text.find('/')));
    return ParseValue(words[2], item->value, error);
}

bool ReadProfileFile(const std::string &path, std::vector<SessionProfileItem> *items, std::string *error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return true;
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (IsSkippedLine(line))
            continue;
        std::vector<ScriptWord> words;
        SessionProfileItem item;
        std::string reason;
        if (!SplitWords(line, words, &reason) || !ParseProfileItem(words, &item, &reason)) {
            *error = path + " line " + std::to_string(number) + ": " + reason;
            return false;
        }
        items->push_back(std::move(item));
    }
    return true;
}

void KeepProfileInFile(CHostCfgProfile *profile, const std::string &path)
{
    // The profile holds the keeper: a pointer back to it, not a reference.
    profile->SetKeeper([profile, path] { return WriteProfileFile(profile, path); });
}

bool ShowOptions(IUnknown *debugServer, HWND mainWindow, DialogScript &script, std::string *error)
{
    PropertyPageOutcome outcome;
    HRESULT hr = ShowPropertyPage(
        CLSID_SymSrvPropertyPage, debugServer, mainWindow,
        [&script](HWND page) { return QelAnswerDialog(page) && script.LastAction(page) == "ok"; }, &outcome);
    if (FAILED(hr)) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
        *error = std::string("the property page cannot be shown (") + text + ")";
        return false;
    }
    std::printf("page %s\n", QuoteText(outcome.title, false).c_str());
    if (outcome.applied)
        std::printf("apply 0x%08X\n", static_cast<unsigned>(outcome.applyResult));
    else
        std::printf("apply none\n");
    return true;
}

} // namespace QelHost
