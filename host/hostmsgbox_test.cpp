#include "hostmsgbox.h"

#include "testing/comallocbalance.h"

#include <gtest/gtest.h>

namespace {

using QelHost::HostReports;

class HostMsgBoxTest : public ComAllocBalance {};

TEST_F(HostMsgBoxTest, IsMadeByItsProgIdAndRecordsWhatItShows)
{
    auto reports = std::make_shared<HostReports>();
    reports->SetMessageBoxAnswer(2);
    DWORD cookie = 0;
    ASSERT_EQ(QelHost::RegisterMessageBoxClass(reports, &cookie), S_OK);

    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(u"QEL.QELMsgBox", &clsid), S_OK); // blind to case
    CComPtr<IQelMsgBox> box;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQelMsgBox, reinterpret_cast<void **>(&box)),
              S_OK);
    EXPECT_EQ(box->ShowMessage(CComBSTR(u"Loaded.")), S_OK);
    EXPECT_EQ(box->SetTitle(CComBSTR(u"File load error")), S_OK);
    LONG answer = 0;
    EXPECT_EQ(box->ShowMessageBox(5, CComBSTR(u"Not supported."), CComBSTR(u"Formats"), 0x30, &answer), S_OK);
    EXPECT_EQ(answer, 2);
    EXPECT_EQ(box->ShowMessageBox(5, CComBSTR(u"Plain"), nullptr, 0, &answer), S_OK);
    EXPECT_EQ(box->ShowMessageBox(5, nullptr, nullptr, 0, nullptr), E_POINTER);

    EXPECT_EQ(reports->Messages(), std::vector<std::string>{"Loaded."});
    auto boxes = reports->MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].owner, 5);
    EXPECT_EQ(boxes[0].title, "File load error");
    EXPECT_EQ(boxes[0].text, "Not supported.");
    EXPECT_TRUE(boxes[0].hasCaption);
    EXPECT_EQ(boxes[0].caption, "Formats");
    EXPECT_EQ(boxes[0].style, 0x30);
    EXPECT_FALSE(boxes[1].hasCaption);

    box.Release();
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(CLSIDFromProgID(u"QEL.QelMsgBox", &clsid), CO_E_CLASSSTRING);
}

} // namespace
