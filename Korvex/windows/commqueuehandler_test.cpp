// The communication queue's commands on the real symbol server inside a host
// debug-server object, sent in the host's command group as other components send them.
#include "windowstesting.h"

#include <qelexpr.h>

namespace {

using windowstest::U4;

class CommQueue : public windowstest::SymbolServerWindows {
protected:
    // Command 205 with one output value: the object it gave, or NULL.
    CComPtr<IUnknown> NewExpression()
    {
        std::vector<CComVariant> out;
        EXPECT_EQ(Exec(205, {}, 1, &out, &CGID_QelHostCommands), S_OK);
        CComPtr<IUnknown> object;
        if (out.size() == 1 && out[0].vt == VT_UNKNOWN)
            object = out[0].punkVal;
        return object;
    }
};

// Each call gives an object of its own, bound to the symbol server that made it.
TEST_F(CommQueue, EachExpressionObjectIsNewAndReadsTheTargetOfTheDebugServerObject)
{
    CComPtr<IUnknown> first = NewExpression(), second = NewExpression();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    for (IUnknown *object : {first.p, second.p}) {
        CComPtr<IQelExpr> expression;
        ASSERT_EQ(object->QueryInterface(IID_IQelExpr, reinterpret_cast<void **>(&expression)), S_OK);
        CComBSTR text(u"1+2");
        EXPECT_EQ(expression->SetExpression(text), S_OK);
        CComVariant value;
        EXPECT_EQ(expression->Evaluate(&value), S_OK);
        EXPECT_EQ(value.vt, VT_I4);
        EXPECT_EQ(value.lVal, 3);
    }
    // Its target is the debug-server object, whose target memory it reads.
    ASSERT_TRUE(Host()->Target()->MapMemory(0x40000000, 16));
    BYTE bytes[] = {42, 0, 0, 0};
    ASSERT_EQ(Host()->WriteBlock(0, 0x40000000, 4, bytes, 0), S_OK);
    CComPtr<IQelExpr> expression;
    ASSERT_EQ(first->QueryInterface(IID_IQelExpr, reinterpret_cast<void **>(&expression)), S_OK);
    CComBSTR text(u"*(unsigned char *)0x40000000 + 1");
    EXPECT_EQ(expression->SetExpression(text), S_OK);
    CComVariant value;
    EXPECT_EQ(expression->Evaluate(&value), S_OK);
    EXPECT_EQ(value.vt, VT_I4);
    EXPECT_EQ(value.lVal, 43);
}

// Without an output value the object would be lost: nothing is made. Other commands of
// the group are not the handler's.
TEST_F(CommQueue, AnExpressionNeedsAnOutputValueAndOtherCommandsAreNotTheQueues)
{
    EXPECT_EQ(Exec(205, {}, 0, nullptr, &CGID_QelHostCommands), E_INVALIDARG);
    EXPECT_EQ(Exec(204, {U4(8)}, 1, nullptr, &CGID_QelHostCommands), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(Exec(205, {}, 1, nullptr, &CLSID_QelSymbol), OLECMDERR_E_UNKNOWNGROUP);
}

} // namespace
