#include "filedialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

namespace {

// Plays the user: answers with `answer` (null: cancels) and keeps what the dialog showed.
struct ScriptedUser {
    const char *answer = nullptr;
    std::string title;
    std::string initialFile;
    std::string filter; // with its NULs as '|'
    DWORD flags = 0;
    int dialogs = 0;
};

LPCSTR Answer(void *context, const OPENFILENAMEA *dialog)
{
    auto *user = static_cast<ScriptedUser *>(context);
    user->title = dialog->lpstrTitle != nullptr ? dialog->lpstrTitle : "";
    user->initialFile = dialog->lpstrFile;
    user->filter.clear();
    for (LPCSTR part = dialog->lpstrFilter; part != nullptr && *part != '\0'; part += strlen(part) + 1)
        user->filter += std::string(part) + "|";
    user->flags = dialog->Flags;
    ++user->dialogs;
    return user->answer;
}

class FileDialogTest : public ::testing::Test {
protected:
    void SetUp() override { QelSetFileDialogHandler(Answer, &user_); }
    void TearDown() override { QelSetFileDialogHandler(nullptr, nullptr); }

    OPENFILENAMEA Dialog(char *file, DWORD size)
    {
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.lpstrFilter = "ELF files (*.elf)\0*.elf\0All files (*.*)\0*.*\0";
        ofn.lpstrFile = file;
        ofn.nMaxFile = size;
        ofn.lpstrTitle = "Open corresponding ELF file";
        ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
        return ofn;
    }

    ScriptedUser user_;
};

TEST_F(FileDialogTest, TheHostSeesTheRequestAndItsAnswerIsTheChosenFile)
{
    user_.answer = "/home/user/app.v2/prog.elf";
    char file[64] = "prog.elf";
    OPENFILENAMEA ofn = Dialog(file, sizeof file);
    // The symbol engine shows the dialog from its worker thread.
    BOOL chosen = FALSE;
    std::thread([&] { chosen = GetOpenFileNameA(&ofn); }).join();
    ASSERT_TRUE(chosen);
    EXPECT_EQ(user_.title, "Open corresponding ELF file");
    EXPECT_EQ(user_.initialFile, "prog.elf");
    EXPECT_EQ(user_.filter, "ELF files (*.elf)|*.elf|All files (*.*)|*.*|");
    EXPECT_EQ(user_.flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_EXPLORER));
    EXPECT_STREQ(file, "/home/user/app.v2/prog.elf");
    EXPECT_STREQ(file + ofn.nFileOffset, "prog.elf");
    EXPECT_STREQ(file + ofn.nFileExtension, "elf");
}

TEST_F(FileDialogTest, TheExtensionIsLookedForInTheFileNameOnly)
{
    char file[64] = "";
    OPENFILENAMEA ofn = Dialog(file, sizeof file);
    user_.answer = "/opt/v1.2/prog";
    ASSERT_TRUE(GetOpenFileName(&ofn));
    EXPECT_EQ(ofn.nFileOffset, 10);
    EXPECT_EQ(ofn.nFileExtension, strlen(file));
    user_.answer = "prog.";
    ASSERT_TRUE(GetOpenFileName(&ofn));
    EXPECT_EQ(ofn.nFileOffset, 0);
    EXPECT_EQ(ofn.nFileExtension, 0);
}

TEST_F(FileDialogTest, APathThatDoesNotFitTheBufferFails)
{
    user_.answer = "/tmp/prog.elf"; // 13 characters and the NUL
    char file[14] = "old";
    OPENFILENAMEA ofn = Dialog(file, 13);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_STREQ(file, "old");
    ofn.nMaxFile = 14;
    EXPECT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_STREQ(file, "/tmp/prog.elf");
}

TEST_F(FileDialogTest, CancellingOrNoHostGivesNoFile)
{
    char file[64] = "prog.elf";
    OPENFILENAMEA ofn = Dialog(file, sizeof file);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    user_.answer = "";
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(user_.dialogs, 2);
    EXPECT_STREQ(file, "prog.elf");

    QelSetFileDialogHandler(nullptr, nullptr);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));

    // A request without a buffer for the answer is not shown.
    QelSetFileDialogHandler(Answer, &user_);
    user_.answer = "/tmp/prog.elf";
    ofn.lpstrFile = nullptr;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_FALSE(GetOpenFileNameA(nullptr));
    EXPECT_EQ(user_.dialogs, 2);
}

} // namespace
