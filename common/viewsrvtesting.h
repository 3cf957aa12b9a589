// What the tests of the view-server items and the command handlers share: view servers
// written into the registry as their own registration writes them.
#pragma once

#include "viewsrvregistry.h"

#include "testing/emptyregistry.h"

#include <gtest/gtest.h>

#include <string>

namespace ViewSrvTesting {

// The owning server of the tests' view servers.
DEFINE_GUID(CLSID_TestServer, 0x1A2B3C4D, 0x0001, 0x0002, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A);
constexpr const char *kTestServerText = "{1A2B3C4D-0001-0002-0304-05060708090A}";

inline void SetText(const std::string &path, const char *name, const char *text)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                             static_cast<DWORD>(strlen(text) + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

inline void SetDword(const std::string &path, const char *name, DWORD value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

inline std::string ViewServerPath(const std::string &name)
{
    return std::string(QEL_VIEWSERVER_KEY "\\") + name;
}

// A view server's own key, with the required values.
inline void WriteViewServer(const std::string &name, const char *clsid, DWORD viewCat = 1, DWORD multiInst = 1)
{
    SetText(ViewServerPath(name), nullptr, clsid);
    SetDword(ViewServerPath(name), "ViewCat", viewCat);
    SetDword(ViewServerPath(name), "MultiInst", multiInst);
}

// The entry of a view server below its owning server.
inline void ListViewServer(const std::string &name, const char *clsid, const char *server = kTestServerText)
{
    SetText(ViewServerPath(server) + "\\" + clsid, nullptr, name.c_str());
}

// Both: a view server registered for the test server.
inline void RegisterViewServer(const std::string &name, const char *clsid, DWORD viewCat = 1, DWORD multiInst = 1)
{
    WriteViewServer(name, clsid, viewCat, multiInst);
    ListViewServer(name, clsid);
}

} // namespace ViewSrvTesting
