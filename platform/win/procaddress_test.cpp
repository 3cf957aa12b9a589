#include "procaddress.h"

#include "lasterror.h"
#include "modules.h"
#include "resources.h"
#include "windowstatus.h"
#include "winerror.h"

#include <gtest/gtest.h>

namespace {

TEST(ProcAddress, TheSystemModulesOfferGetWindowInfo)
{
    HMODULE user32 = GetModuleHandleA("user32");
    ASSERT_NE(user32, nullptr);
    EXPECT_EQ(GetModuleHandleA("USER32.DLL"), user32);
    EXPECT_EQ(GetModuleHandleA("kernel32.dll"), user32);
    EXPECT_EQ(GetProcAddress(user32, "GetWindowInfo"), reinterpret_cast<FARPROC>(reinterpret_cast<void *>(&GetWindowInfo)));
    EXPECT_EQ(GetProcAddress(user32, "GetWindowInfoEx"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(user32, MAKEINTRESOURCEA(1)), nullptr);
    char path[MAX_PATH];
    EXPECT_GT(GetModuleFileNameA(user32, path, sizeof path), 0u);
}

TEST(ProcAddress, UnregisteredModulesAreRefused)
{
    static int notAModule;
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(&notAModule), "main"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetProcAddress(nullptr, "main"), nullptr);
}

extern "C" __attribute__((visibility("default"))) int QelProcAddressTestExport()
{
    return 42;
}

TEST(ProcAddress, ARegisteredModuleGivesItsCExports)
{
    HINSTANCE program = QelRegisterModule(reinterpret_cast<const void *>(&QelProcAddressTestExport), nullptr);
    ASSERT_NE(program, nullptr);
    FARPROC function = GetProcAddress(program, "QelProcAddressTestExport");
    // A program exports its symbols only when linked to; the layer must not crash or
    // give a wrong address either way.
    if (function != nullptr) {
        EXPECT_EQ(reinterpret_cast<int (*)()>(reinterpret_cast<void *>(function))(), 42);
    }
    EXPECT_EQ(GetProcAddress(program, "NoSuchFunctionAnywhere"), nullptr);
    QelUnregisterModule(program);
}

} // namespace
