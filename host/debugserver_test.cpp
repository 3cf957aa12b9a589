#include "debugserver.h"

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

    ULONG notConfigured = 0;
    EXPECT_EQ(holder->MaxAddressMask(&notConfigured), E_NOTIMPL);
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

} // namespace
