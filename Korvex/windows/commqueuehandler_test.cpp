// The communication queue's commands on the real symbol server inside a host
// debug-server object, sent in the host's command group as other components send them.
#include "commqueuehandler.h"
#include "windowstesting.h"

#include <qelcommvariable.h>
#include <qelexpr.h>

namespace {

using windowstest::I4;
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

// Each call gives a variable object of its own, whose owner is the debug-server object:
// binding to it, the object asks the host for its inner communication object (200 with 7).
TEST_F(CommQueue, EachVariableObjectIsNewAndBoundToTheDebugServerObject)
{
    std::vector<CComPtr<IUnknown>> objects;
    for (const std::vector<CComVariant> &in : {std::vector<CComVariant>{U4(8)},
                                                std::vector<CComVariant>{U4(8), CComVariant("counter")}}) {
        std::vector<CComVariant> out;
        EXPECT_EQ(Exec(200, in, 1, &out, &CGID_QelHostCommands), S_OK);
        ASSERT_EQ(out.size(), 1u);
        ASSERT_EQ(out[0].vt, VT_UNKNOWN);
        CComPtr<IQelCommVariableObj> variable;
        EXPECT_EQ(out[0].punkVal->QueryInterface(IID_IQelCommVariableObj, reinterpret_cast<void **>(&variable)), S_OK);
        objects.emplace_back(out[0].punkVal);
    }
    EXPECT_NE(objects[0], objects[1]);
    std::vector<ULONG> inner;
    for (const auto &command : Host()->Commands()->Commands()) {
        if (IsEqualGUID(command.group, CGID_QelHostCommands) && command.id == 200 && command.input.vt == VT_UI4)
            inner.push_back(command.input.ulVal);
    }
    // The first call's 8 (the second's come in an array), and each object's 7.
    EXPECT_EQ(inner, (std::vector<ULONG>{8, 7, 7}));
}

// Arguments of another shape are no command of the queue's, and make nothing. (The host
// answers 200 with 7 itself, so that one goes to the handler directly.)
TEST_F(CommQueue, AVariableObjectNeedsTheNumber8AndExactlyOneOutputValue)
{
    CCommQueueRequestHandler handler;
    handler.SetServerInterface(host_);
    CComVariant seven = U4(7), out;
    HRESULT hr = S_OK;
    EXPECT_TRUE(handler.Exec(&CGID_QelHostCommands, 200, 0, &seven, &out, &hr));
    EXPECT_EQ(hr, OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(out.vt, VT_EMPTY);

    const std::pair<std::vector<CComVariant>, int> refused[] = {
        {{U4(8)}, 2}, {{}, 1}, {{I4(8)}, 1}, {{U4(8)}, 0},
    };
    for (const auto &[in, outputs] : refused) {
        std::vector<CComVariant> out;
        EXPECT_EQ(Exec(200, in, outputs, &out, &CGID_QelHostCommands), OLECMDERR_E_UNKNOWNGROUP);
        for (const CComVariant &value : out)
            EXPECT_EQ(value.vt, VT_EMPTY);
    }
}

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
