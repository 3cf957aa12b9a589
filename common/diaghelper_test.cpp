#include "diaghelper.h"

#include "comerrorinfo.h"
#include "teststrings.h"

#include <debugserver.h>
#include <hosterrorreceiver.h>

#include "testing/comallocbalance.h"
#include "testing/countedobject.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using QelHost::HostReports;
using QelHost::HostTraceLine;

template <class Object>
CComPtr<Object> Make()
{
    CComObject<Object> *object = nullptr;
    EXPECT_EQ(CComObject<Object>::CreateInstance(&object), S_OK);
    return CComPtr<Object>(object);
}

// The thread's pending error information, taken (empty texts when there is none).
struct Pending {
    BOOL found;
    CString description, source, helpFile;
    GUID guid;
};
Pending TakeErrorInfo()
{
    Pending p{FALSE, "", "", "", GUID_NULL};
    p.found = GetComErrorInfo(&p.description, &p.source, &p.guid, &p.helpFile, nullptr);
    return p;
}

class DiagHelperTest : public ComAllocBalance {
protected:
    void SetUp() override
    {
        ComAllocBalance::SetUp();
        SetErrorInfo(0, nullptr);
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &host_, reports_), S_OK);
    }
    void TearDown() override
    {
        SetErrorInfo(0, nullptr);
        host_.Release();
        ComAllocBalance::TearDown();
    }

    std::vector<HostTraceLine> Lines() const { return reports_->TraceLines(); }

    std::shared_ptr<HostReports> reports_ = std::make_shared<HostReports>();
    CComPtr<IUnknown> host_;
};

TEST_F(DiagHelperTest, WithoutAHostAReportBecomesTheThreadsErrorInformation)
{
    CQelDiagHelper diag(nullptr, "QelSymbolEngine", &GUID_NULL);
    EXPECT_EQ(diag.GetLevel(), 0u);
    EXPECT_EQ(diag.ReportById(IDS_TEST_PLAIN, 0x80040007), static_cast<HRESULT>(0x80040007));
    EXPECT_EQ(diag.GetLastResult(), static_cast<HRESULT>(0x80040007));

    Pending p = TakeErrorInfo();
    ASSERT_TRUE(p.found);
    EXPECT_STREQ(p.description, "Cannot open the program file.");
    EXPECT_STREQ(p.source, "QelSymbolEngine");
    EXPECT_EQ(p.guid, GUID_NULL);
    EXPECT_STREQ(p.helpFile, "");

    // A source and help file given with the report take the object's place.
    diag.ReportById(IDS_TEST_PLAIN, E_FAIL, "Loader", "qel.hlp", 3);
    p = TakeErrorInfo();
    EXPECT_STREQ(p.source, "Loader");
    EXPECT_STREQ(p.helpFile, "qel.hlp");
}

TEST_F(DiagHelperTest, AHostsErrorReceiverGetsTheReportAndItsSinkTheTrace)
{
    const GUID guid = {0xAB, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    CQelDiagHelper diag(host_, "QelSymbolEngine", &guid);
    EXPECT_EQ(diag.GetLevel(), 10u);
    EXPECT_EQ(diag.ReportById(IDS_TEST_PLAIN, E_FAIL, nullptr, nullptr, 9), E_FAIL);

    auto errors = reports_->Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].description, "Cannot open the program file.");
    EXPECT_EQ(errors[0].source, "QelSymbolEngine");
    EXPECT_EQ(errors[0].guid, guid);
    EXPECT_EQ(errors[0].helpContext, 9u);
    EXPECT_FALSE(TakeErrorInfo().found); // delivered, not left on the thread

    auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].kind, 0);
    EXPECT_EQ(lines[0].source, "QelSymbolEngine");
    EXPECT_EQ(lines[0].text, "Cannot open the program file.");
}

TEST_F(DiagHelperTest, AHostWithASinkButNoReceiverGetsTheErrorAsThreadInformation)
{
    CComPtr<QelHost::CHostDebugServer> bare = Make<QelHost::CHostDebugServer>();
    bare->SetReports(reports_);
    CQelDiagHelper diag(static_cast<IQelHostHolder *>(bare), "QelSymbolEngine", nullptr);
    diag.Report("No receiver", E_FAIL);
    EXPECT_STREQ(TakeErrorInfo().description, "No receiver");
    EXPECT_EQ(Lines().size(), 1u);
    EXPECT_TRUE(reports_->Errors().empty());
}

