// The test program is a module of its own: it binds its string table here, as each
// server binds its own, so that texts loaded by id come from it.
#include "teststrings.h"

#include <afx.h>

#include <array>

namespace {

constexpr std::array<char, 301> kLong = [] {
    std::array<char, 301> text{};
    for (size_t i = 0; i < 300; ++i)
        text[i] = 'R';
    return text;
}();

const QEL_STRING_ENTRY kStrings[] = {
    {IDS_TEST_PLAIN, "Cannot open the program file."},
    {IDS_TEST_FORMAT, "Cannot open %s (error %d)."},
    {IDS_TEST_LONG, kLong.data()},
    {IDS_TEST_TITLE, "File load error"},
    {IDS_TEST_NOT_SUPPORTED, "The format of selected binary target file is currently not supported."},
    {IDS_TEST_ANY, "%s"},
    {IDS_TEST_CFG_SYSTEM, "System"},
    {IDS_TEST_CFG_AUTOLOADELF, "AUTOLOADELF/BOOL"},
    {IDS_TEST_CFG_IGNORE, "IgnoreProgramFromWsp/BOOL:FALSE"},
    {IDS_TEST_CFG_DIRECTORY, "  DATABASE_DIRECTORY/ bstr :  /tmp/Db "},
};
const QEL_MODULE_RESOURCES kResources = {kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0};

} // namespace

QEL_DEFINE_MODULE_RESOURCES(kResources)
