#include "debugserver.h"
#include "hostcfgprofile.h"

#include <controllerinfoholder.h>

#include "testing/comallocbalance.h"
#include "testing/countedobject.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using QelHost::CHostDebugServer;
using QelHost::CHostTargetObject;
using QelHost::CHostWindowValues;
using QelHost::ControllerConfig;

// A new object with one reference, the caller's.
template <class Object>
CComPtr<Object> Make()
{
    CComObject<Object> *object = nullptr;
    EXPECT_EQ(CComObject<Object>::CreateInstance(&object), S_OK);
    return CComPtr<Object>(object);
}

ULONG References(IUnknown *object)
{
    object->AddRef();
    return object->Release();
}

ControllerConfig TriCore()
{
    ControllerConfig config;
    config.wordSize = 32;
    config.coreRegisters = {"PCXI", "PSW", "PC"};
    return config;
}

class ControllerInfoHolderTest : public ComAllocBalance {};

TEST_F(ControllerInfoHolderTest, ReachesTheHostsControllerInformationThroughItsChain)
{
    CComPtr<IUnknown> server;
    ASSERT_EQ(QelHost::CreateDebugServer(TriCore(), &server), S_OK);

    CControllerInfoHolder holder(server);
    ASSERT_FALSE(!holder);
    LONG bits = 0;
    EXPECT_EQ(holder->WordSize(&bits), S_OK);
    EXPECT_EQ(bits, 32);

    VARIANT registers;
    ASSERT_EQ(holder->CoreRegisters(&registers), S_OK);
    ASSERT_EQ(registers.vt, VT_ARRAY | VT_BSTR);
    LONG upper = -1;
    EXPECT_EQ(SafeArrayGetUBound(registers.parray, 1, &upper), S_OK);
    ASSERT_EQ(upper, 2);
    BSTR *names = nullptr;
    ASSERT_EQ(SafeArrayAccessData(registers.parray, reinterpret_cast<void **>(&names)), S_OK);
    EXPECT_EQ(std::u16string(names[0]), u"PCXI");
    EXPECT_EQ(std::u16string(names[1]), u"PSW");
    EXPECT_EQ(std::u16string(names[2]), u"PC");
    SafeArrayUnaccessData(registers.parray);
    EXPECT_EQ(VariantClear(&registers), S_OK);

    // The highest address is the target preset's, unless set.
    auto *host = static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(server.p));
    ULONG highest = 0;
    for (auto preset : {QelHost::TargetPreset::C16x, QelHost::TargetPreset::TriCore, QelHost::TargetPreset::Arm}) {
        host->Target()->SetPreset(preset);
        EXPECT_EQ(holder->MaxAddressMask(&highest), S_OK);
        EXPECT_EQ(highest, preset == QelHost::TargetPreset::C16x ? 0xFFFFFFu : 0xFFFFFFFFu);
    }
    static_cast<QelHost::CHostControllerInfo *>(static_cast<IQelControllerInfo *>(holder))->SetMaxAddressMask(0x3FFFF);
    EXPECT_EQ(holder->MaxAddressMask(&highest), S_OK);
    EXPECT_EQ(highest, 0x3FFFFu);
    EXPECT_EQ(holder->MaxAddressMask(nullptr), E_POINTER);
    EXPECT_EQ(Make<QelHost::CHostControllerInfo>()->MaxAddressMask(&highest), E_FAIL) << "no target to ask";
}

TEST_F(ControllerInfoHolderTest, TheWordIsTheTargetPresetsUnlessConfigured)
{
    CComPtr<IUnknown> server;
    ASSERT_EQ(QelHost::CreateDebugServer(ControllerConfig(), &server), S_OK);
    CControllerInfoHolder holder(server);
    ASSERT_FALSE(!holder);
    auto *host = static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(server.p));
    LONG bits = 0;
    EXPECT_EQ(holder->WordSize(&bits), S_OK);
    EXPECT_EQ(bits, 32) << "a new target is an ARM one";
    for (auto preset : {QelHost::TargetPreset::C16x, QelHost::TargetPreset::TriCore, QelHost::TargetPreset::Arm}) {
        host->Target()->SetPreset(preset);
        EXPECT_EQ(holder->WordSize(&bits), S_OK);
        EXPECT_EQ(bits, preset == QelHost::TargetPreset::C16x ? 16 : 32);
    }
    EXPECT_EQ(Make<QelHost::CHostControllerInfo>()->WordSize(&bits), E_FAIL) << "no target to ask";
}

TEST_F(ControllerInfoHolderTest, KeepsOnlyTheControllerInformation)
{
    CComPtr<IUnknown> server;
    ASSERT_EQ(QelHost::CreateDebugServer(ControllerConfig(), &server), S_OK);
    CControllerInfoHolder holder;
    holder = server;
    ASSERT_FALSE(!holder);

    // The objects on the way are held by the chain alone again.
    CComQIPtr<IQelHostHolder> hostHolder(server.p);
    CComPtr<IUnknown> values;
    ASSERT_EQ(hostHolder->GetWindowValues(&values), S_OK);
    EXPECT_EQ(References(values), 2u); // the server's and ours

    // With the server gone, the holder's reference is the last.
    CComPtr<IQelControllerInfo> info = static_cast<IQelControllerInfo *>(holder);
    holder.Release();
    values.Release();
    hostHolder.Release();
    server.Release();
    EXPECT_EQ(info.Detach()->Release(), 0u);
}