TEST_F(DiagHelperTest, TextsComeFromTheStringTableAndAreCutToFit)
{
    CQelDiagHelper diag(nullptr, "Test", nullptr);
    std::string longArgument(600, 'a');
    struct Case {
        const char *name;
        HRESULT (*report)(CQelDiagHelper &, const std::string &);
        std::string text;
    } cases[] = {
        {"missing", [](CQelDiagHelper &d, const std::string &) { return d.ReportById(IDS_TEST_MISSING, E_FAIL); },
         "(No message found !)"},
        {"long", [](CQelDiagHelper &d, const std::string &) { return d.ReportById(IDS_TEST_LONG, E_FAIL); },
         std::string(254, 'R')},
        {"format", [](CQelDiagHelper &d, const std::string &) { return d.ReportFormatById(IDS_TEST_FORMAT, E_FAIL, 0, "/x/a.elf", 2); },
         "Cannot open /x/a.elf (error 2)."},
        {"format missing", [](CQelDiagHelper &d, const std::string &) { return d.ReportFormatById(IDS_TEST_MISSING, E_FAIL, 0, 1); },
         "(No message found !)"},
        {"format long", [](CQelDiagHelper &d, const std::string &a) { return d.ReportFormatById(IDS_TEST_ANY, E_FAIL, 0, a.c_str()); },
         std::string(254, 'a')},
        {"printf", [](CQelDiagHelper &d, const std::string &) { return d.ReportFormat("%d modules", E_FAIL, 0, 12); },
         "12 modules"},
        {"printf long", [](CQelDiagHelper &d, const std::string &a) { return d.ReportFormat("%s", E_FAIL, 0, a.c_str()); },
         std::string(254, 'a')},
        {"internal", [](CQelDiagHelper &d, const std::string &) { return d.ReportInternalError(0x1234); },
         "Internal error 00001234h\nPlease report !"},
    };
    for (const Case &c : cases) {
        HRESULT hr = c.report(diag, longArgument);
        EXPECT_EQ(hr, E_FAIL) << c.name;
        Pending p = TakeErrorInfo();
        EXPECT_EQ(std::string(p.description), c.text) << c.name;
        EXPECT_STREQ(p.source, "Test") << c.name;
    }
}

TEST_F(DiagHelperTest, ExtendedReportsTakeTheirSourceAndHelpFile)
{
    CQelDiagHelper diag(nullptr, "Own", nullptr);
    diag.ReportFormatByIdEx(IDS_TEST_FORMAT, E_FAIL, "Other", "x.hlp", 0, "f", 1);
    Pending p = TakeErrorInfo();
    EXPECT_STREQ(p.description, "Cannot open f (error 1).");
    EXPECT_STREQ(p.source, "Other");
    EXPECT_STREQ(p.helpFile, "x.hlp");
    diag.ReportFormatEx("%s!", E_FAIL, nullptr, nullptr, 0, "own");
    p = TakeErrorInfo();
    EXPECT_STREQ(p.description, "own!");
    EXPECT_STREQ(p.source, "Own");
    diag.ReportInternalError(1, "Engine");
    EXPECT_STREQ(TakeErrorInfo().source, "Engine");
}

TEST_F(DiagHelperTest, ReportsAreTracedOnlyFromLevel10)
{
    reports_->SetLevel(5); // the host's sink asks for level 5
    CQelDiagHelper diag(host_, "QelSymbolEngine", nullptr);
    EXPECT_EQ(diag.GetLevel(), 5u);
    diag.Report("quiet", E_FAIL);
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(reports_->Errors().size(), 1u); // still reported

    EXPECT_TRUE(diag.OpenLog(nullptr, 10));
    diag.Report("heard", E_FAIL);
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(Lines()[0].text, "heard");

    // Level 0 detaches the sink: reports are reported, never traced.
    EXPECT_TRUE(diag.SetSink(0, nullptr, nullptr));
    EXPECT_EQ(diag.GetLevel(), 0u);
    diag.Report("detached", E_FAIL);
    EXPECT_EQ(Lines().size(), 1u);
    EXPECT_EQ(reports_->Errors().size(), 3u);
}

