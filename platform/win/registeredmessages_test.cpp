#include "registeredmessages.h"

#include "lasterror.h"
#include "winerror.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>

TEST(RegisteredMessages, SameNameGivesTheSameNumberBlindToCase)
{
    UINT number = RegisterWindowMessageA("QELSYMBOLREQUEST");
    EXPECT_GE(number, 0xC000u);
    EXPECT_LE(number, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessageA("QELSYMBOLREQUEST"), number);
    EXPECT_EQ(RegisterWindowMessageA("QelSymbolRequest"), number);
    EXPECT_NE(RegisterWindowMessageA("QELSYMBOLREQUEST2"), number);
}

TEST(RegisteredMessages, NumbersAreProcessWide)
{
    UINT mine = RegisterWindowMessageA("QelRegisteredAcrossThreads");
    UINT theirs = 0;
    std::thread([&] { theirs = RegisterWindowMessageA("qelregisteredacrossthreads"); }).join();
    EXPECT_EQ(theirs, mine);
}

TEST(RegisteredMessages, MissingEmptyAndOverlongNamesAreRefused)
{
    SetLastError(0);
    EXPECT_EQ(RegisterWindowMessageA(nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
    EXPECT_EQ(RegisterWindowMessageA(std::string(256, 'x').c_str()), 0u);
    EXPECT_NE(RegisterWindowMessageA(std::string(255, 'x').c_str()), 0u);
}
