// A profile client bound to the host stand-in's profile.
#include "cfgprofileclient.h"

#include "teststrings.h"

#include <debugserver.h>
#include <hostcfgprofile.h>

#include "testing/comobjectbalance.h"
#include "testing/countedobject.h"

#include <gtest/gtest.h>

namespace {

using QelHost::CHostCfgProfile;
using QelHost::CHostDebugServer;

template <class Object>
CComPtr<Object> Make()
{
    CComObject<Object> *object = nullptr;
    EXPECT_EQ(CComObject<Object>::CreateInstance(&object), S_OK);
    return CComPtr<Object>(object);
}

class ProfileClient : public ComObjectBalance {
protected:
    void SetUp() override
    {
        ComObjectBalance::SetUp();
        profile_ = Make<CHostCfgProfile>();
        server_ = Make<CHostDebugServer>();
        server_->SetProfile(static_cast<IQelCfgProfile2 *>(profile_));
    }
    void TearDown() override
    {
        server_.Release();
        profile_.Release();
        ComObjectBalance::TearDown();
    }

    IUnknown *Host() { return static_cast<IQelHostHolder *>(server_); }

    CComVariant HostValue(const char16_t *section, const char16_t *entry)
    {
        CComVariant value;
        EXPECT_EQ(profile_->GetItem(section, entry, &value), S_OK);
        return value;
    }

    // The sinks advised on the host's profile.
    ULONG Connections()
    {
        CComPtr<IConnectionPoint> point;
        EXPECT_EQ(profile_->FindConnectionPoint(DIID__QelCfgProfileEvents, &point), S_OK);
        CComPtr<IEnumConnections> connections;
        EXPECT_EQ(point->EnumConnections(&connections), S_OK);
        ULONG count = 0;
        CONNECTDATA data;
        while (connections->Next(1, &data, nullptr) == S_OK) {
            data.pUnk->Release();
            count++;
        }
        return count;
    }

    CComPtr<CHostCfgProfile> profile_;
    CComPtr<CHostDebugServer> server_;
};

TEST_F(ProfileClient, AttachBindsTheItemWithItsDefault)
{
    CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_IGNORE);
    EXPECT_EQ(client.Attach(Host()), S_OK);
    EXPECT_TRUE(client.IsBound());
    EXPECT_FALSE(client.IsValid());
    EXPECT_EQ(client.GetProfile(), static_cast<IQelCfgProfile2 *>(profile_));
    EXPECT_EQ(HostValue(u"System", u"IgnoreProgramFromWsp"), CComVariant(false));
    EXPECT_EQ(Connections(), 1u);
}

TEST_F(ProfileClient, AnItemTheHostHoldsBindsWithTheHostsValue)
{
    profile_->SetItem(u"System", u"AUTOLOADELF", CComVariant(true));
    CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_AUTOLOADELF);
    client.Attach(Host());
    EXPECT_EQ(CComVariant(client.GetDefault()), CComVariant(true));
    EXPECT_TRUE(client.GetBool());
}

TEST_F(ProfileClient, AReadLoadsTheProfileOnlyWhileItsValueIsNotValid)
{
    CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_IGNORE);
    client.Attach(Host());
    EXPECT_FALSE(client.GetBool());
    EXPECT_EQ(profile_->Loads(), 1u);
    EXPECT_TRUE(client.IsValid());
    EXPECT_FALSE(client.GetBool());
    EXPECT_EQ(profile_->Loads(), 1u);
}

TEST_F(ProfileClient, ReadsFollowTheValueTheUserSetsInTheHost)
{
    CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_IGNORE);
    client.Attach(Host());
    EXPECT_FALSE(client.GetBool());
    EXPECT_FALSE(client.IsModified());
    profile_->SetItem(u"SYSTEM", u"ignoreprogramfromwsp", CComVariant(u"true"));
    EXPECT_TRUE(client.IsModified());
    EXPECT_TRUE(client.GetBool());
}

TEST_F(ProfileClient, WritesReachTheHostAndComeBackAsModified)
{
    CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_AUTOLOADELF);
    client.Attach(Host());
    EXPECT_EQ(client.PutBool(TRUE), S_OK);
    EXPECT_EQ(HostValue(u"System", u"AUTOLOADELF"), CComVariant(true));
    EXPECT_TRUE(client.IsModified());
    EXPECT_TRUE(client.GetBool());
    CComVariant off(false);
    EXPECT_EQ(client.PutValue(&off), S_OK);
    EXPECT_FALSE(client.GetBool());
    // A value that the item's type does not take is refused, and said so.
    CComVariant text(u"sometimes");
    EXPECT_EQ(client.PutValue(&text), DISP_E_TYPEMISMATCH);
    EXPECT_FALSE(client.GetBool());
}

TEST_F(ProfileClient, TextValuesReadAsAnsi)
{
    CQelCfgProfileClientImpl directory(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_DIRECTORY);
    directory.Attach(Host());
    EXPECT_STREQ(directory.GetString(), "  /tmp/Db ");
    profile_->SetItem(u"System", u"DATABASE_DIRECTORY", CComVariant(u"/var/caf\u00e9"));
    EXPECT_STREQ(directory.GetString(), "/var/caf\xe9");
    EXPECT_FALSE(directory.GetBool());

    CQelCfgProfileClientImpl flag(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_AUTOLOADELF);
    flag.Attach(Host());
    EXPECT_EQ(flag.GetString(), nullptr);
}