TEST_F(DiagHelperTest, OpenLogWithoutPathKeepsNoFileAndSetsTheLevel)
{
    CQelDiagHelper diag(host_, "QelSymbolEngine", nullptr);
    EXPECT_TRUE(diag.OpenLog(nullptr, 5));
    EXPECT_EQ(diag.GetLevel(), 5u);
    diag.Report("not traced at 5", E_FAIL);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(DiagHelperTest, TraceLinesCarryTheirKindAndSource)
{
    CQelDiagHelper diag(host_, "Own", nullptr);
    EXPECT_TRUE(diag.TraceInfo("info %d", 1));
    EXPECT_TRUE(diag.TraceWarning("warning %d", 2));
    EXPECT_TRUE(diag.TraceError("error %d", 3));
    EXPECT_TRUE(diag.TraceInfoFrom("A", "info"));
    EXPECT_TRUE(diag.TraceWarningFrom("B", "warning"));
    EXPECT_TRUE(diag.TraceErrorFrom("C", "error"));
    EXPECT_TRUE(diag.TraceKind(1, "kind"));
    EXPECT_TRUE(diag.Trace("D", 2, "%s", "any"));
    auto viaList = [&](LONG kind, const char *format, ...) {
        va_list args;
        va_start(args, format);
        BOOL written = diag.TraceV(kind, format, args);
        va_end(args);
        return written;
    };
    EXPECT_TRUE(viaList(0, "list %s", "args"));

    struct Expected {
        LONG kind;
        const char *source, *text;
    } expected[] = {
        {2, "Own", "info 1"}, {1, "Own", "warning 2"}, {0, "Own", "error 3"}, {2, "A", "info"},
        {1, "B", "warning"}, {0, "C", "error"},     {1, "Own", "kind"},    {2, "D", "any"},
        {0, "Own", "list args"},
    };
    auto lines = Lines();
    ASSERT_EQ(lines.size(), std::size(expected));
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].kind, expected[i].kind) << i;
        EXPECT_EQ(lines[i].source, expected[i].source) << i;
        EXPECT_EQ(lines[i].text, expected[i].text) << i;
    }
}

TEST_F(DiagHelperTest, ATraceOf512CharactersOrAnEmptyOneIsNotWritten)
{
    CQelDiagHelper diag(host_, "Own", nullptr);
    std::string fits(511, 'x'), tooLong(512, 'y');
    EXPECT_TRUE(diag.TraceInfo("%s", fits.c_str()));
    EXPECT_FALSE(diag.TraceInfo("%s", tooLong.c_str()));
    EXPECT_FALSE(diag.TraceInfo("%s", ""));
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, fits);
}

TEST_F(DiagHelperTest, WithoutASinkALineIsWrittenButNotTaken)
{
    CQelDiagHelper diag(nullptr, "Own", nullptr);
    EXPECT_FALSE(diag.WriteLine("nobody", 2, nullptr));
    EXPECT_FALSE(diag.WriteLine(nullptr, 2, nullptr));
    EXPECT_FALSE(diag.TraceInfo("nobody"));
}

void CollectDebugOutput(void *context, LPCSTR text)
{
    static_cast<std::vector<std::string> *>(context)->push_back(text);
}

TEST_F(DiagHelperTest, DebugOutputGetsEveryLineWhileSwitchedOn)
{
    std::vector<std::string> output;
    QelSetDebugOutputHandler(CollectDebugOutput, &output);
    CQelDiagHelper diag(nullptr, "Own", nullptr);
    diag.TraceInfo("before");
    diag.SetDebugOutput(TRUE);
    diag.TraceInfo("line %d", 1);
    diag.OpenLog(nullptr, 10);
    diag.Report("reported", E_FAIL);
    QelSetDebugOutputHandler(nullptr, nullptr);
    EXPECT_EQ(output, (std::vector<std::string>{"line 1", "reported"}));
}

// An error receiver that refuses every error.
class CRefusingReceiver : public QelHost::CHostErrorReceiver {
public:
    STDMETHODIMP ReportError(IErrorInfo *) override { return E_FAIL; }
};

TEST_F(DiagHelperTest, AReportThatCannotBeDeliveredIsTracedAndStillReturnsTheCode)
{
    CQelDiagHelper diag(host_, "QelSymbolEngine", nullptr);
    CComPtr<CRefusingReceiver> refusing = Make<CRefusingReceiver>();
    EXPECT_TRUE(diag.SetErrorSink(static_cast<IQelErrorReceiver *>(refusing)));
    EXPECT_EQ(diag.Report("lost", 0x80040123), static_cast<HRESULT>(0x80040123));
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "lost");
    EXPECT_EQ(lines[1].text, "!!! Failed to send error info !!!\n");
    EXPECT_EQ(lines[1].kind, 0);
    EXPECT_EQ(lines[1].source, "QelSymbolEngine");
}

TEST_F(DiagHelperTest, TheErrorSinkCanBeReplacedOrReleased)
{
    CQelDiagHelper diag(nullptr, "Own", nullptr);
    CComPtr<QelHost::CHostErrorReceiver> receiver = Make<QelHost::CHostErrorReceiver>();
    receiver->SetReports(reports_);
    EXPECT_TRUE(diag.SetErrorSink(static_cast<IQelErrorReceiver *>(receiver)));
    diag.Report("to the receiver", E_FAIL);
    EXPECT_EQ(reports_->Errors().size(), 1u);

    CountedObject notAReceiver;
    EXPECT_FALSE(diag.SetErrorSink(&notAReceiver));
    diag.Report("still to the receiver", E_FAIL);
    EXPECT_EQ(reports_->Errors().size(), 2u);

    EXPECT_TRUE(diag.SetErrorSink(nullptr));
    diag.Report("to the thread", E_FAIL);
    EXPECT_EQ(reports_->Errors().size(), 2u);
    EXPECT_STREQ(TakeErrorInfo().description, "to the thread");
    EXPECT_EQ(notAReceiver.References(), 1u);
}

