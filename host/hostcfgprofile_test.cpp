#include "hostcfgprofile.h"

#include "debugserver.h"

#include "testing/comobjectbalance.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using QelHost::CHostCfgProfile;

// A sink of the profile's events that records their codes and may act on each.
class EventRecorder final : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__QelCfgProfileEvents) {
            *ppv = static_cast<IDispatch *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    STDMETHODIMP GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *, EXCEPINFO *,
                        UINT *) override
    {
        EXPECT_EQ(dispid, DISPID_QELCFG_PROFILE_EVENT);
        EXPECT_EQ(params->cArgs, 1u);
        EXPECT_EQ(params->rgvarg[0].vt, VT_UI4);
        codes.push_back(params->rgvarg[0].ulVal);
        if (onEvent)
            onEvent();
        return S_OK;
    }

    ULONG references = 1;
    std::vector<ULONG> codes;
    std::function<void()> onEvent;
};

class HostProfile : public ComObjectBalance {
protected:
    void SetUp() override
    {
        ComObjectBalance::SetUp();
        ASSERT_EQ(QelHost::CreateCfgProfile(&profile_), S_OK);
    }
    void TearDown() override
    {
        profile_->Release();
        ComObjectBalance::TearDown();
    }

    LONG Open(const char16_t *section, const char16_t *entry, VARIANT *value)
    {
        LONG handle = 0;
        CComBSTR s(section), e(entry);
        EXPECT_EQ(profile_->OpenItem(s, e, value, &handle), S_OK);
        return handle;
    }

    CComObject<CHostCfgProfile> *profile_ = nullptr;
};

TEST_F(HostProfile, AnItemOpensWithTheDefaultOfItsFirstClient)
{
    CComVariant value(true);
    LONG handle = Open(u"System", u"AUTOLOADELF", &value);
    EXPECT_NE(handle, 0);
    CComVariant second(false);
    EXPECT_EQ(Open(u"system", u"AutoLoadElf", &second), handle) << "names compare blind to case";
    EXPECT_EQ(second.vt, VT_BOOL);
    EXPECT_EQ(second.boolVal, VARIANT_TRUE);
    CComVariant other(1);
    EXPECT_NE(Open(u"System", u"SERVICE", &other), handle);
}

TEST_F(HostProfile, AnItemTheHostSetTakesItsValueToItsClient)
{
    ASSERT_EQ(profile_->SetItem(u"Compiler", u"MAIN_FUNC", CComVariant(u"main")), S_OK);
    CComVariant value(u"");
    LONG handle = Open(u"Compiler", u"MAIN_FUNC", &value);
    EXPECT_EQ(value, CComVariant(u"main"));
    CComVariant read;
    EXPECT_EQ(profile_->GetValue(handle, &read), S_OK);
    EXPECT_EQ(read, CComVariant(u"main"));
}

TEST_F(HostProfile, ValuesAreConvertedToTheItemsType)
{
    CComVariant value(10);
    LONG handle = Open(u"System", u"LEVEL", &value);
    CComVariant text(u"42");
    EXPECT_EQ(profile_->PutValue(handle, &text), S_OK);
    CComVariant read;
    EXPECT_EQ(profile_->GetItem(u"SYSTEM", u"level", &read), S_OK);
    EXPECT_EQ(read.vt, VT_I4);
    EXPECT_EQ(read.lVal, 42);
    CComVariant bad(u"forty");
    EXPECT_EQ(profile_->PutValue(handle, &bad), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(profile_->SetItem(u"System", u"Level", bad), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(profile_->GetValue(handle, &read), S_OK);
    EXPECT_EQ(read.lVal, 42);
}

TEST_F(HostProfile, AStoreIsCountedAndKeptAsTheHostSaysWithEveryValueInOrder)
{
    ASSERT_EQ(profile_->SetItem(u"Compiler", u"MAIN_FUNC", CComVariant(u"main")), S_OK);
    CComVariant value(true);
    Open(u"System", u"VARED", &value);
    EXPECT_EQ(profile_->Store(), S_OK);
    std::vector<CHostCfgProfile::ItemValue> kept;
    profile_->SetKeeper([&] {
        kept = profile_->Values();
        return E_ACCESSDENIED;
    });
    EXPECT_EQ(profile_->Store(), E_ACCESSDENIED);
    EXPECT_EQ(profile_->Stores(), 2u);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].section, u"COMPILER");
    EXPECT_EQ(kept[0].entry, u"MAIN_FUNC");
    EXPECT_EQ(kept[0].value, CComVariant(u"main"));
    EXPECT_EQ(kept[1].value, CComVariant(true));
    profile_->SetKeeper(nullptr);
}

