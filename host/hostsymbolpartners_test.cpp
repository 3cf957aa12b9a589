#include "debugserver.h"
#include "hostsymbolpartners.h"

#include "testing/comallocbalance.h"

#include <gtest/gtest.h>

namespace {

using QelHost::CHostDebugServer;
using QelHost::CHostSymbolPartners;
using QelHost::CHostWindowValues;

template <class Object>
CComPtr<Object> Make()
{
    CComObject<Object> *object = nullptr;
    EXPECT_EQ(CComObject<Object>::CreateInstance(&object), S_OK);
    return CComPtr<Object>(object);
}

class HostSymbolPartnersTest : public ComAllocBalance {};

TEST_F(HostSymbolPartnersTest, TheDebugServerAnswersForTheSymbolServerItCarries)
{
    CComPtr<CHostDebugServer> server = Make<CHostDebugServer>();
    CComPtr<IUnknown> owner(static_cast<IQelHostHolder *>(server.p));
    CComQIPtr<IQelSymbSrv> none(owner);
    EXPECT_EQ(none, nullptr) << "no symbol server carried yet";

    CComPtr<CHostSymbolPartners> partners = Make<CHostSymbolPartners>();
    CComPtr<CHostDebugServer> foreign = Make<CHostDebugServer>();
    partners->SetForeignDebugServer(static_cast<IQelHostHolder *>(foreign.p));
    server->SetSymbolServer(static_cast<IQelSymbSrv *>(partners.p));
    CComQIPtr<IQelSymbSrv> symbolServer(owner);
    ASSERT_NE(symbolServer, nullptr);

    CComPtr<IUnknown> found;
    EXPECT_EQ(symbolServer->Synchronize(SYF_GET_FOREIGN_DEBUG_SERVER, &found), S_OK);
    EXPECT_TRUE(found.IsEqualObject(static_cast<IQelHostHolder *>(foreign.p)));
    IUnknown *pcp = reinterpret_cast<IUnknown *>(1);
    EXPECT_EQ(symbolServer->Synchronize(SYF_GET_PCP_STANDALONE_DEBUG_SERVER, &pcp), S_OK);
    EXPECT_EQ(pcp, nullptr);
    IUnknown *varEd = reinterpret_cast<IUnknown *>(5);
    EXPECT_EQ(symbolServer->Synchronize(SYF_GET_GLOBAL_VARED, &varEd), S_OK);
    EXPECT_EQ(varEd, nullptr) << "off unless set";
    partners->SetGlobalVarEd(TRUE);
    EXPECT_EQ(symbolServer->Synchronize(SYF_GET_GLOBAL_VARED, &varEd), S_OK);
    EXPECT_EQ(varEd, reinterpret_cast<IUnknown *>(1)) << "a number, not a pointer";
    EXPECT_EQ(symbolServer->Synchronize(SYF_GET_VARED, &pcp), E_NOTIMPL);
    EXPECT_EQ(symbolServer->Synchronize(SYF_GET_FOREIGN_DEBUG_SERVER, nullptr), E_POINTER);
    symbolServer.Release();
    server->SetSymbolServer(nullptr);
}

TEST_F(HostSymbolPartnersTest, WindowValuesAreGivenByNameOnly)
{
    CComPtr<CHostWindowValues> values = Make<CHostWindowValues>();
    values->SetValue(u"CodeBaseAddr", 0x8000);
    DWORD value = 5;
    EXPECT_EQ(values->GetValue(u"CodeBaseAddr", 0, &value), S_OK);
    EXPECT_EQ(value, 0x8000u);
    value = 5;
    EXPECT_EQ(values->GetValue(u"CodeEndAddr", 0, &value), E_INVALIDARG);
    EXPECT_EQ(value, 5u);
    EXPECT_EQ(values->GetValue(nullptr, 0, &value), E_POINTER);
}

} // namespace