TEST_F(ControllerInfoHolderTest, AHostWithoutTheHolderInterfaceGivesNothing)
{
    CountedObject notAHost;
    CControllerInfoHolder holder(&notAHost);
    EXPECT_TRUE(!holder);
    EXPECT_EQ(notAHost.References(), 1u);

    CControllerInfoHolder none(nullptr);
    EXPECT_TRUE(!none);
}

TEST_F(ControllerInfoHolderTest, AFailedStepLeavesTheHolderEmpty)
{
    CComPtr<CHostDebugServer> server = Make<CHostDebugServer>();
    CComPtr<CHostWindowValues> values = Make<CHostWindowValues>();
    CComPtr<CHostTargetObject> target = Make<CHostTargetObject>();
    CComPtr<IUnknown> host = static_cast<IQelHostHolder *>(server);

    // Slot 16 gives no object.
    EXPECT_TRUE(!CControllerInfoHolder(host));

    // The object of slot 16 is not the window-value interface.
    server->SetWindowValues(static_cast<IQelTargetObject *>(target));
    EXPECT_TRUE(!CControllerInfoHolder(host));

    // Slot 24 gives no object.
    server->SetWindowValues(static_cast<IQelWindowValues *>(values));
    EXPECT_TRUE(!CControllerInfoHolder(host));

    // Slot 27 gives no object, then one without the controller information.
    values->SetTarget(target);
    EXPECT_TRUE(!CControllerInfoHolder(host));
    CountedObject notAController;
    target->SetController(&notAController);
    EXPECT_TRUE(!CControllerInfoHolder(host));
    target->SetController(nullptr);
    EXPECT_EQ(notAController.References(), 1u);

    // With the last step in place the walk succeeds.
    CComPtr<QelHost::CHostControllerInfo> controller = Make<QelHost::CHostControllerInfo>();
    target->SetController(static_cast<IQelControllerInfo *>(controller));
    EXPECT_FALSE(!CControllerInfoHolder(host));
}

// Answers S_OK and gives nothing, as a careless host might.
class CSilentWindowValues : public CHostWindowValues {
public:
    STDMETHODIMP GetTargetObject(IQelTargetObject **ppTarget) override
    {
        *ppTarget = nullptr;
        return S_OK;
    }
};

TEST_F(ControllerInfoHolderTest, AStepThatSucceedsWithoutAnObjectLeavesTheHolderEmpty)
{
    CComPtr<CHostDebugServer> server = Make<CHostDebugServer>();
    CComPtr<CSilentWindowValues> values = Make<CSilentWindowValues>();
    server->SetWindowValues(static_cast<IQelWindowValues *>(values));
    EXPECT_TRUE(!CControllerInfoHolder(static_cast<IQelHostHolder *>(server)));
}

TEST_F(ControllerInfoHolderTest, AssigningAnotherHostReplacesOrEmptiesTheHolder)
{
    CComPtr<IUnknown> first, second;
    ControllerConfig c16x;
    c16x.wordSize = 16;
    ASSERT_EQ(QelHost::CreateDebugServer(c16x, &first), S_OK);
    ASSERT_EQ(QelHost::CreateDebugServer(TriCore(), &second), S_OK);

    CControllerInfoHolder holder(first);
    CComPtr<IQelControllerInfo> firstInfo = static_cast<IQelControllerInfo *>(holder);
    EXPECT_EQ(References(firstInfo), 3u); // the chain's, the holder's, ours

    holder = second;
    LONG bits = 0;
    ASSERT_FALSE(!holder);
    EXPECT_EQ(holder->WordSize(&bits), S_OK);
    EXPECT_EQ(bits, 32);
    EXPECT_EQ(References(firstInfo), 2u);

    CountedObject notAHost;
    holder = &notAHost;
    EXPECT_TRUE(!holder);
}

class HostDiagnosticsTest : public ComAllocBalance {};

TEST_F(HostDiagnosticsTest, TheDebugServerIsTheMessageSinkAndRecordsItsLines)
{
    auto reports = std::make_shared<QelHost::HostReports>();
    reports->SetLevel(20);
    CComPtr<IUnknown> server;
    ASSERT_EQ(QelHost::CreateDebugServer(ControllerConfig(), &server, reports), S_OK);
    CComQIPtr<IQelMessageSink> sink(server.p);
    ASSERT_FALSE(!sink);

    DWORD level = 0;
    EXPECT_EQ(sink->GetLevel(&level), S_OK);
    EXPECT_EQ(level, 20u);
    EXPECT_EQ(sink->TraceLine(1, u"QelSymbolEngine", u"No VarEd_Info"), S_OK);
    EXPECT_EQ(sink->TraceLine(1, u"QelSymbolEngine", nullptr), E_POINTER);
    ASSERT_EQ(reports->TraceLines().size(), 1u);
    EXPECT_EQ(reports->TraceLines()[0].text, "No VarEd_Info");
}

