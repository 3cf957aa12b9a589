#include "modules.h"

#include "crtpath.h"
#include "lasterror.h"
#include "resources.h"
#include "testing/buildpaths.h"
#include "winerror.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

extern "C" HINSTANCE QelWinTestModuleRegister();

namespace {

std::string ProgramPath()
{
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    EXPECT_GT(n, 0);
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

} // namespace

TEST(ModuleFileName, NullModuleIsTheProgram)
{
    char buffer[4096];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), ProgramPath());
    EXPECT_EQ(n, strlen(buffer));
}

TEST(ModuleFileName, LibraryGivesItsFullPath)
{
    HINSTANCE library = QelWinTestModuleRegister();
    ASSERT_NE(library, nullptr);
    char buffer[4096];
    DWORD n = GetModuleFileNameA(library, buffer, sizeof buffer);
    char *expected = _fullpath(nullptr, kQelWinTestModulePath, 0);
    ASSERT_NE(expected, nullptr);
    EXPECT_STREQ(buffer, expected);
    EXPECT_EQ(n, strlen(expected));
    free(expected);
    QelUnregisterModule(library);
}

TEST(ModuleFileName, RegisteredProgramGivesTheProgramPath)
{
    static const QEL_MODULE_RESOURCES none = {nullptr, 0, nullptr, 0};
    HINSTANCE program = QelRegisterModule(&none, &none);
    ASSERT_NE(program, nullptr);
    char buffer[4096];
    GetModuleFileNameA(program, buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), ProgramPath());
    QelUnregisterModule(program);
}

TEST(ModuleFileName, ShortBufferIsTruncatedTerminatedAndReported)
{
    std::string path = ProgramPath();
    ASSERT_GT(path.size(), 4u);
    char buffer[5];
    memset(buffer, 'x', sizeof buffer);
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer), path.substr(0, 4));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    std::string exact(path.size() + 1, 'x');
    EXPECT_EQ(GetModuleFileNameA(nullptr, exact.data(), static_cast<DWORD>(path.size())), path.size())
        << "room for the text but not its terminator is too short";
    EXPECT_EQ(GetModuleFileNameA(nullptr, exact.data(), static_cast<DWORD>(path.size() + 1)), path.size());
    EXPECT_EQ(exact.c_str(), path);
}

TEST(ModuleFileName, UnregisteredModuleIsNotFound)
{
    int notAModule = 0;
    char buffer[64];
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(&notAModule), buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(ModuleHandle, WindowsAndLinuxNamesFindTheLibrary)
{
    HINSTANCE library = QelWinTestModuleRegister();
    ASSERT_NE(library, nullptr);
    for (const char *name : {"qelwin_testmodule.dll", "QelWin_TestModule", "libqelwin_testmodule.so",
                             kQelWinTestModulePath})
        EXPECT_EQ(GetModuleHandleA(name), library) << name;
    EXPECT_EQ(GetModuleHandle("qelwin_testmodule"), library);
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA("qelwin_testmodule."), nullptr) << "a trailing dot means no extension";
    EXPECT_EQ(GetModuleHandleA("testmodule"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    QelUnregisterModule(library);
    EXPECT_EQ(GetModuleHandleA("qelwin_testmodule"), nullptr) << "an unregistered module is not found";
}

TEST(ModuleHandle, SystemLibrariesOfWindowsThatTheLayerDoesNotPlayAreNotThere)
{
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA("gdi32"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_NE(GetModuleHandleA("user32"), nullptr) << "played by this layer";
}

TEST(ModuleHandle, NullIsTheRegisteredProgram)
{
    EXPECT_EQ(GetModuleHandleA(nullptr), nullptr) << "before the program registers";
    static const QEL_MODULE_RESOURCES none = {nullptr, 0, nullptr, 0};
    HINSTANCE program = QelRegisterModule(&none, &none);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), program);
    char path[4096];
    ASSERT_GT(GetModuleFileName(program, path, sizeof path), 0u);
    EXPECT_EQ(GetModuleHandleA(path), program);
    QelUnregisterModule(program);
}
