#include "windows.h"

#include "testing/buildpaths.h"
#include "testing/ddetesting.h"
#include "testing/tempfolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace {

class ProcessStart : public TempFolder {
protected:
    void TearDown() override
    {
        EXPECT_EQ(QelUnreapedChildren(), "");
        TempFolder::TearDown();
    }

    static BOOL Start(const char *program, const char *mode, PROCESS_INFORMATION *process)
    {
        setenv("QEL_DDEPEER_MODE", mode, 1);
        STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
        startup.wShowWindow = SW_SHOW;
        return CreateProcessA(program, nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                              &startup, process);
    }
    static void Close(PROCESS_INFORMATION &process)
    {
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
        DWORD exitCode = STILL_ACTIVE;
        EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &exitCode));
        EXPECT_EQ(exitCode, 0u);
        EXPECT_TRUE(CloseHandle(process.hThread));
        EXPECT_TRUE(CloseHandle(process.hProcess));
        EXPECT_FALSE(CloseHandle(process.hProcess));
    }
};

} // namespace

TEST_F(ProcessStart, StartsAPathWithBlanksAsTheProgramItself)
{
    // A blank in the path would make a command line search for "a".
    std::filesystem::create_directory(PathOf("a b"));
    std::string program = PathOf("a b/peer x");
    std::filesystem::copy_file(kQelDdePeerPath, program);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(Start(program.c_str(), "end", &process));
    EXPECT_NE(process.dwProcessId, 0u);
    // It ends without ever waiting for input.
    EXPECT_EQ(WaitForInputIdle(process.hProcess, 10000), WAIT_FAILED);
    Close(process);
}

TEST_F(ProcessStart, WaitsForInputIdleOnlyForAMessageLoop)
{
    PROCESS_INFORMATION serving = {}, busy = {};
    ASSERT_TRUE(Start(kQelDdePeerPath, "serve", &serving));
    ASSERT_TRUE(Start(kQelDdePeerPath, "busy", &busy));
    EXPECT_EQ(WaitForInputIdle(serving.hProcess, 10000), 0u);
    EXPECT_EQ(WaitForInputIdle(serving.hProcess, 0), 0u);
    EXPECT_EQ(WaitForInputIdle(busy.hProcess, 100), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForInputIdle(busy.hProcess, 10000), WAIT_FAILED);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForInputIdle(event, 0), WAIT_FAILED);
    CloseHandle(event);
    kill(static_cast<pid_t>(serving.dwProcessId), SIGTERM);
    EXPECT_EQ(WaitForSingleObject(serving.hProcess, 10000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    EXPECT_TRUE(GetExitCodeProcess(serving.hProcess, &exitCode));
    EXPECT_EQ(exitCode, 128u + SIGTERM);
    CloseHandle(serving.hThread);
    CloseHandle(serving.hProcess);
    Close(busy);
}

TEST_F(ProcessStart, RefusesWhatItCannotStartAsAProgram)
{
    PROCESS_INFORMATION process = {};
    EXPECT_FALSE(Start(PathOf("missing").c_str(), "end", &process));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    char commandLine[] = "peer -x";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    EXPECT_FALSE(CreateProcessA(kQelDdePeerPath, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                &process));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(CreateProcessA(nullptr, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ProcessStart, ReapsAChildWhoseHandlesAreClosedFirst)
{
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(Start(kQelDdePeerPath, "busy", &process));
    EXPECT_TRUE(CloseHandle(process.hThread));
    EXPECT_TRUE(CloseHandle(process.hProcess));
    for (int i = 0; i < 500 && !QelUnreapedChildren().empty(); ++i)
        Sleep(10);
}
