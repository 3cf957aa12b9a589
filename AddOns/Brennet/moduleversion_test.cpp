#include "moduleversion.h"
#include "qelversioninfoimpl.h"
#include "systemerrortext.h"

#include <testing/buildpaths.h>
#include <testing/comallocbalance.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// This test program carries the version resource that the build step wrote for it:
// FileVersion 3.1.4.159, InternalName "BrennetTest", in U.S. English with code page 1252.
class ModuleVersion : public ComAllocBalance {};

TEST_F(ModuleVersion, ReadsTheBuildStepsResourceOfAModule)
{
    Win32Ext::CModuleVersion version;
    ASSERT_TRUE(version.GetFileVersionInfo(AfxGetInstanceHandle()));
    EXPECT_EQ(version.m_fixedInfo.dwFileVersionMS, 0x00030001u);
    EXPECT_EQ(version.m_fixedInfo.dwFileVersionLS, 0x0004009Fu);
    EXPECT_EQ(version.m_language, 0x0409);
    EXPECT_EQ(version.m_codePage, 0x04E4);
    CString text;
    EXPECT_TRUE(version.GetValue("FileVersion", text));
    EXPECT_STREQ(text, "3.1.4.159");
    EXPECT_TRUE(version.GetValue("FileDescription", text));
    EXPECT_STREQ(text, "Brennet test module");
    EXPECT_FALSE(version.GetValue("CompanyName", text));

    // A text fits a buffer only with its terminator; otherwise the buffer stays as it was.
    char buffer[16];
    strcpy(buffer, "untouched");
    EXPECT_FALSE(version.GetValue("FileVersion", buffer, 9));
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_TRUE(version.GetValue("FileVersion", buffer, 10));
    EXPECT_STREQ(buffer, "3.1.4.159");
}

TEST_F(ModuleVersion, AShortBufferGetsACutBlockThatIsReadInsideIt)
{
    CString path;
    ASSERT_TRUE(Win32Ext::GetModulePath(AfxGetInstanceHandle(), path));
    DWORD size = GetFileVersionInfoSizeA(path, nullptr);
    ASSERT_GT(size, 200u);
    std::vector<BYTE> data(200);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, 200, data.data()));
    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", &value, &length)); // the root's value lies before the cut
    EXPECT_FALSE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904e4\\FileDescription", &value, &length));
}

TEST_F(ModuleVersion, TakesTheTranslationThatTheModuleGives)
{
    HMODULE library = LoadLibraryA(kBrennetDllVersionLibraryPath);
    ASSERT_NE(library, nullptr);
    Win32Ext::CModuleVersion version;
    EXPECT_TRUE(version.GetFileVersionInfo(kBrennetDllVersionLibraryPath));
    EXPECT_EQ(version.m_language, 0x0407);
    EXPECT_EQ(version.m_codePage, 0x04B0);
    CString text;
    EXPECT_TRUE(version.GetValue("FileVersion", text));
    EXPECT_STREQ(text, "5.6.7.0");
    FreeLibrary(library);
}

TEST_F(ModuleVersion, AModuleWithoutVersionResourceGivesNothing)
{
    Win32Ext::CModuleVersion version;
    EXPECT_FALSE(version.GetFileVersionInfo(GetModuleHandleA("kernel32")));
    CString text;
    EXPECT_FALSE(version.GetValue("FileVersion", text));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(version.m_fixedInfo.dwSignature, 0u);
    EXPECT_EQ(version.m_codePage, 0x04E4);
    EXPECT_FALSE(version.GetFileVersionInfo(reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(8))));
}

TEST_F(ModuleVersion, AsksALibraryForItsVersion)
{
    DLLVERSIONINFO info{};
    ASSERT_TRUE(Win32Ext::CModuleVersion::DllGetVersion(kBrennetDllVersionLibraryPath, info));
    EXPECT_EQ(info.cbSize, 20u);
    EXPECT_EQ(info.dwMajorVersion, 5u);
    EXPECT_EQ(info.dwMinorVersion, 6u);
    EXPECT_EQ(info.dwBuildNumber, 7u);
    EXPECT_EQ(info.dwPlatformID, DLLVER_PLATFORM_NT);
    CString layer;
    ASSERT_TRUE(Win32Ext::GetModulePath(GetModuleHandleA("kernel32"), layer));
    EXPECT_FALSE(Win32Ext::CModuleVersion::DllGetVersion(layer, info)); // it has no DllGetVersion
    EXPECT_FALSE(Win32Ext::CModuleVersion::DllGetVersion("/nonexistent/libNone.so", info));
}

TEST_F(ModuleVersion, TheVersionObjectAnswersTheModulesValues)
{
    Win32Ext::CModuleVersion version;
    ASSERT_TRUE(version.GetFileVersionInfo(AfxGetInstanceHandle()));
    CComPtr<IQelVersionInfo> info;
    ASSERT_EQ(CreateModuleVersionInfo(version, &info, 11, 22), S_OK);
    LONG (IQelVersionInfo::*const numbers[])(LONG *) = {
        &IQelVersionInfo::GetMajorVersion, &IQelVersionInfo::GetMinorVersion,  &IQelVersionInfo::GetReleaseNumber,
        &IQelVersionInfo::GetBuildNumber,  &IQelVersionInfo::GetFirstNumber,   &IQelVersionInfo::GetSecondNumber,
    };
    const LONG expected[] = {3, 1, 4, 159, 11, 22};
    for (size_t i = 0; i < 6; ++i) {
        LONG value = -1;
        EXPECT_EQ(((*info).*numbers[i])(&value), S_OK) << i;
        EXPECT_EQ(value, expected[i]) << i;
        EXPECT_EQ(((*info).*numbers[i])(nullptr), E_POINTER) << i;
    }
    CComBSTR name, description, path;
    EXPECT_EQ(info->GetInternalName(&name), S_OK);
    EXPECT_EQ(info->GetDescription(&description), S_OK);
    EXPECT_EQ(info->GetModulePath(&path), S_OK);
    EXPECT_EQ(CString(name.m_str), "BrennetTest");
    EXPECT_EQ(CString(description.m_str), "Brennet test module");
    CString ownPath;
    ASSERT_TRUE(Win32Ext::GetModulePath(AfxGetInstanceHandle(), ownPath));
    EXPECT_EQ(CString(path.m_str), ownPath);
    EXPECT_EQ(info->GetInternalName(nullptr), E_POINTER);
    EXPECT_EQ(info->GetDescription(nullptr), E_POINTER);
    EXPECT_EQ(info->GetModulePath(nullptr), E_POINTER);
    EXPECT_EQ(CreateModuleVersionInfo(version, nullptr, 0, 0), E_POINTER);
}

TEST_F(ModuleVersion, SystemErrorTextsComeFromTheSystem)
{
    CString expected, text;
    LPSTR message = nullptr;
    ASSERT_NE(FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                             ERROR_FILE_NOT_FOUND, 0, reinterpret_cast<LPSTR>(&message), 0, nullptr),
              0u);
    expected = message;
    LocalFree(message);
    EXPECT_STREQ(GetSystemErrorText(ERROR_FILE_NOT_FOUND, text), expected);
    EXPECT_STREQ(GetSystemErrorText(ERROR_FILE_NOT_FOUND, text, "Cannot start: %s"), "Cannot start: " + expected);
    EXPECT_STREQ(GetSystemErrorText(0xDEADBEEF, text), "");
}

} // namespace
