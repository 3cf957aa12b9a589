// The setup dialog, worked by the host's dialog script as a user would work it.
#include "setupdlg.h"

#include "brennetresources.h"

#include <dialogscript.h>

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class SetupDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        script_.Install();
        // "cmd:enabled" notes which of the path's label, field and browse button the user
        // can reach in the open dialog.
        script_.SetCommandRunner([this](const std::string &line) {
            HWND dialog = GetActiveWindow();
            if (line != "enabled" || dialog == nullptr)
                return false;
            std::string state;
            for (int id : {IDC_TOOL_LABEL, IDC_TOOL_PATH, IDC_BROWSE_TOOL})
                state += IsWindowEnabled(GetDlgItem(dialog, id)) ? "1" : "0";
            enabled_.push_back(state);
            return true;
        });
    }
    void TearDown() override
    {
        script_.Uninstall();
        EXPECT_EQ(script_.Unanswered(), 0u);
        EXPECT_EQ(script_.TakeFailures(), std::vector<std::string>{});
    }

    // Opens the dialog with `toolText`, answered by `answers`; the dialog's result.
    INT_PTR Run(const char *toolText, const std::vector<std::vector<std::string>> &answers)
    {
        for (const auto &words : answers) {
            std::string error;
            EXPECT_TRUE(script_.Queue(words, &error)) << error;
        }
        dialog_.m_toolText = toolText;
        return dialog_.DoModal();
    }
    // Whether the record of what opened holds `line`.
    bool Opened(const std::string &line)
    {
        if (opened_.empty())
            opened_ = script_.TakeOpened();
        return std::find(opened_.begin(), opened_.end(), line) != opened_.end();
    }

    QelHost::DialogScript script_;
    SetupDlg dialog_;
    std::vector<std::string> enabled_;
    std::vector<std::string> opened_;
};

TEST_F(SetupDialog, TheEasyCodeTextChoosesEasyCodeAndShutsThePathAway)
{
    EXPECT_EQ(dialog_.m_toolChoice, -1);
    ASSERT_EQ(Run("EasyCODE Debug Interface", {{"201", "expect:1003=EasyCODE Debug Interface", "cmd:enabled", "ok"}}),
              IDOK);
    EXPECT_EQ(enabled_, std::vector<std::string>{"000"});
    EXPECT_TRUE(Opened("dialog\t201\tSetup Case Tool Connection"));
    EXPECT_TRUE(Opened("\tcontrol\t1000\tButton\tEasyCODE\t1"));
    EXPECT_TRUE(Opened("\tcontrol\t1001\tButton\t&X32\t0"));
    EXPECT_TRUE(Opened("\tcontrol\t1002\tStatic\tPlease specify the executable file of CASE tool:\t-"));
    EXPECT_STREQ(dialog_.m_toolText, "EasyCODE Debug Interface");
    EXPECT_EQ(dialog_.m_toolChoice, 0);
}

TEST_F(SetupDialog, ChoosingATool)
{
    ASSERT_EQ(Run("/opt/x32/x32.exe", {{"201", "expect:1003=/opt/x32/x32.exe", "cmd:enabled", "click:1000",
                                        "expect:1003=EasyCODE Debug Interface", "cmd:enabled", "click:1001",
                                        "expect:1003=", "cmd:enabled", "ok"}}),
              IDOK);
    EXPECT_EQ(enabled_, (std::vector<std::string>{"111", "000", "111"}));
    EXPECT_TRUE(Opened("\tcontrol\t1001\tButton\t&X32\t1"));
    EXPECT_STREQ(dialog_.m_toolText, ""); // X32 empties the text
    EXPECT_EQ(dialog_.m_toolChoice, 1);
}

TEST_F(SetupDialog, TheBrowseButtonSetsThePathThatTheUserPicks)
{
    std::string program = testing::TempDir() + "qelsetup-x32.exe";
    FILE *made = fopen(program.c_str(), "w");
    ASSERT_NE(made, nullptr);
    fclose(made);
    ASSERT_EQ(Run("", {{"201", "click:1004", "expect:1003=" + program, "ok"}, {"file", program}}), IDOK);
    EXPECT_STREQ(dialog_.m_toolText, program.c_str());
    EXPECT_TRUE(Opened("\tfilter\tProgram Files (*.exe)|*.exe|All Files (*.*)|*.*|"));
    EXPECT_TRUE(Opened("\tflags\tOFN_HIDEREADONLY OFN_FILEMUSTEXIST OFN_NOCHANGEDIR"));
    remove(program.c_str());
}

TEST_F(SetupDialog, OkHandsTheTextBackAsTypedAndCancelLeavesIt)
{
    ASSERT_EQ(Run("", {{"201", "text:1003=  /x32/bin x32.exe ", "ok"}}), IDOK);
    EXPECT_STREQ(dialog_.m_toolText, "  /x32/bin x32.exe ");
    ASSERT_EQ(Run("old", {{"201", "text:1003=new", "cancel"}}), IDCANCEL);
    EXPECT_STREQ(dialog_.m_toolText, "old");
}

} // namespace
