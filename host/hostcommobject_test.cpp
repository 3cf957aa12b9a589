#include "debugserver.h"
#include "hostcommobject.h"

#include <oletarcmdcaller.h>
#include <qelcommvariable.h>
#include <qelhostframe.h>

#include <gtest/gtest.h>

namespace {

using QelHost::CHostDebugServer;

struct CommObjectTest : ::testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &server), S_OK);
        host = static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(server.p));
        host->Target()->MapMemory(0x20000000, 0x100);
    }
    CComPtr<IUnknown> server;
    CHostDebugServer *host = nullptr;
};

TEST_F(CommObjectTest, Command200WithSevenGivesAnInnerObjectOverTheTargetsMemory)
{
    COleTarCmdCaller caller(server, &CGID_QelHostCommands);
    CComPtr<IUnknown> first, second;
    ASSERT_EQ(caller.RequestCommVariable(7, nullptr, &first), S_OK);
    ASSERT_EQ(caller.RequestCommVariable(7, "name", &second), S_OK);
    EXPECT_NE(first, second); // one for each caller

    CComQIPtr<IQelComplexMemory> memory(first);
    ASSERT_NE(memory, nullptr);
    BYTE bytes[2] = {0x12, 0x34}, back[2] = {};
    EXPECT_EQ(memory->WriteMemory(0x20000010, 2, bytes), S_OK);
    CComQIPtr<IQelTargetMemory> hostMemory(server);
    EXPECT_EQ(hostMemory->ReadBlock(3, 0x20000010, 2, back, 0), S_OK);
    EXPECT_EQ(back[1], 0x34);

    // The further interface is an idle object of its own, answering for its identifier
    // (the value notices are the variable services' concern); nothing else is offered.
    for (const IID *iid : {&IID_QelCommObject28CDD976}) {
        CComPtr<IUnknown> idle;
        ASSERT_EQ(first->QueryInterface(*iid, reinterpret_cast<void **>(&idle)), S_OK) << "an idle object";
        CComPtr<IUnknown> again;
        EXPECT_EQ(idle->QueryInterface(*iid, reinterpret_cast<void **>(&again)), S_OK);
        EXPECT_EQ(again, idle);
    }
    CComPtr<IUnknown> none;
    EXPECT_EQ(first->QueryInterface(qel_uuidof<IQelCommVariableObj>(), reinterpret_cast<void **>(&none)),
              E_NOINTERFACE);
}

TEST_F(CommObjectTest, OtherNumbersOf200GoToTheSymbolServer)
{
    // Without a carried symbol server nobody answers them.
    COleTarCmdCaller caller(server, &CGID_QelHostCommands);
    CComPtr<IUnknown> object;
    EXPECT_EQ(caller.RequestCommVariable(8, nullptr, &object), E_INVALIDARG);
    EXPECT_EQ(object, nullptr);
    CVariantArray out(1);
    EXPECT_EQ(caller.Exec(200, nullptr, &out, 0), OLECMDERR_E_NOTSUPPORTED);
}

} // namespace
