// The view servers that the registry names for a server, and their script items.
#include "viewsrvregistry.h"
#include "viewsrvscriptregentry.h"
#include "viewsrvtesting.h"

namespace {

using namespace ViewSrvTesting;

class ViewServerNames : public EmptyRegistry {};

TEST_F(ViewServerNames, AreThoseListedForTheServerWithSoundEntries)
{
    RegisterViewServer("StdQelWatchWin", "{00000000-0000-0000-0000-000000000001}", 3);
    RegisterViewServer("StdQelSFRView", "{00000000-0000-0000-0000-000000000002}", 7);
    SetDword(ViewServerPath("StdQelSFRView"), "MultipleUse", 1);
    // Listed, but its own key names another CLSID.
    WriteViewServer("Moved", "{00000000-0000-0000-0000-000000000009}");
    ListViewServer("Moved", "{00000000-0000-0000-0000-000000000003}");
    // Listed, without MultiInst.
    SetText(ViewServerPath("NoMultiInst"), nullptr, "{00000000-0000-0000-0000-000000000004}");
    SetDword(ViewServerPath("NoMultiInst"), "ViewCat", 1);
    ListViewServer("NoMultiInst", "{00000000-0000-0000-0000-000000000004}");
    // Listed under a name that is no CLSID.
    ListViewServer("StdQelWatchWin", "not-a-clsid");
    // Registered for another server.
    WriteViewServer("Foreign", "{00000000-0000-0000-0000-000000000005}", 99);
    ListViewServer("Foreign", "{00000000-0000-0000-0000-000000000005}", "{00000000-0000-0000-0000-0000000000FF}");

    CFindStringArray names;
    names.Add("stale", 0);
    DWORD highest = 42;
    ASSERT_TRUE(LoadViewServerNames(&CLSID_TestServer, names, highest));
    ASSERT_EQ(names.GetSize(), 2);
    int watch = names.Find("StdQelWatchWin");
    int sfr = names.Find("StdQelSFRView");
    ASSERT_GE(watch, 0);
    ASSERT_GE(sfr, 0);
    EXPECT_EQ(names.GetFlag(watch), 0u);
    EXPECT_EQ(names.GetFlag(sfr), 1u);
    EXPECT_EQ(highest, 7u);
}

TEST_F(ViewServerNames, TakeMultipleUseWrittenAsTextAsZero)
{
    RegisterViewServer("StdQelLocalsWin", "{00000000-0000-0000-0000-000000000001}");
    SetText(ViewServerPath("StdQelLocalsWin"), "MultipleUse", "1");
    CFindStringArray names;
    DWORD highest = 0;
    ASSERT_TRUE(LoadViewServerNames(&CLSID_TestServer, names, highest));
    ASSERT_EQ(names.GetSize(), 1);
    EXPECT_EQ(names.GetFlag(0), 0u);
}

TEST_F(ViewServerNames, CountNoViewCategoryOfMinusOne)
{
    RegisterViewServer("A", "{00000000-0000-0000-0000-000000000001}", 0xFFFFFFFF);
    RegisterViewServer("B", "{00000000-0000-0000-0000-000000000002}", 2);
    CFindStringArray names;
    DWORD highest = 0;
    ASSERT_TRUE(LoadViewServerNames(&CLSID_TestServer, names, highest));
    EXPECT_EQ(names.GetSize(), 2);
    EXPECT_EQ(highest, 2u);
}

TEST_F(ViewServerNames, AreNoneForAServerWithoutKey)
{
    CFindStringArray names;
    names.Add("kept", 0);
    DWORD highest = 5;
    EXPECT_FALSE(LoadViewServerNames(&CLSID_TestServer, names, highest));
    EXPECT_EQ(names.GetSize(), 1);
    EXPECT_EQ(highest, 0u);
}

TEST(FindStringArray, RemovesOnlyTheUnflaggedEntriesOfAName)
{
    CFindStringArray names;
    names.Add("Watch", 0);
    names.Add("SFR", 0);
    names.Add("Watch", 1);
    names.Add("Watch", 0);
    EXPECT_EQ(names.Find("watch"), -1); // exact compare
    EXPECT_TRUE(names.RemoveUnflagged("Watch"));
    ASSERT_EQ(names.GetSize(), 2);
    EXPECT_EQ(names.Find("Watch"), 1);
    EXPECT_EQ(names.GetFlag(1), 1u);
    EXPECT_FALSE(names.RemoveUnflagged("Watch"));
}

class BaseViewServer : public EmptyRegistry {};

TEST_F(BaseViewServer, IsTheNamedServerOrTheNameItself)
{
    SetText(ViewServerPath("Script"), "BaseViewServer", "StdHTMLView");
    SetText(ViewServerPath("Empty"), "BaseViewServer", "");
    SetText(ViewServerPath("TooLong"), "BaseViewServer", std::string(32, 'x').c_str());
    EXPECT_EQ(ResolveBaseViewServer("Script"), "StdHTMLView");
    EXPECT_EQ(ResolveBaseViewServer("Empty"), "Empty");
    EXPECT_EQ(ResolveBaseViewServer("TooLong"), "TooLong");
    EXPECT_EQ(ResolveBaseViewServer("Unknown"), "Unknown");
}

class ScriptItems : public EmptyRegistry {};

TEST(ScriptMoniker, NamesTheGroupTheCommandAndTheText)
{
    const GUID group = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
    CString moniker;
    ASSERT_TRUE(FormatScriptMoniker(5, &group, "12,34", moniker));
    EXPECT_EQ(moniker, "qel:{00000000-0000-0000-0000-000000000001}\\5\\12,34");
    EXPECT_FALSE(FormatScriptMoniker(5, nullptr, "12,34", moniker));
}

TEST_F(ScriptItems, StandInTheDefaultScriptKeyOfTheirViewServer)
{
    const GUID group = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
    {
        CViewSrvScriptRegEntry entry("StdHTMLView");
        ASSERT_TRUE(entry.IsValid());
        EXPECT_TRUE(entry.WriteScriptItem(5, &group, "12,34", "Open"));
        EXPECT_TRUE(entry.WriteValue(nullptr, "/pages/start.html"));
    }
    CViewSrvScriptRegEntry entry("StdHTMLView");
    CString text;
    ASSERT_TRUE(entry.ReadValue(text, "Open"));
    EXPECT_EQ(text, "qel:{00000000-0000-0000-0000-000000000001}\\5\\12,34");
    ASSERT_TRUE(entry.ReadValue(text, nullptr));
    EXPECT_EQ(text, "/pages/start.html");
    EXPECT_FALSE(entry.ReadValue(text, "Missing"));

    CViewSrvScriptRegEntry none(nullptr);
    EXPECT_FALSE(none.IsValid());
    EXPECT_FALSE(none.WriteValue("Open", "x"));
    EXPECT_FALSE(none.ReadValue(text, nullptr));
}

} // namespace
