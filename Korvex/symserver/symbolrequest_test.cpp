#include "symbolrequest.h"

#include "enginetesting.h"

#include <gtest/gtest.h>

namespace {

using enginetest::CountedResult;

// A request of `code`, to ask.
struct WithCode {
    explicit WithCode(int code) { request.m_nCode = code; }
    int GetGroup() const { return request.GetGroup(); }
    BOOL IsGroup(int group) const { return request.IsGroup(group); }
    BOOL NeedsDatabase() const { return request.NeedsDatabase(); }
    CSymbolRequest request{RequesterEvent};
};

TEST(SymbolRequest, StartsWithoutCodeStatusOrResult)
{
    CSymbolRequest request(0x1234);
    EXPECT_EQ(request.m_nRequester, 0x1234u);
    EXPECT_EQ(request.m_nCode, 0x7FFFFFFF);
    EXPECT_EQ(request.m_nStatus, StatusSuccess);
    EXPECT_EQ(request.m_bDone, 0u);
    EXPECT_EQ(request.Param1.vt, VT_EMPTY);
    EXPECT_EQ(request.m_pResult, nullptr);
    EXPECT_TRUE(request.IsKindOf(RUNTIME_CLASS(CSymbolRequest)));
    EXPECT_STREQ(request.GetRuntimeClass()->m_lpszClassName, "CSymbolRequest");
}

TEST(SymbolRequest, TheGroupIsTheCodeRoundedDownToItsHundred)
{
    EXPECT_EQ(WithCode(0).GetGroup(), 0);
    EXPECT_EQ(WithCode(103).GetGroup(), 100);
    EXPECT_EQ(WithCode(601).GetGroup(), 600);
    EXPECT_EQ(WithCode(2003).GetGroup(), 2000);
    EXPECT_TRUE(WithCode(704).IsGroup(700));
    EXPECT_FALSE(WithCode(704).IsGroup(704));
}

TEST(SymbolRequest, OnlyQueriesOfTheProgramNeedADatabase)
{
    for (int code : {100, 103, 201, 302, 401, 409, 500, 600, 601, 700, 701, 702, 800, 900})
        EXPECT_TRUE(WithCode(code).NeedsDatabase()) << code;
    // Sections, the breakpoint texts, loading, the controller, Location, internal codes.
    for (int code : {0, 1, 2, 703, 704, 2000, 2001, 2002, 2003, 3000, 4000, 0x7FFFFFFC, 0x7FFFFFFD, 0x7FFFFFFE})
        EXPECT_FALSE(WithCode(code).NeedsDatabase()) << code;
}

TEST(SymbolRequest, ASynchronousIdCarriesBit31)
{
    CSymbolRequest synchronous(RequesterSynchronous);
    synchronous.SetId(5);
    EXPECT_EQ(static_cast<UINT>(synchronous.m_nId), 0x80000005u);
    synchronous.SetId(0);
    EXPECT_EQ(static_cast<UINT>(synchronous.m_nId), 0x80000000u);
    CSymbolRequest windowed(0x10);
    windowed.SetId(5);
    EXPECT_EQ(windowed.m_nId, 5);
}

TEST(SymbolRequest, TheSynchronousAndTheEventRequesterAreAlwaysAlive)
{
    EXPECT_TRUE(CSymbolRequest(RequesterSynchronous).IsRequesterAlive());
    EXPECT_TRUE(CSymbolRequest(RequesterEvent).IsRequesterAlive());
    enginetest::RequesterWindow window;
    CSymbolRequest windowed(window.Requester());
    EXPECT_TRUE(windowed.IsRequesterAlive());
    window.Destroy();
    EXPECT_FALSE(windowed.IsRequesterAlive());
}

TEST(SymbolRequest, ACopyTakesEverythingButTheResult)
{
    CSymbolRequest original(0x20);
    original.m_nCode = 401;
    original.m_nStatus = 3;
    original.SetId(9);
    original.Param1.vt = VT_BSTR;
    original.Param1.bstrVal = SysAllocString(u"main");
    original.Param3.vt = VT_I4;
    original.Param3.lVal = 7;
    original.m_pResult = new CountedResult;

    CSymbolRequest copy(0);
    ASSERT_EQ(copy.CopyFrom(original), S_OK);
    EXPECT_EQ(copy.m_nRequester, 0x20u);
    EXPECT_EQ(copy.m_nId, 9);
    EXPECT_EQ(copy.m_nCode, 401);
    EXPECT_EQ(copy.m_nStatus, 3);
    ASSERT_EQ(copy.Param1.vt, VT_BSTR);
    EXPECT_NE(copy.Param1.bstrVal, original.Param1.bstrVal); // a copy of its own
    EXPECT_EQ(std::u16string(copy.Param1.bstrVal), u"main");
    EXPECT_EQ(copy.Param2.vt, VT_EMPTY);
    EXPECT_EQ(copy.Param3.lVal, 7);
    EXPECT_EQ(copy.m_pResult, nullptr);
}

TEST(SymbolRequest, ItsResultGoesWithItWhateverItsStatus)
{
    {
        CSymbolRequest succeeded(RequesterEvent);
        succeeded.m_pResult = new CountedResult;
        CSymbolRequest failed(RequesterEvent);
        failed.m_nStatus = StatusDatabaseError;
        failed.m_pResult = new CountedResult;
        CSymbolRequest location(RequesterEvent);
        location.m_nCode = 4000;
        location.m_pLocation = new LocationTag;
        EXPECT_EQ(CountedResult::live, 2);
    }
    EXPECT_EQ(CountedResult::live, 0);
}

} // namespace
