// The controller engine as the host drives it: QelSymbol carried by the host's
// debug-server object, whose controller information loads the registers through the
// server's IQelControllerEngine and answers the clients' controller questions from it.
#include "korvextestmodule.h"

#include <sfrtesting.h>

#include <controllerinfoholder.h>
#include <debugserver.h>
#include <qelcontrollerengine.h>
#include <sfrlists.h>
#include <symbolprocessing.h>
#include <testing/countedobject.h>
#include <testing/stgtesting.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class ControllerHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_.Register();
        if (HasFatalFailure())
            return;
        std::string pattern = (fs::temp_directory_path() / "sfrhost-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        sample_ = (folder_ / "sample.mdb").string();
        sfrtest::BuildDatabase(sfrtest::SampleText(), sample_);
        QelHost::ControllerConfig config;
        config.sfrAddresses["SP"] = 0xFC00; // configured names come first
        ASSERT_EQ(QelHost::CreateDebugServer(config, &host_), S_OK);
        ASSERT_EQ(DebugServer()->CreateSymbolServer(CLSID_QelSymbol), S_OK);
        ASSERT_EQ(host_->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&srv_)), S_OK);
        ASSERT_EQ(srv_->Init(host_, nullptr), S_OK);
        storage_.Attach(NewMemoryStorage());
        ASSERT_EQ(srv_->Init(storage_, &gui_), S_OK);
        ASSERT_EQ(srv_->RestoreSettings(), S_OK);
        controller_ = host_;
        ASSERT_FALSE(!controller_);
    }
    void TearDown() override
    {
        controller_.Release();
        if (srv_ != nullptr)
            srv_->Cleanup();
        srv_.Release();
        if (host_ != nullptr)
            DebugServer()->ReleaseSymbolServer();
        host_.Release();
        module_.Revoke();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    QelHost::CHostDebugServer *DebugServer()
    {
        return static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host_.p));
    }
    HRESULT Load(const std::string &param) { return controller_->LoadSFRegisters(CComBSTR(param.c_str())); }

    CKorvexTestModule module_;
    fs::path folder_;
    std::string sample_;
    CComPtr<IUnknown> host_;
    CComPtr<IQelSymbSrv> srv_;
    CComPtr<IStorage> storage_;
    CountedObject gui_;
    CControllerInfoHolder controller_;
};

TEST_F(ControllerHost, TheClientsRegisterAddressesComeFromTheLoadedDatabase)
{
    CSymbolProcessing client(host_, FALSE, FALSE);
    ULONG address = 0;
    EXPECT_FALSE(client.GetSFRegisterAddress("PSW", &address)); // nothing loaded yet
    EXPECT_EQ(address, 0xFFFFFFFFu);
    CComBSTR name;
    EXPECT_EQ(controller_->SFRegisterName(0x88, 1, &name), E_FAIL);

    ASSERT_EQ(Load(sample_), S_OK);
    EXPECT_TRUE(client.GetSFRegisterAddress("PSW", &address));
    EXPECT_EQ(address, 0xFF10u);
    EXPECT_TRUE(client.GetSFRegisterAddress("SP", &address));
    EXPECT_EQ(address, 0xFC00u); // configured, not the database's 0xFE12
    EXPECT_FALSE(client.GetSFRegisterAddress("NOSUCH", &address));
    EXPECT_EQ(controller_->SFRegisterName(0x88, 1, &name), S_OK);
    EXPECT_EQ(CString(name), "PSW");
    name.Empty();
    EXPECT_EQ(controller_->SFRegisterBit(0xCE, 6, 1, &name), S_OK);
    EXPECT_EQ(CString(name), "T0IC.IE");
    name.Empty();
    EXPECT_EQ(controller_->SFRegisterBit(0xCE, 2, 1, &name), S_FALSE);
    ULONG start = 0, end = 0;
    EXPECT_EQ(controller_->SFRegisterRR(7, &start, &end), S_OK);
    EXPECT_EQ(start, 0xF600u);
    CComVariant blocks, list;
    EXPECT_EQ(controller_->SFRBlocks(&blocks), S_OK);
    EXPECT_EQ(blocks.parray->rgsabound[0].cElements, 6u);
    EXPECT_EQ(controller_->CreateICRegisterList(&list), S_OK);
    EXPECT_EQ(list.parray->rgsabound[0].cElements, 12u);

    // A load that finds nothing empties the tables.
    EXPECT_EQ(Load((folder_ / "missing.mdb").string()), S_FALSE);
    EXPECT_FALSE(client.GetSFRegisterAddress("PSW", &address));
    EXPECT_FALSE(client.GetSFRegisterAddress("_QUICK_HACK_ALL_", &address));
}

