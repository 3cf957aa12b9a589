#include "folderbrowse.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The host's answer in the user's place, with what the dialog showed.
struct ScriptedUser {
    const char *answer = nullptr;
    std::string title;
    HWND owner = nullptr;
};

LPCSTR Answer(void *context, const BROWSEINFOA *info)
{
    auto *user = static_cast<ScriptedUser *>(context);
    user->title = info->lpszTitle;
    user->owner = info->hwndOwner;
    return user->answer;
}

class FolderBrowseDlgTest : public ::testing::Test {
protected:
    void SetUp() override { QelSetFolderBrowseHandler(Answer, &user_); }
    void TearDown() override { QelSetFolderBrowseHandler(nullptr, nullptr); }

    ScriptedUser user_;
};

TEST_F(FolderBrowseDlgTest, GivesTheChosenFolderAndShowsTheTitle)
{
    user_.answer = "/var/qel/databases";
    CFolderBrowseDlg dialog("Select database directory", reinterpret_cast<HWND>(3));
    EXPECT_STREQ(dialog.DoModal(), "/var/qel/databases");
    EXPECT_EQ(user_.title, "Select database directory");
    EXPECT_EQ(user_.owner, reinterpret_cast<HWND>(3));
}

TEST_F(FolderBrowseDlgTest, CancelOrAnItemWithoutPathGivesNull)
{
    CFolderBrowseDlg dialog("Select", nullptr);
    EXPECT_EQ(dialog.DoModal(), nullptr);
    user_.answer = "";
    EXPECT_EQ(dialog.DoModal(), nullptr);
}

} // namespace
