#include "varedcheck.h"

#include <debugserver.h>
#include <hostsymbolpartners.h>

#include "varedtesting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using QelHost::CHostDebugServer;
using QelHost::CHostSymbolPartners;

struct ShownBox {
    HWND owner;
    std::string text, caption;
    UINT style;
};

// Plays the user, who presses OK on every box shown.
int PressOk(void *context, HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    static_cast<std::vector<ShownBox> *>(context)->push_back({owner, text, caption, style});
    return IDOK;
}

// The host's debug-server object, with the VarEd setting of its symbol server.
class VarEdCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &m_host, m_reports), S_OK);
        m_server = static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(m_host.p));
        CComObject<CHostSymbolPartners> *partners = nullptr;
        ASSERT_EQ(CComObject<CHostSymbolPartners>::CreateInstance(&partners), S_OK);
        m_keepPartners = partners;
        m_partners = partners;
        m_partners->SetGlobalVarEd(TRUE);
        m_server->SetSymbolServer(m_keepPartners);
        QelSetMessageBoxHandler(PressOk, &m_boxes);
    }
    void TearDown() override
    {
        QelSetMessageBoxHandler(nullptr, nullptr);
        m_server->SetSymbolServer(nullptr);
        m_host.Release();
    }

    // Checks the section of the sample `name` (none: the program has no section).
    void Check(const char *name)
    {
        const std::vector<BYTE> section = name != nullptr ? VarEdSection(name) : std::vector<BYTE>();
        ASSERT_TRUE(name == nullptr || !section.empty());
        CQelDiagHelper diag(m_host, "QelSymbolEngine", nullptr);
        CheckVarEdInfo(m_host, name != nullptr ? section.data() : nullptr, static_cast<DWORD>(section.size()),
                       m_statements, diag);
    }

    // The trace lines, each as its kind and text.
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        for (const QelHost::HostTraceLine &line : m_reports->TraceLines()) {
            EXPECT_EQ(line.source, "QelSymbolEngine");
            lines.push_back((line.kind == 1 ? "warning: " : line.kind == 2 ? "info: " : "error: ") + line.text);
        }
        return lines;
    }

    std::shared_ptr<QelHost::HostReports> m_reports = std::make_shared<QelHost::HostReports>();
    CComPtr<IUnknown> m_host;
    CHostDebugServer *m_server = nullptr;
    CHostSymbolPartners *m_partners = nullptr;
    CComPtr<IQelSymbSrv> m_keepPartners;
    std::vector<ShownBox> m_boxes;
    CVarEdStatements m_statements;
};

TEST_F(VarEdCheckTest, AValidSectionIsParsedAndSaidToBeValid)
{
    Check("vared-valid.elf");
    EXPECT_EQ(m_statements.GetRecords().size(), 4u);
    EXPECT_EQ(Lines(), std::vector<std::string>{"info: Valid 'VarEd_Info' section found."});
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(VarEdCheckTest, ASyntaxErrorIsShownInABoxOwnedByTheHostsWindowOrTheDesktopAndIgnored)
{
    Check("vared-syntaxerror.elf");
    EXPECT_TRUE(m_statements.IsEmpty());
    const char line[] = "Line: \"pump_task : pump_level = 3 ;\""; // the tab as a blank
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].owner, GetDesktopWindow()) << "the host gives no owner";
    EXPECT_EQ(m_boxes[0].text, line);
    EXPECT_EQ(m_boxes[0].caption, "Syntax error in 'VarEd_Info' section");
    EXPECT_EQ(m_boxes[0].style, static_cast<UINT>(MB_OK));
    EXPECT_EQ(Lines(), std::vector<std::string>{"warning: Ignore wrong 'VarEd_Info' section."});

    const HWND owner = reinterpret_cast<HWND>(0x1234);
    m_server->SetOwnerWindow(owner);
    Check("vared-syntaxerror.elf");
    ASSERT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(m_boxes[1].owner, owner);
    EXPECT_EQ(m_boxes[1].text, line);
}

TEST_F(VarEdCheckTest, AHostThatForbidsMessageBoxesOnlyHearsOfTheSyntaxError)
{
    m_server->SetNoMessageBoxes(1);
    Check("vared-syntaxerror.elf");
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_TRUE(m_statements.IsEmpty());
    EXPECT_EQ(Lines(), std::vector<std::string>{"warning: Ignore wrong 'VarEd_Info' section."});
}

TEST_F(VarEdCheckTest, AProgramWithoutTheSectionIsWarnedAbout)
{
    Check(nullptr);
    EXPECT_TRUE(m_statements.IsEmpty());
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "warning: VarEd (RB) feature is activated but no 'VarEd_Info' section found.",
                           "warning: Use Menu 'Config/Debug Server Configuration/Symbol' to switch off VarEd (RB) "
                           "feature.",
                       }));
}

TEST_F(VarEdCheckTest, WithTheFeatureOffOrNoSymbolServerNothingIsParsedOrSaid)
{
    m_partners->SetGlobalVarEd(FALSE);
    Check("vared-valid.elf");
    Check("vared-syntaxerror.elf");
    Check(nullptr);
    m_server->SetSymbolServer(nullptr);
    Check("vared-valid.elf");
    EXPECT_TRUE(m_statements.IsEmpty());
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_TRUE(Lines().empty());
}

} // namespace
