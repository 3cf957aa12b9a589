#include "hostreports.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using QelHost::HostReports;

TEST(HostReportsTest, KeepsEachKindInOrderOfArrival)
{
    HostReports reports;
    reports.AddTraceLine(1, u"QelSymbolEngine", u"first\n");
    reports.AddTraceLine(2, nullptr, u"second");
    reports.AddMessage(u"Gr\u00FC\u00DFe"); // kept in code page 1252
    ASSERT_EQ(reports.TraceLines().size(), 2u);
    EXPECT_EQ(reports.TraceLines()[0].kind, 1);
    EXPECT_EQ(reports.TraceLines()[0].source, "QelSymbolEngine");
    EXPECT_EQ(reports.TraceLines()[0].text, "first\n");
    EXPECT_EQ(reports.TraceLines()[1].source, "");
    EXPECT_EQ(reports.Messages(), std::vector<std::string>{"Gr\xFC\xDF" "e"});
}

TEST(HostReportsTest, AnswersBoxesAndGivesTheLevelAsSet)
{
    HostReports reports;
    EXPECT_EQ(reports.Level(), 10u);
    EXPECT_EQ(reports.AddMessageBox({0, "", "text", false, "", 0}), 1);
    reports.SetLevel(99);
    reports.SetMessageBoxAnswer(7);
    EXPECT_EQ(reports.Level(), 99u);
    EXPECT_EQ(reports.AddMessageBox({0, "", "again", false, "", 0}), 7);
    // An answerer, which may record boxes itself, answers in place of the set button.
    reports.SetMessageBoxAnswerer([&reports](const QelHost::HostMessageBox &box) {
        return static_cast<LONG>(box.text.size() + reports.MessageBoxes().size());
    });
    EXPECT_EQ(reports.AddMessageBox({0, "", "four", false, "", 0}), 4 + 3);
    reports.SetMessageBoxAnswerer(nullptr);
    EXPECT_EQ(reports.AddMessageBox({0, "", "x", false, "", 0}), 7);
    EXPECT_EQ(reports.MessageBoxes().size(), 4u);
}

TEST(HostReportsTest, EchoesEachItemAsOneLine)
{
    HostReports reports;
    FILE *echo = tmpfile();
    ASSERT_NE(echo, nullptr);
    reports.SetEcho(echo);
    reports.AddTraceLine(0, u"Src", u"broken\n");
    reports.AddError({"No file", "QelSymbolEngine", GUID{}, "", 0});
    reports.AddMessage(u"hello");
    reports.AddMessageBox({0, "File load error", "Not supported.", true, "Formats", 0});
    reports.SetEcho(nullptr);
    reports.AddMessage(u"not echoed");

    rewind(echo);
    std::string printed;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, echo) != nullptr)
        printed += buffer;
    fclose(echo);
    EXPECT_EQ(printed, "trace error Src: broken\n"
                       "error QelSymbolEngine: No file\n"
                       "message: hello\n"
                       "message box \"File load error\": Not supported.\nFormats\n");
}

} // namespace
