#include "programfiledlg.h"

#include <dialogscript.h>
#include <regkeyman.h>

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char kRecentKey[] = "Software\\Tosk\\Qelvane\\Version3\\RecentlySelectedFiles";
const char kProfileKey[] = "Software\\Tosk\\ProgramFileDlgTest";

class ProgramFileDlg : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, kRecentKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, kProfileKey);
        char folder[] = "/tmp/qelprogramfileXXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
        existing_ = folder_ + "/there.elf";
        FILE *made = fopen(existing_.c_str(), "w");
        ASSERT_NE(made, nullptr);
        fclose(made);
        script_.Install();
    }

    void TearDown() override
    {
        script_.Uninstall();
        EXPECT_EQ(script_.Unanswered(), 0u);
        EXPECT_TRUE(script_.TakeFailures().empty());
        RegDeleteKeyA(HKEY_CURRENT_USER, kRecentKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, kProfileKey);
        remove(existing_.c_str());
        rmdir(folder_.c_str());
    }

    static void Remember(const std::string &path)
    {
        CRegKeyMan key;
        ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kRecentKey, TRUE), 0);
        ASSERT_EQ(key.WriteString(nullptr, "Program", path.c_str()), 0);
    }

    static std::string Remembered()
    {
        CRegKeyMan key;
        CString text;
        if (key.Open(HKEY_CURRENT_USER, kRecentKey, FALSE) != 0 ||
            key.GetString(nullptr, "Program", "", text, 4096) != 0)
            return "(none)";
        return static_cast<LPCSTR>(text);
    }

    void Answer(std::vector<std::string> words)
    {
        std::string error;
        ASSERT_TRUE(script_.Queue(words, &error)) << error;
    }

    QelHost::DialogScript script_;
    std::string folder_;
    std::string existing_;
};

TEST_F(ProgramFileDlg, ARememberedFileIsTakenWithoutADialogUnlessItMustExistAndDoesNot)
{
    const std::string missing = folder_ + "/" + std::string(400, 'm') + ".elf"; // read whole, not cut
    struct Case {
        std::string remembered;
        BOOL mustExist;
        BOOL noPreselect;
        bool dialog;
    };
    const Case cases[] = {
        {missing, FALSE, FALSE, false},
        {existing_, TRUE, FALSE, false},
        {missing, TRUE, FALSE, true},
        {existing_, FALSE, TRUE, true},
    };
    for (const Case &each : cases) {
        Remember(each.remembered);
        if (each.dialog)
            Answer({"file", "there.elf"});
        CProgramFileDlg dialog(nullptr, "elf", "start.elf", "Programs (*.elf)|*.elf|", "Program", nullptr, 1,
                               each.noPreselect, nullptr, each.mustExist);
        EXPECT_EQ(dialog.GetLastFile(), each.remembered.c_str());
        ASSERT_TRUE(dialog.DoModal());
        const std::vector<std::string> opened = script_.TakeOpened();
        EXPECT_EQ(!opened.empty(), each.dialog) << each.remembered.size();
        if (each.dialog) {
            EXPECT_EQ(dialog.GetPathName(), existing_.c_str()) << "the answer, in the remembered file's folder";
            EXPECT_EQ(Remembered(), existing_) << "written back";
            EXPECT_EQ(opened[4], "\tfile\t" + each.remembered);
            EXPECT_EQ(opened[5], std::string("\tflags\tOFN_OVERWRITEPROMPT OFN_HIDEREADONLY") +
                                     (each.mustExist ? " OFN_FILEMUSTEXIST" : "") + " OFN_EXPLORER");
        } else {
            EXPECT_EQ(dialog.GetPathName(), each.remembered.c_str());
        }
    }
}

TEST_F(ProgramFileDlg, WithoutARememberedFileTheDialogStartsFromTheGivenOneAndCancelKeepsNothing)
{
    Answer({"file", "cancel"});
    CProgramFileDlg dialog(nullptr, nullptr, "/work/start.elf", "Programs (*.elf)|*.elf", "Program", nullptr, 2,
                           FALSE, "All (*.*)|*.*|", FALSE);
    EXPECT_EQ(dialog.GetLastFile(), "");
    EXPECT_FALSE(dialog.DoModal());
    const std::vector<std::string> opened = script_.TakeOpened();
    ASSERT_GE(opened.size(), 5u);
    EXPECT_EQ(opened[1], "\tfilter\tPrograms (*.elf)|*.elf|All (*.*)|*.*|");
    EXPECT_EQ(opened[2], "\tindex\t2");
    EXPECT_EQ(opened[3], "\tfolder\t/work/");
    EXPECT_EQ(opened[4], "\tfile\t/work/start.elf");
    EXPECT_EQ(Remembered(), "(none)");
}

TEST_F(ProgramFileDlg, AGivenProfileKeepsTheChoiceInsteadOfTheRegistry)
{
    CRegKeyMan profile;
    ASSERT_EQ(profile.Open(HKEY_CURRENT_USER, kProfileKey, TRUE), 0);
    Answer({"file", existing_});
    CProgramFileDlg first(&profile, nullptr, "", "", "Boot", nullptr, 1, FALSE, nullptr, TRUE);
    ASSERT_TRUE(first.DoModal());
    CString kept;
    EXPECT_EQ(profile.GetString(nullptr, "Boot", "", kept, 4096), 0);
    EXPECT_EQ(kept, existing_.c_str());
    EXPECT_EQ(Remembered(), "(none)");

    CProgramFileDlg second(&profile, nullptr, "", "", "Boot", nullptr, 1, FALSE, nullptr, TRUE);
    ASSERT_TRUE(second.DoModal()) << "preselected from the profile";
    EXPECT_EQ(second.GetPathName(), existing_.c_str());
}

} // namespace
