#include "formatmessage.h"

#include "lasterror.h"
#include "localmemory.h"
#include "winerror.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const DWORD kNeutralDefault = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);

std::string AllocatedText(DWORD code, DWORD language = kNeutralDefault)
{
    LPSTR text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, language, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    if (length == 0)
        return "<failed>";
    std::string copy(text, length);
    EXPECT_EQ(LocalFree(text), nullptr);
    return copy;
}

TEST(FormatMessage, SystemTextsAreWindowsOwnWithTheirLineEnd)
{
    EXPECT_EQ(AllocatedText(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified.\r\n");
    EXPECT_EQ(AllocatedText(ERROR_SUCCESS), "The operation completed successfully.\r\n");
    EXPECT_EQ(AllocatedText(ERROR_INVALID_WINDOW_HANDLE), "Invalid window handle.\r\n");
    EXPECT_EQ(AllocatedText(WAIT_TIMEOUT, 0), "The wait operation timed out.\r\n");
    EXPECT_EQ(AllocatedText(ERROR_ACCESS_DENIED, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT)), "Access is denied.\r\n");
}

TEST(FormatMessage, EveryCodeTheLayerSetsHasAText)
{
    for (DWORD code : {ERROR_PATH_NOT_FOUND, ERROR_INVALID_HANDLE, ERROR_NOT_ENOUGH_MEMORY, ERROR_OUTOFMEMORY,
                       ERROR_NO_MORE_FILES, ERROR_SHARING_VIOLATION, ERROR_NOT_SUPPORTED, ERROR_FILE_EXISTS,
                       ERROR_INVALID_PARAMETER, ERROR_INSUFFICIENT_BUFFER, ERROR_MOD_NOT_FOUND,
                       ERROR_ALREADY_EXISTS, ERROR_MORE_DATA, ERROR_NO_MORE_ITEMS, ERROR_INVALID_FLAGS,
                       ERROR_BADKEY, ERROR_CANTOPEN, ERROR_CANTREAD, ERROR_CANTWRITE, ERROR_KEY_DELETED,
                       ERROR_TLW_WITH_WSCHILD, ERROR_CANNOT_FIND_WND_CLASS, ERROR_CLASS_ALREADY_EXISTS,
                       ERROR_RESOURCE_DATA_NOT_FOUND, ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND,
                       ERROR_RESOURCE_LANG_NOT_FOUND, ERROR_NOT_ENOUGH_QUOTA}) {
        std::string text = AllocatedText(code);
        EXPECT_GT(text.size(), 2u) << code;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
    }
}

TEST(FormatMessage, CallersBufferTakesTheTextOrTheCallFails)
{
    char buffer[64];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, buffer,
                                  sizeof buffer, nullptr);
    EXPECT_EQ(length, 19u);
    EXPECT_STREQ(buffer, "Access is denied.\r\n");

    char small[19];
    SetLastError(0);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, small, sizeof small,
                             nullptr),
              0u)
        << "no room for the terminator";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(FormatMessage, UnknownCodesLanguagesAndSourcesFail)
{
    char buffer[256];
    SetLastError(0);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 0xFFFF, 0, buffer, sizeof buffer, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_SUCCESS, MAKELANGID(0x07, SUBLANG_DEFAULT),
                             buffer, sizeof buffer, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "text", 0, 0, buffer, sizeof buffer, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_SUCCESS, 0, nullptr, 0, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(LocalMemory, OnlyLiveBlocksAreFreed)
{
    LPSTR text = nullptr;
    ASSERT_NE(FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_SUCCESS, 0,
                             reinterpret_cast<LPSTR>(&text), 0, nullptr),
              0u);
    EXPECT_EQ(LocalFree(text), nullptr);
    SetLastError(0);
    EXPECT_EQ(LocalFree(text), text) << "a second free is refused";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    char own[4];
    EXPECT_EQ(LocalFree(own), own);
    EXPECT_EQ(LocalFree(nullptr), nullptr);
}

} // namespace
