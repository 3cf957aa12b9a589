#include "shellbrowse.h"

#include "lasterror.h"
#include "winerror.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Plays the user: answers with `answer` (null: cancels) and keeps what the dialog showed.
struct ScriptedUser {
    const char *answer = nullptr;
    std::string title;
    HWND owner = nullptr;
    int browses = 0;
};

LPCSTR Answer(void *context, const BROWSEINFOA *info)
{
    auto *user = static_cast<ScriptedUser *>(context);
    user->title = info->lpszTitle != nullptr ? info->lpszTitle : "";
    user->owner = info->hwndOwner;
    ++user->browses;
    return user->answer;
}

class FolderBrowseTest : public ::testing::Test {
protected:
    void SetUp() override { QelSetFolderBrowseHandler(Answer, &user_); }
    void TearDown() override { QelSetFolderBrowseHandler(nullptr, nullptr); }

    BROWSEINFOA Info(char *displayName)
    {
        BROWSEINFOA info{};
        info.hwndOwner = reinterpret_cast<HWND>(7);
        info.pszDisplayName = displayName;
        info.lpszTitle = "Choose the database directory";
        return info;
    }

    ScriptedUser user_;
};

TEST_F(FolderBrowseTest, TheHostsAnswerIsTheChosenFolder)
{
    user_.answer = "/home/user/databases/";
    char name[MAX_PATH] = "old";
    BROWSEINFOA info = Info(name);
    PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(user_.title, "Choose the database directory");
    EXPECT_EQ(user_.owner, reinterpret_cast<HWND>(7));
    EXPECT_STREQ(name, "databases");

    char path[MAX_PATH];
    EXPECT_TRUE(SHGetPathFromIDListA(item, path));
    EXPECT_STREQ(path, "/home/user/databases/");
    ILFree(item);
}

TEST_F(FolderBrowseTest, CancellingGivesNoItem)
{
    char name[MAX_PATH];
    BROWSEINFOA info = Info(name);
    EXPECT_EQ(SHBrowseForFolderA(&info), nullptr);
    EXPECT_EQ(user_.browses, 1);

    // Without a host to answer, every browse is cancelled.
    QelSetFolderBrowseHandler(nullptr, nullptr);
    EXPECT_EQ(SHBrowseForFolderA(&info), nullptr);
}

TEST_F(FolderBrowseTest, AnItemWithoutPathOrWithAPathTooLongGivesNoPath)
{
    std::string longPath = "/" + std::string(MAX_PATH, 'x');
    for (const char *answer : {"", longPath.c_str()}) {
        user_.answer = answer;
        char name[MAX_PATH];
        BROWSEINFOA info = Info(name);
        PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info);
        ASSERT_NE(item, nullptr);
        EXPECT_LT(strlen(name), static_cast<size_t>(MAX_PATH));
        char path[MAX_PATH] = "old";
        EXPECT_FALSE(SHGetPathFromIDListA(item, path));
        EXPECT_STREQ(path, "");
        ILFree(item);
    }
}

TEST_F(FolderBrowseTest, WhatCannotBeShownIsRefused)
{
    user_.answer = "/tmp";
    EXPECT_EQ(SHBrowseForFolderA(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    char name[MAX_PATH];
    BROWSEINFOA info = Info(name);
    info.lpfn = [](HWND, UINT, LPARAM, LPARAM) { return 0; };
    EXPECT_EQ(SHBrowseForFolderA(&info), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(user_.browses, 0);
}

TEST_F(FolderBrowseTest, AFreedItemHasNoPath)
{
    user_.answer = "/tmp";
    BROWSEINFOA info = Info(nullptr);
    PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info);
    ASSERT_NE(item, nullptr);
    ILFree(item);
    char path[MAX_PATH];
    EXPECT_FALSE(SHGetPathFromIDListA(item, path));
    ILFree(item); // a second free is ignored
    ILFree(nullptr);
}

} // namespace
