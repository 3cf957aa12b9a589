#include "afx.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class CRecordingApp : public CWinApp {
public:
    explicit CRecordingApp(BOOL succeed) : CWinApp("Recording"), m_succeed(succeed) {}

    BOOL InitInstance() override
    {
        m_calls += "init;";
        m_initInstance = AfxGetInstanceHandle();
        return m_succeed;
    }
    int ExitInstance() override
    {
        m_calls += "exit;";
        return CWinApp::ExitInstance();
    }

    BOOL m_succeed;
    std::string m_calls;
    HINSTANCE m_initInstance = nullptr;
};

TEST(WinApp, TheLibraryRunnerStartsAndEndsTheApplication)
{
    CRecordingApp app(TRUE);
    {
        QelDllApplicationRunner runner(app);
        EXPECT_TRUE(runner.Started());
        EXPECT_EQ(app.m_calls, "init;");
    }
    EXPECT_EQ(app.m_calls, "init;exit;");
    EXPECT_EQ(app.m_initInstance, AfxGetStaticModuleState()->m_hCurrentInstanceHandle);
}

TEST(WinApp, AnApplicationThatFailedToStartIsNotEnded)
{
    CRecordingApp app(FALSE);
    {
        QelDllApplicationRunner runner(app);
        EXPECT_FALSE(runner.Started());
    }
    EXPECT_EQ(app.m_calls, "init;");
}

TEST(WinApp, TheFirstApplicationObjectIsTheModules)
{
    EXPECT_EQ(AfxGetApp(), nullptr);
    {
        CRecordingApp first(TRUE);
        CRecordingApp second(TRUE);
        EXPECT_EQ(AfxGetApp(), &first);
        EXPECT_STREQ(AfxGetApp()->m_pszAppName, "Recording");
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
}

} // namespace
