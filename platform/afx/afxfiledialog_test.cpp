#include "afxfiledialog.h"

#include "dialogresults.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Plays the user: answers with `answer` (null: cancels) and keeps what the dialog showed.
struct ScriptedUser {
    const char *answer = nullptr;
    std::string title;
    std::string initialDir;
    std::string initialFile;
    std::string filter; // with its NULs as '|'
    DWORD flags = 0;
};

LPCSTR Answer(void *context, const OPENFILENAMEA *dialog)
{
    auto *user = static_cast<ScriptedUser *>(context);
    user->title = dialog->lpstrTitle != nullptr ? dialog->lpstrTitle : "";
    user->initialDir = dialog->lpstrInitialDir != nullptr ? dialog->lpstrInitialDir : "";
    user->initialFile = dialog->lpstrFile;
    user->filter.clear();
    for (LPCSTR part = dialog->lpstrFilter; part != nullptr && *part != '\0'; part += strlen(part) + 1)
        user->filter += std::string(part) + "|";
    user->flags = dialog->Flags;
    return user->answer;
}

class FileDialogClassTest : public ::testing::Test {
protected:
    void SetUp() override { QelSetFileDialogHandler(Answer, &user_); }
    void TearDown() override { QelSetFileDialogHandler(nullptr, nullptr); }

    ScriptedUser user_;
};

TEST_F(FileDialogClassTest, TheUserSeesTheFrameworksFilterAndInitialFileAndTheChoiceIsThePathName)
{
    const char *filter = "Binary target files (*.out;*.elf)|*.out;*.elf|All files (*.*)|*.*|";
    for (std::string ending : {"", "|"}) {
        user_.answer = "/home/user/prog.elf";
        CFileDialog dialog(TRUE, nullptr, "/home/user/prog.hex", OFN_HIDEREADONLY | OFN_EXPLORER,
                           (filter + ending).c_str());
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(user_.filter, filter);
        EXPECT_EQ(user_.initialFile, "/home/user/prog.hex");
        EXPECT_EQ(user_.flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_EXPLORER));
        EXPECT_STREQ(dialog.GetPathName(), "/home/user/prog.elf");
    }
}

TEST_F(FileDialogClassTest, ACallerMayGiveItsOwnBufferTitleAndDirectory)
{
    char companion[2048] = "/home/user/prog.elf";
    CFileDialog dialog(TRUE, nullptr, companion, OFN_HIDEREADONLY);
    dialog.m_ofn.lpstrFile = companion;
    dialog.m_ofn.nMaxFile = sizeof companion;
    dialog.m_ofn.lpstrTitle = "Open corresponding ELF file";
    dialog.m_ofn.lpstrInitialDir = "/home/user";
    std::string longPath = "/" + std::string(MAX_PATH, 'x') + ".elf";
    user_.answer = longPath.c_str();
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(user_.title, "Open corresponding ELF file");
    EXPECT_EQ(user_.initialDir, "/home/user");
    EXPECT_EQ(user_.initialFile, "/home/user/prog.elf");
    EXPECT_EQ(companion, longPath);
    EXPECT_EQ(std::string(dialog.GetPathName()), longPath);
}

TEST_F(FileDialogClassTest, ACancelOrAPathThatDoesNotFitGivesIdCancel)
{
    CFileDialog dialog(TRUE, nullptr, "prog.elf");
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    std::string longPath = "/" + std::string(MAX_PATH, 'x');
    user_.answer = longPath.c_str();
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_STREQ(dialog.GetPathName(), "prog.elf");

    QelSetFileDialogHandler(nullptr, nullptr);
    EXPECT_EQ(CFileDialog(FALSE).DoModal(), IDCANCEL);
}

} // namespace