TEST_F(DiagHelperTest, ASinkGivenWithARegistrationIsRegisteredUntilDetached)
{
    CComPtr<QelHost::CHostDebugServer> sink = Make<QelHost::CHostDebugServer>();
    sink->SetReports(reports_);
    CountedObject component;
    {
        CQelDiagHelper diag(nullptr, "Brennet", nullptr);
        EXPECT_TRUE(diag.SetSink(100, static_cast<IQelMessageSink *>(sink), &component));
        EXPECT_EQ(diag.GetLevel(), 100u);
        EXPECT_EQ(sink->Registrations(), 1u);
        EXPECT_TRUE(diag.TraceInfo("Init()"));

        // A level alone keeps the sink.
        EXPECT_TRUE(diag.SetSink(50, nullptr, nullptr));
        EXPECT_EQ(diag.GetLevel(), 50u);
        EXPECT_TRUE(diag.TraceInfo("still"));

        // An object that is no sink is refused and changes nothing.
        CountedObject notASink;
        EXPECT_FALSE(diag.SetSink(7, &notASink, nullptr));
        EXPECT_EQ(diag.GetLevel(), 50u);

        diag.DetachSink();
        EXPECT_EQ(diag.GetLevel(), 0u);
        EXPECT_EQ(sink->Registrations(), 0u);
        EXPECT_FALSE(diag.TraceInfo("gone"));

        EXPECT_TRUE(diag.SetSink(10, static_cast<IQelMessageSink *>(sink), &component));
        EXPECT_EQ(sink->Registrations(), 1u);
    } // the destructor unregisters
    EXPECT_EQ(sink->Registrations(), 0u);
    EXPECT_EQ(component.References(), 1u);
    EXPECT_EQ(Lines().size(), 2u);
}

TEST_F(DiagHelperTest, AttachHostAnswersForTheHostItWasGiven)
{
    CQelDiagHelper diag(nullptr, "Own", nullptr);
    EXPECT_EQ(diag.AttachHost(nullptr), E_FAIL);
    CountedObject notAHost;
    EXPECT_TRUE(FAILED(diag.AttachHost(&notAHost)));
    EXPECT_EQ(diag.GetLevel(), 0u);
    EXPECT_EQ(notAHost.References(), 1u);
    EXPECT_EQ(diag.AttachHost(host_), S_OK);
    EXPECT_EQ(diag.GetLevel(), 10u);
}

std::string ReadFile(const std::string &path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST_F(DiagHelperTest, TheLogFileHasAHeaderAndOneLinePerTrace)
{
    char folder[] = "/tmp/qeldiagXXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string path = std::string(folder) + "/engine.log";
    {
        CQelDiagHelper diag(nullptr, "QelSymbolEngine", nullptr);
        ASSERT_TRUE(diag.OpenLog(path.c_str(), 10));
        EXPECT_FALSE(diag.TraceWarning("No VarEd_Info section")); // no sink takes it
        diag.Report("Cannot open", E_FAIL);
    }
    std::string log = ReadFile(path);
    std::string rule(58, '-');
    std::regex expected(rule + "\n\n"
                               "  QelSymbolEngine Diagnostic Log\n"
                               "  Log Level: 10\n"
                               "  created: [0-9]{2}/[0-9]{2}/[0-9]{2}, [0-9]{2}:[0-9]{2}:[0-9]{2}\n\n" +
                        rule + "\n"
                               "No VarEd_Info section\n"
                               "Cannot open\n");
    EXPECT_TRUE(std::regex_match(log, expected)) << log;

    // Opening a log again starts the file anew; a folder that does not exist fails.
    {
        CQelDiagHelper diag(nullptr, "Second", nullptr);
        ASSERT_TRUE(diag.OpenLog(path.c_str(), 3));
        EXPECT_FALSE(diag.OpenLog((std::string(folder) + "/missing/x.log").c_str(), 3));
        EXPECT_EQ(diag.GetLevel(), 3u);
    }
    log = ReadFile(path);
    EXPECT_NE(log.find("  Second Diagnostic Log\n  Log Level: 3\n"), std::string::npos);
    EXPECT_EQ(log.find("QelSymbolEngine"), std::string::npos);
    unlink(path.c_str());
    rmdir(folder);
}

} // namespace