TEST_F(ControllerHost, ThePseudoNamesGiveHandlesOfTheEnginesLists)
{
    ASSERT_EQ(Load(sample_), S_OK);
    CSymbolProcessing client(host_, FALSE, FALSE);
    ULONG all = 0, blocks = 0;
    ASSERT_TRUE(client.GetSFRegisterAddress("_QUICK_HACK_ALL_", &all));
    ASSERT_TRUE(client.GetSFRegisterAddress("_QUICK_HACK_BLOCKS_", &blocks));
    CSfrRegisterListReference registers(all);
    ASSERT_FALSE(!registers);
    ASSERT_EQ(registers->GetSize(), 12);
    const _SpecialFunctionRegisterTag &p2 = (*registers.Get())[5];
    EXPECT_EQ(p2.Name, "P2");
    EXPECT_EQ(p2.Description, "Port 2 data");
    EXPECT_EQ(p2.HWModBitMask, 0xFFFFu);
    EXPECT_EQ(p2.SFRBlockIndex, 2u);
    ASSERT_EQ(p2.Fields.GetSize(), 2);
    EXPECT_EQ(p2.Fields[1].Name, "CC0IO");
    CSfrBlockListReference list(blocks);
    ASSERT_FALSE(!list);
    ASSERT_EQ(list->GetSize(), 3);
    EXPECT_EQ((*list.Get())[p2.SFRBlockIndex - 1].Name, "PORTS");
}

TEST_F(ControllerHost, OnlyQelSymbolOffersItsEngineAndIQelSymbolKeepsItsSlotsEmpty)
{
    CComPtr<IQelControllerEngine> engine;
    ASSERT_EQ(host_->QueryInterface(IID_IQelControllerEngine, reinterpret_cast<void **>(&engine)), S_OK);
    CComPtr<IUnknown> identity, engineIdentity;
    host_->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity));
    engine->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&engineIdentity));
    EXPECT_EQ(identity, engineIdentity);
    CComPtr<IQelSymbol> symbol;
    ASSERT_EQ(host_->QueryInterface(IID_IQelSymbol, reinterpret_cast<void **>(&symbol)), S_OK);
    ASSERT_EQ(engine->LoadSFRegisters(CComBSTR(sample_.c_str())), S_OK);
    ULONG address = 0;
    EXPECT_EQ(symbol->LoadSFRegisters(CComBSTR(sample_.c_str())), E_NOTIMPL);
    EXPECT_EQ(symbol->SFRegisterAddress(CComBSTR("PSW"), &address), E_NOTIMPL);
    EXPECT_EQ(address, 0u);
    EXPECT_EQ(engine->SFRegisterAddress(CComBSTR("PSW"), &address), S_OK);
    EXPECT_EQ(address, 0xFF10u);
    EXPECT_EQ(engine->WordSize(nullptr), E_NOTIMPL);

    CComPtr<IUnknown> pcpHost;
    ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &pcpHost), S_OK);
    auto *pcp = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(pcpHost.p));
    ASSERT_EQ(pcp->CreateSymbolServer(CLSID_QelSymbolPCP), S_OK);
    CComPtr<IQelControllerEngine> none;
    EXPECT_EQ(pcpHost->QueryInterface(IID_IQelControllerEngine, reinterpret_cast<void **>(&none)), E_NOINTERFACE);
    CControllerInfoHolder pcpController;
    pcpController = pcpHost;
    EXPECT_EQ(pcpController->LoadSFRegisters(CComBSTR(sample_.c_str())), E_FAIL);
    pcp->ReleaseSymbolServer();
}

} // namespace
