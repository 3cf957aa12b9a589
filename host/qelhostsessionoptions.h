// qelhost session's commands about the host's options:
//   profile-file FILE   (before start) the host's profile is read from FILE when it exists,
//                       and every store of the profile (slot 12) writes all its items to
//                       FILE; a line of FILE is a section, an entry and a value, as the
//                       profile command takes them
//   options             the symbol server's property page, in the host's property frame
//                       on the main window for the debug-server object, answered as
//                       dialog 107 (the answer's last action ok applies a page with
//                       changes): "page TITLE", then "apply 0xHRESULT" or "apply none"
#pragma once

#include "dialogscript.h"
#include "hostcfgprofile.h"
#include "qelhostscript.h"

#include <string>
#include <vector>

namespace QelHost {

struct SessionProfileItem {
    std::u16string section;
    std::u16string entry;
    CComVariant value;
};

// The item of a profile line's words (section, entry with or without its type, value);
// false with the reason in *error.
bool ParseProfileItem(const std::vector<ScriptWord> &words, SessionProfileItem *item, std::string *error);

// The items of the profile file at `path`, none when there is no file; false with the
// reason (and the line) in *error.
bool ReadProfileFile(const std::string &path, std::vector<SessionProfileItem> *items, std::string *error);

// Makes every store of `profile` write its items to `path`, whole or not at all.
void KeepProfileInFile(CHostCfgProfile *profile, const std::string &path);

bool ShowOptions(IUnknown *debugServer, HWND mainWindow, DialogScript &script, std::string *error);

} // namespace QelHost
