// The world of the program tests: the library's symbol server inside a host debug-server
// object of a 32-bit controller, started as the host starts it, and a folder of the
// test's own where programs are copied before they are loaded, since a load writes its
// database beside the program.
#pragma once

#include "korvextestmodule.h"

#include <debugserver.h>
#include <hosttarget.h>
#include <qelsymbolserver.h>
#include <symbolprocessing.h>

#include <testing/buildpaths.h>
#include <testing/countedobject.h>
#include <testing/messagepump.h>
#include <testing/stgtesting.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

class ProgramServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_module.Register();
        if (HasFatalFailure())
            return;
        QelHost::ControllerConfig config;
        config.wordSize = 32;
        ASSERT_EQ(QelHost::CreateDebugServer(config, &m_host), S_OK);
        m_target = HostObject()->Target();
        ASSERT_EQ(HostObject()->CreateSymbolServer(CLSID_QelSymbol), S_OK);
        ASSERT_EQ(m_host->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&m_srv)), S_OK);
        ASSERT_EQ(m_srv->Init(m_host, nullptr), S_OK);
        m_storage.Attach(NewMemoryStorage());
        ASSERT_EQ(m_srv->Init(m_storage, &m_gui), S_OK);
        ASSERT_EQ(m_srv->RestoreSettings(), S_OK);
        std::string folder = (std::filesystem::temp_directory_path() / "qelprogram-XXXXXX").string();
        ASSERT_NE(mkdtemp(folder.data()), nullptr);
        m_folder = folder;
    }

    // Subclasses release what they hold on the server first.
    void TearDown() override
    {
        m_client.reset();
        if (m_srv != nullptr)
            m_srv->Cleanup();
        m_srv.Release();
        if (m_host != nullptr)
            HostObject()->ReleaseSymbolServer();
        m_host.Release();
        m_module.Revoke();
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    // Loads testdata/`program` through a new symbol client and waits for its result;
    // with `target` the simulated target takes its image too, and then `core` over it.
    void LoadProgram(const std::string &program, bool target, const std::string &core = "")
    {
        namespace fs = std::filesystem;
        const fs::path copy = m_folder / fs::path(program).filename();
        if (!fs::exists(copy))
            fs::copy_file(fs::path(kQelSourceDir) / "testdata" / program, copy);
        std::string reason;
        if (target) {
            ASSERT_TRUE(m_target->LoadProgram(copy.c_str(), &reason)) << reason;
        }
        if (!core.empty()) {
            ASSERT_TRUE(m_target->LoadCore((fs::path(kQelSourceDir) / "testdata" / core).c_str(), &reason)) << reason;
        }
        m_client = std::make_unique<CSymbolProcessing>(m_host, TRUE, FALSE);
        LONG status = -1;
        const int load = m_client->LoadFile(copy.c_str(), 1, nullptr);
        ASSERT_TRUE(m_client->RegisterProgramInfoCallbackWithId(load, OnLoaded, reinterpret_cast<DWORD_PTR>(&status)));
        ASSERT_TRUE(QelPumpMessagesUntil([&] { return status != -1; }, 60000));
        ASSERT_EQ(status, 0);
    }

    QelHost::CHostDebugServer *HostObject()
    {
        return static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(m_host.p));
    }

    CKorvexTestModule m_module;
    CComPtr<IUnknown> m_host;
    QelHost::CHostTarget *m_target = nullptr;
    CComPtr<IQelSymbSrv> m_srv;
    CComPtr<IStorage> m_storage;
    CountedObject m_gui;
    std::filesystem::path m_folder;
    std::unique_ptr<CSymbolProcessing> m_client;

private:
    static void OnLoaded(int, const ProgramLoadResult *result, DWORD_PTR context)
    {
        *reinterpret_cast<LONG *>(context) = result->Status;
    }
};
