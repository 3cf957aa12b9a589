#include "symbolprocessing.h"

#include <hosthelp.h>
#include <testing/emptyregistry.h>

#include <gtest/gtest.h>

namespace {

CString Formatted(LPCSTR descriptor, int *answer = nullptr)
{
    CString text = "stale";
    int parsed = CSymbolProcessing::FormatLocationText(descriptor, text);
    if (answer != nullptr)
        *answer = parsed;
    return text;
}

TEST(LocationText, EachDescriptorFormReadsBack)
{
    EXPECT_EQ(Formatted("'main {main.c} .12+';m;2;3;0x4;"), "'main {main.c} .12+'");
    EXPECT_EQ(Formatted("'main {main.c} .12';m;1;3;;"), "'main {main.c} .12'");
    EXPECT_EQ(Formatted("0x8000"), "0x8000");
    EXPECT_EQ(Formatted("'start';m;"), "'start'");
    EXPECT_EQ(Formatted("'start+0x10';m;"), "'start+0x10'");
    EXPECT_EQ(Formatted("main.c 42"), "main.c .42");
    int answer = 1;
    EXPECT_EQ(Formatted("x", &answer), "");
    EXPECT_EQ(answer, 0);
}

class HostPaths : public EmptyRegistry {
protected:
    void SetValue(LPCSTR name, LPCSTR value)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tosk\\Qelvane\\Version3", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value),
                                 static_cast<DWORD>(strlen(value) + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

TEST_F(HostPaths, HelpPathFallsBackToTheInstallationsHelpFolder)
{
    CString path;
    EXPECT_FALSE(CSymbolProcessing::GetInstallPath(path));
    EXPECT_FALSE(CSymbolProcessing::GetHelpPath(path));
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tosk\\Qelvane\\Version3", 0, KEY_READ, &key), ERROR_SUCCESS)
        << "asking creates no key";
    SetValue("Path", "/opt/qelvane");
    ASSERT_TRUE(CSymbolProcessing::GetHelpPath(path));
    EXPECT_EQ(path, "/opt/qelvane/Help");
    SetValue("HelpPath", "/usr/share/qelvane");
    ASSERT_TRUE(CSymbolProcessing::GetHelpPath(path));
    EXPECT_EQ(path, "/usr/share/qelvane");
}

TEST_F(HostPaths, HelpShowsTheContextOrElseTheContents)
{
    QelHost::HostHelp help;
    help.AddContext(42);
    CString file;
    // The tests' module has no extension, so its own path is its help file's.
    ASSERT_TRUE(CSymbolProcessing::FindHelpFile(file));
    EXPECT_TRUE(CSymbolProcessing::ShowHelp(42));
    EXPECT_TRUE(CSymbolProcessing::ShowHelp(7));
    EXPECT_TRUE(CSymbolProcessing::ShowHelp(-1));
    auto calls = help.Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(calls[0].data, 42u);
    EXPECT_EQ(calls[0].helpFile, std::string(file));
    EXPECT_EQ(calls[1].command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(calls[2].command, static_cast<UINT>(HELP_CONTENTS)) << "an unknown context opens the contents";
    EXPECT_EQ(calls[3].command, static_cast<UINT>(HELP_CONTENTS));
}

// Help without an owner belongs to the window the user works in: the calling thread's
// active window, which need not be the process's foreground window.
TEST_F(HostPaths, HelpWithoutAnOwnerBelongsToTheActiveWindow)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "QelHelpOwnerTest";
    RegisterClassA(&windowClass);
    HWND foreground = CreateWindowExA(0, "QelHelpOwnerTest", "fore", 0, 0, 0, 1, 1, nullptr, nullptr,
                                      nullptr, nullptr);
    HWND active = CreateWindowExA(0, "QelHelpOwnerTest", "active", 0, 0, 0, 1, 1, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_TRUE(SetForegroundWindow(foreground));
    SetActiveWindow(active);
    ASSERT_EQ(GetActiveWindow(), active);
    ASSERT_EQ(GetForegroundWindow(), foreground);
    QelHost::HostHelp help;
    EXPECT_TRUE(CSymbolProcessing::ShowHelp(-1));
    auto calls = help.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].owner, active);
    DestroyWindow(active);
    DestroyWindow(foreground);
}

} // namespace
