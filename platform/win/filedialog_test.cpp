#include "filedialog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Plays the user: answers with `answer` (null: cancels), or with the next of `answers`
// while there are any, and keeps what the dialog showed.
struct ScriptedUser {
    const char *answer = nullptr;
    std::vector<const char *> answers;
    DWORD picked = 0; // the filter picked, when not 0
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
    if (user->picked != 0)
        QelSelectFileFilter(user->picked);
    if (!user->answers.empty()) {
        const char *next = user->answers.front();
        user->answers.erase(user->answers.begin());
        return next;
    }
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
    user_.answer = "/opt/prog.";
    ASSERT_TRUE(GetOpenFileName(&ofn));
    EXPECT_EQ(ofn.nFileOffset, 5);
    EXPECT_EQ(ofn.nFileExtension, 0);
}

TEST_F(FileDialogTest, APathThatDoesNotFitTheBufferFails)
{
    user_.answer = "/tmp/prog.elf"; // 13 characters and the NUL
    char file[14] = "old";
    OPENFILENAMEA ofn = Dialog(file, 13);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    EXPECT_STREQ(file, "old");
    ofn.nMaxFile = 14;
    EXPECT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
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
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
    EXPECT_EQ(user_.dialogs, 2);
}

TEST_F(FileDialogTest, ANameIsTakenAsTypedInTheInitialFolderWithTheDefaultExtension)
{
    struct Case {
        const char *answer;
        const char *defaultExtension;
        const char *chosen;
    };
    const Case cases[] = {
        {"prog", "elf", "/work/bin/prog.elf"},
        {"sub/../prog.hex", "elf", "/work/bin/prog.hex"},
        {"prog.", "elf", "/work/bin/prog."},
        {"/abs/prog", nullptr, "/abs/prog"},
        {"../prog", "", "/work/prog"},
    };
    for (const Case &each : cases) {
        char file[64] = "";
        OPENFILENAMEA ofn = Dialog(file, sizeof file);
        ofn.lpstrInitialDir = "/work/bin";
        ofn.lpstrDefExt = each.defaultExtension;
        user_.answer = each.answer;
        ASSERT_TRUE(GetOpenFileNameA(&ofn)) << each.answer;
        EXPECT_STREQ(file, each.chosen) << each.answer;
        EXPECT_EQ(ofn.nFilterIndex, 1u) << "the first filter, as none was picked";
    }
}

TEST_F(FileDialogTest, AMissingFileOrFolderIsAskedForAgainAndTheFilterPickedIsReported)
{
    char folder[] = "/tmp/qelfiledialogXXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string existing = std::string(folder) + "/there.elf";
    FILE *made = fopen(existing.c_str(), "w");
    ASSERT_NE(made, nullptr);
    fclose(made);

    char file[128] = "";
    OPENFILENAMEA ofn = Dialog(file, sizeof file);
    ofn.lpstrInitialDir = folder;
    ofn.nFilterIndex = 2;
    ofn.Flags |= OFN_FILEMUSTEXIST;
    user_.answers = {"missing.elf", folder, "there.elf"};
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(user_.dialogs, 3) << "a missing file and a folder were refused";
    EXPECT_EQ(file, existing);
    EXPECT_EQ(ofn.nFilterIndex, 2u) << "kept, as none was picked";

    user_.answers = {"missing.elf", "missing.elf"};
    EXPECT_FALSE(GetOpenFileNameA(&ofn)) << "the user insists on a name the dialog refuses";
    EXPECT_EQ(CommDlgExtendedError(), 0u);

    ofn.Flags = OFN_PATHMUSTEXIST;
    user_.answers = {"nofolder/new.elf"};
    user_.answer = "new.elf";
    user_.picked = 2;
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(file, std::string(folder) + "/new.elf") << "a new file in a folder that exists";
    EXPECT_EQ(ofn.nFilterIndex, 2u);
    user_.picked = 3;
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(ofn.nFilterIndex, 2u) << "the list has two filters";

    remove(existing.c_str());
    rmdir(folder);
}

} // namespace
