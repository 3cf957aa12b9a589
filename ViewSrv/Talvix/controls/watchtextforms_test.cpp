// The scoped-symbol forms that the watch window takes as they stand.
#include "watchtextforms.h"

#include <gtest/gtest.h>

namespace {

TEST(WatchTextForms, TheThreeFormsAreScopedSymbolsAndTheHashFormNamesTheGlobal)
{
    const std::pair<const char *, const char *> scoped[] = {
        {"x (global)", "x (global)"},     {"g_int( global )", "g_int( global )"}, {"x[", "x["},
        {"table [3].field", "table [3].field"}, {"x #", "x (global)"},          {" _y2 # ", "_y2 (global)"},
        {"counter#", "counter (global)"}};
    for (const auto &[given, taken] : scoped) {
        CString text(given);
        EXPECT_TRUE(IsScopedSymbolText(text)) << given;
        EXPECT_STREQ(text, taken) << given;
    }
    // The parser's texts: another scope, an expression, a name alone, a bad name.
    for (const char *other : {"x (file)", "x (global", "x (globals)", "x + 1", "x", "1x #", "x # y", "#", "",
                              "(global)", "x ()"}) {
        CString text(other);
        EXPECT_FALSE(IsScopedSymbolText(text)) << other;
        EXPECT_STREQ(text, other) << "left as it was";
    }
}

} // namespace