TEST_F(HostDiagnosticsTest, ARegistrationHoldsTheObjectUntilItIsUnregistered)
{
    CComPtr<CHostDebugServer> server = Make<CHostDebugServer>();
    CountedObject component;
    DWORD first = 0, second = 0;
    EXPECT_EQ(server->Register(&component, &first), S_OK);
    EXPECT_EQ(server->Register(&component, &second), S_OK);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(server->Registrations(), 2u);
    EXPECT_EQ(component.References(), 3u);

    EXPECT_EQ(server->Unregister(first), S_OK);
    EXPECT_EQ(server->Unregister(first), E_INVALIDARG);
    EXPECT_EQ(server->Unregister(second), S_OK);
    EXPECT_EQ(server->Registrations(), 0u);
    EXPECT_EQ(component.References(), 1u);
    DWORD cookie = 5;
    EXPECT_EQ(server->Register(nullptr, &cookie), E_INVALIDARG);
    EXPECT_EQ(cookie, 0u);
}

TEST_F(HostDiagnosticsTest, Slot17GivesTheObjectWithTheErrorReceiver)
{
    auto reports = std::make_shared<QelHost::HostReports>();
    CComPtr<IUnknown> server;
    ASSERT_EQ(QelHost::CreateDebugServer(ControllerConfig(), &server, reports), S_OK);
    CComQIPtr<IQelHostHolder> holder(server.p);
    CComPtr<IUnknown> errorObject;
    ASSERT_EQ(holder->GetErrorObject(&errorObject), S_OK);
    CComQIPtr<IQelErrorReceiver> receiver(errorObject.p);
    ASSERT_FALSE(!receiver);

    CComPtr<ICreateErrorInfo> create;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    create->SetDescription(const_cast<LPOLESTR>(u"Database error"));
    create->SetSource(const_cast<LPOLESTR>(u"QelSymbolEngine"));
    create->SetHelpFile(const_cast<LPOLESTR>(u"qel.hlp"));
    create->SetHelpContext(42);
    CComQIPtr<IErrorInfo> info(create.p);
    EXPECT_EQ(receiver->ReportError(info), S_OK);
    EXPECT_EQ(receiver->ReportError(nullptr), E_POINTER);

    auto errors = reports->Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].description, "Database error");
    EXPECT_EQ(errors[0].source, "QelSymbolEngine");
    EXPECT_EQ(errors[0].helpFile, "qel.hlp");
    EXPECT_EQ(errors[0].helpContext, 42u);
    EXPECT_EQ(errors[0].guid, GUID_NULL);

    // A debug server without that object gives none.
    CComPtr<CHostDebugServer> bare = Make<CHostDebugServer>();
    CComPtr<IUnknown> none;
    EXPECT_EQ(bare->GetErrorObject(&none), E_FAIL);
    EXPECT_EQ(none, nullptr);
}

} // namespace

namespace {

class PcpDebuggerSetupTest : public ComAllocBalance {};

// What a PCP debugger's symbol server asks of its host to find its main debugger.
TEST_F(PcpDebuggerSetupTest, TheHostNamesTheMainDebuggerOfABoundPcpDebugger)
{
    CComPtr<CHostWindowValues> values = Make<CHostWindowValues>();
    EXPECT_EQ(values->PcpBinding(), 0);
    CComBSTR name;
    EXPECT_EQ(values->GetMasterName(&name), E_FAIL);
    EXPECT_EQ(name.m_str, nullptr);

    values->SetPcpMaster(u"TriCore");
    EXPECT_NE(values->PcpBinding(), 0);
    ASSERT_EQ(values->GetMasterName(&name), S_OK);

    CComObject<QelHost::CHostCfgProfile> *profile = nullptr;
    ASSERT_EQ(QelHost::CreateCfgProfile(&profile), S_OK);
    CComPtr<IQelDebugServerNames> names;
    ASSERT_EQ(profile->QueryInterface(qel_uuidof<IQelDebugServerNames>(), reinterpret_cast<void **>(&names)), S_OK);
    CountedObject mainDebugger;
    CComPtr<IUnknown> found;
    EXPECT_EQ(names->GetDebugServer(name, &found), E_INVALIDARG);
    profile->SetDebugServer(u"TriCore", &mainDebugger);
    ASSERT_EQ(names->GetDebugServer(name, &found), S_OK);
    EXPECT_EQ(found.p, static_cast<IUnknown *>(&mainDebugger));
    found.Release();
    profile->SetDebugServer(u"TriCore", nullptr);
    EXPECT_EQ(names->GetDebugServer(name, &found), E_INVALIDARG);
    EXPECT_EQ(mainDebugger.References(), 1u); // the test's own
    names.Release();
    profile->Release();
}

} // namespace
