#include <windows.h>

#include <testing/buildpaths.h>

#include <gtest/gtest.h>

namespace {

TEST(Libraries, ALoadedLibraryGivesItsFunctionsUntilItIsFreed)
{
    HMODULE library = LoadLibraryA(kQelWinTestModulePath);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(LoadLibraryA(kQelWinTestModulePath), library); // a second reference
    EXPECT_NE(GetProcAddress(library, "QelWinTestModuleRegister"), nullptr);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(library, "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_TRUE(FreeLibrary(library));
    EXPECT_TRUE(FreeLibrary(library));
    EXPECT_FALSE(FreeLibrary(library));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Libraries, AFileThatIsNoLibraryIsNotLoaded)
{
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("/nonexistent/libNothing.so"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
}

} // namespace