TEST_F(HostProfile, HandlesAndArgumentsAreChecked)
{
    CComVariant value;
    EXPECT_EQ(profile_->GetValue(0, &value), E_INVALIDARG);
    EXPECT_EQ(profile_->GetValue(5, &value), E_INVALIDARG);
    EXPECT_EQ(profile_->PutValue(-1, &value), E_INVALIDARG);
    EXPECT_EQ(profile_->GetValue(1, nullptr), E_POINTER);
    LONG handle = 7;
    EXPECT_EQ(profile_->OpenItem(nullptr, nullptr, &value, &handle), E_INVALIDARG);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(profile_->GetItem(u"No", u"Item", &value), E_INVALIDARG);
}

TEST_F(HostProfile, EventsTellTheSinksWhatHappened)
{
    EventRecorder sink;
    DWORD cookie = 0;
    ASSERT_EQ(AtlAdvise(static_cast<IQelCfgProfile2 *>(profile_), &sink, DIID__QelCfgProfileEvents, &cookie), S_OK);
    EXPECT_EQ(profile_->Load(), S_OK);
    CComVariant value(1);
    LONG handle = Open(u"S", u"E", &value);
    CComVariant two(2);
    profile_->PutValue(handle, &two);
    profile_->SetItem(u"S", u"E", CComVariant(3));
    profile_->Reset();
    profile_->Fire(QELCFG_EVENT_BIND);
    EXPECT_EQ(sink.codes, (std::vector<ULONG>{QELCFG_EVENT_VALID, QELCFG_EVENT_MODIFIED, QELCFG_EVENT_MODIFIED,
                                              QELCFG_EVENT_RESET, QELCFG_EVENT_BIND}));
    EXPECT_EQ(profile_->Loads(), 1u);

    profile_->SetLoadFiresValid(false);
    profile_->Load();
    EXPECT_EQ(sink.codes.size(), 5u);
    EXPECT_EQ(AtlUnadvise(static_cast<IQelCfgProfile2 *>(profile_), DIID__QelCfgProfileEvents, cookie), S_OK);
    EXPECT_EQ(sink.references, 1u);
}

TEST_F(HostProfile, ASinkMayCallBackAndUnadviseWhileItHearsAnEvent)
{
    EventRecorder sink;
    DWORD cookie = 0;
    IUnknown *source = static_cast<IQelCfgProfile2 *>(profile_);
    ASSERT_EQ(AtlAdvise(source, &sink, DIID__QelCfgProfileEvents, &cookie), S_OK);
    CComVariant value(1);
    LONG handle = Open(u"S", u"E", &value);
    sink.onEvent = [&] {
        CComVariant read;
        EXPECT_EQ(profile_->GetValue(handle, &read), S_OK);
        EXPECT_EQ(AtlUnadvise(source, DIID__QelCfgProfileEvents, cookie), S_OK);
    };
    profile_->Load();
    profile_->Load();
    EXPECT_EQ(sink.codes, std::vector<ULONG>{QELCFG_EVENT_VALID});
    EXPECT_EQ(sink.references, 1u);
}

TEST_F(HostProfile, TheDebugServersHolderGivesItsProfile)
{
    CComPtr<IUnknown> server;
    ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &server), S_OK);
    CComQIPtr<IQelHostHolder> holder(server.p);
    ASSERT_NE(holder, nullptr);
    CComPtr<IUnknown> object;
    ASSERT_EQ(holder->GetProfile(&object), S_OK);
    CComQIPtr<IQelCfgProfile2> profile(object.p);
    EXPECT_NE(profile, nullptr);
    CComQIPtr<IConnectionPointContainer> events(object.p);
    EXPECT_NE(events, nullptr);
}

} // namespace