TEST_F(ProfileClient, AResetUnbindsAndTheNextReadBindsAgain)
{
    CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_AUTOLOADELF);
    client.Attach(Host());
    client.PutBool(TRUE);
    profile_->Reset();
    EXPECT_FALSE(client.IsBound());
    EXPECT_FALSE(client.IsValid());
    EXPECT_FALSE(client.IsModified());
    EXPECT_TRUE(client.GetBool());
    EXPECT_TRUE(client.IsBound());
    EXPECT_EQ(profile_->Loads(), 2u);
}

TEST_F(ProfileClient, TheBindEventBindsAndUnknownCodesChangeNothing)
{
    CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_AUTOLOADELF);
    client.Attach(Host());
    profile_->Reset();
    profile_->Fire(QELCFG_EVENT_BIND);
    EXPECT_TRUE(client.IsBound());
    profile_->Fire(QELCFG_EVENT_VALID);
    EXPECT_TRUE(client.IsValid());
    profile_->Fire(4);
    profile_->Fire(0xFFFFFFFF);
    EXPECT_TRUE(client.IsBound());
    EXPECT_TRUE(client.IsValid());
    EXPECT_FALSE(client.IsModified());
}

TEST_F(ProfileClient, AProfileThatNeverReportsValidityGivesAndTakesNothing)
{
    profile_->SetLoadFiresValid(false);
    CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_AUTOLOADELF);
    client.Attach(Host());
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = 77;
    client.GetValue(&value);
    EXPECT_EQ(value.vt, VT_I4);
    EXPECT_EQ(value.lVal, 77);
    client.PutBool(TRUE);
    EXPECT_EQ(HostValue(u"System", u"AUTOLOADELF"), CComVariant(false));
    EXPECT_EQ(profile_->Loads(), 2u);
}

TEST_F(ProfileClient, AnItemWithoutAKnownTypeIsNeverBound)
{
    CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_MISSING);
    EXPECT_EQ(client.Attach(Host()), S_OK);
    EXPECT_FALSE(client.IsBound());
    VARIANT value;
    VariantInit(&value);
    client.GetValue(&value);
    EXPECT_EQ(value.vt, VT_EMPTY);
    client.PutBool(TRUE);
    profile_->Fire(QELCFG_EVENT_BIND);
    EXPECT_FALSE(client.IsBound());
    EXPECT_EQ(profile_->Loads(), 0u);
}

TEST_F(ProfileClient, TheProfileObjectItselfServesAsHostObject)
{
    CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_AUTOLOADELF);
    EXPECT_EQ(client.Attach(static_cast<IQelCfgProfile2 *>(profile_)), S_OK);
    EXPECT_TRUE(client.IsBound());
    profile_->Fire(QELCFG_EVENT_VALID);
    EXPECT_TRUE(client.IsValid());
}

TEST_F(ProfileClient, AHostWithoutProfileIsRefused)
{
    CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_AUTOLOADELF);
    CComPtr<CHostDebugServer> bare = Make<CHostDebugServer>();
    EXPECT_EQ(client.Attach(static_cast<IQelHostHolder *>(bare)), E_NOINTERFACE);
    CountedObject stranger;
    EXPECT_EQ(client.Attach(&stranger), E_NOINTERFACE);
    EXPECT_EQ(stranger.References(), 1u);
    EXPECT_EQ(client.Attach(nullptr), E_POINTER);
    EXPECT_EQ(client.GetProfile(), nullptr);
    EXPECT_FALSE(client.GetBool());
}

TEST_F(ProfileClient, DetachEndsTheEventsAndLeavesNothingToCall)
{
    CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_AUTOLOADELF);
    client.Attach(Host());
    EXPECT_FALSE(client.GetBool());
    EXPECT_EQ(client.Detach(), S_OK);
    EXPECT_EQ(Connections(), 0u);
    EXPECT_EQ(client.GetProfile(), nullptr);
    profile_->Reset();
    EXPECT_TRUE(client.IsBound()) << "the state stays as it was";
    // The platform's client called the released profile here.
    EXPECT_FALSE(client.GetBool());
    EXPECT_EQ(client.PutBool(TRUE), E_FAIL);
    EXPECT_EQ(HostValue(u"System", u"AUTOLOADELF"), CComVariant(false));

    client.Attach(Host());
    client.PutBool(TRUE);
    EXPECT_TRUE(client.GetBool());
}

TEST_F(ProfileClient, AttachingToAnotherProfileBindsTheItemThere)
{
    CComPtr<CHostCfgProfile> other = Make<CHostCfgProfile>();
    other->SetItem(u"Compiler", u"MAIN_FUNC", CComVariant(u"x"));
    other->SetItem(u"System", u"AUTOLOADELF", CComVariant(true));
    CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_AUTOLOADELF);
    client.Attach(Host());
    EXPECT_FALSE(client.GetBool());
    client.Attach(static_cast<IQelCfgProfile2 *>(other));
    EXPECT_TRUE(client.GetBool());
    EXPECT_EQ(Connections(), 0u);
    client.Attach(Host());
    EXPECT_FALSE(client.GetBool());
    EXPECT_EQ(Connections(), 1u);
}

TEST_F(ProfileClient, ADestroyedClientHearsNoMore)
{
    {
        CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_AUTOLOADELF);
        client.Attach(Host());
        EXPECT_EQ(Connections(), 1u);
    }
    EXPECT_EQ(Connections(), 0u);
    profile_->Fire(QELCFG_EVENT_VALID);
}

} // namespace
