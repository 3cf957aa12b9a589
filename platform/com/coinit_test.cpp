#include "ole2.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(CoInitialize, AnswersSFalseWhileTheThreadHasComStarted)
{
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    HRESULT other = E_FAIL;
    std::thread([&] {
        other = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        CoUninitialize();
    }).join();
    EXPECT_EQ(other, S_OK);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
}

TEST(CoInitialize, RefusesReservedPointersAndUnknownFlags)
{
    int reserved = 0;
    EXPECT_EQ(CoInitialize(&reserved), E_INVALIDARG);
    EXPECT_EQ(CoInitializeEx(nullptr, 0x100), E_INVALIDARG);
}

} // namespace
