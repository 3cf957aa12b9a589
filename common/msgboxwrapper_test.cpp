#include "msgboxwrapper.h"

#include "teststrings.h"

#include <hostmsgbox.h>

#include "testing/comallocbalance.h"

#include <gtest/gtest.h>

namespace {

using QelHost::HostReports;

class MsgBoxWrapperTest : public ComAllocBalance {
protected:
    void SetUp() override
    {
        ComAllocBalance::SetUp();
        ASSERT_EQ(QelHost::RegisterMessageBoxClass(reports_, &cookie_), S_OK);
    }
    void TearDown() override
    {
        CoRevokeClassObject(cookie_);
        ComAllocBalance::TearDown();
    }

    std::shared_ptr<HostReports> reports_ = std::make_shared<HostReports>();
    DWORD cookie_ = 0;
};

TEST_F(MsgBoxWrapperTest, ShowsBoxesWithTheTitleAndGivesTheButtonPressed)
{
    reports_->SetMessageBoxAnswer(6);
    CQelMsgBoxWrapper box;
    ASSERT_TRUE(box.Create(u"QEL.QELMsgBox"));
    EXPECT_TRUE(box.SetTitleById(IDS_TEST_TITLE));
    EXPECT_EQ(box.MessageBoxById(4, IDS_TEST_NOT_SUPPORTED, "Supported file formats:\nTriCore:\tELF", 0x10), 6);
    EXPECT_EQ(box.MessageBox(4, "Plain", nullptr, 0), 6);

    auto boxes = reports_->MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].owner, 4);
    EXPECT_EQ(boxes[0].title, "File load error");
    EXPECT_EQ(boxes[0].text, "The format of selected binary target file is currently not supported.");
    EXPECT_TRUE(boxes[0].hasCaption);
    EXPECT_EQ(boxes[0].caption, "Supported file formats:\nTriCore:\tELF");
    EXPECT_EQ(boxes[0].style, 0x10);
    EXPECT_FALSE(boxes[1].hasCaption);
}

TEST_F(MsgBoxWrapperTest, AnUnknownStringShowsNothing)
{
    CQelMsgBoxWrapper box;
    ASSERT_TRUE(box.Create(u"QEL.QelMsgBox"));
    EXPECT_EQ(box.MessageBoxById(0, IDS_TEST_MISSING, nullptr, 0), -1);
    EXPECT_FALSE(box.SetTitleById(IDS_TEST_MISSING));
    box.ShowMessageById(IDS_TEST_MISSING);
    EXPECT_TRUE(reports_->MessageBoxes().empty());
    EXPECT_TRUE(reports_->Messages().empty());

    box.ShowMessageById(IDS_TEST_PLAIN);
    box.ShowMessage("Done.");
    EXPECT_EQ(reports_->Messages(), (std::vector<std::string>{"Cannot open the program file.", "Done."}));
}

TEST_F(MsgBoxWrapperTest, WithoutTheHostsObjectNothingIsShown)
{
    CQelMsgBoxWrapper box;
    EXPECT_FALSE(box.Create(u"QEL.NoSuchBox"));
    EXPECT_EQ(box.MessageBox(0, "text", nullptr, 0), -1);
    EXPECT_FALSE(box.SetTitleById(IDS_TEST_TITLE));
    box.ShowMessage("lost");
    EXPECT_TRUE(reports_->Messages().empty());

    // A failed Create also lets go of the object made before.
    ASSERT_TRUE(box.Create(u"QEL.QelMsgBox"));
    EXPECT_FALSE(box.Create(u"QEL.NoSuchBox"));
    EXPECT_EQ(box.MessageBox(0, "text", nullptr, 0), -1);
}

} // namespace
