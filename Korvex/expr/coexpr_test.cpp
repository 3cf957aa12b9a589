#include "coexpr.h"
#include "exprtesting.h"

#include <comerrorinfo.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class CoExprTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.world.globals["i"] = {Variable("i", 0, 11, 32, 1, 0x1004)};
        host.world.globals["u"] = {Variable("u", 0, 12, 32, 1, 0x1008)};
        host.world.globals["f"] = {Variable("f", 0, 8, 64, 1, 0x1010)};
        host.world.inScope = host.world.globals;
        host.world.registerMap = {RegisterMapTag{"R13", 13, -1}, RegisterMapTag{"XX", 99, -1}};
        host.PokeWord(0x1004, 7);
        host.PokeWord(0x1008, 0xFFFFFFFF);
        host.PokeWord(0x1010, 0);
        host.PokeWord(0x1014, 0x40040000); // 2.5
        host.Target()->SetPc(0x100);
        ASSERT_EQ(CoExpr::Create(&expr), S_OK);
    }
    void TearDown() override
    {
        expr.Release();
        EXPECT_EQ(QelGetComAllocCounts(), counts) << "no BSTR or VARIANT is left behind";
    }

    // Evaluates with a VARIANT of `type` coming in: the value, or the error text.
    std::string Value(VARTYPE type = VT_I4)
    {
        VARIANT value;
        VariantInit(&value);
        value.vt = type;
        if (type == VT_BSTR)
            value.bstrVal = SysAllocString(u"kept value");
        HRESULT hr = expr->Evaluate(&value);
        if (hr != S_OK) {
            EXPECT_EQ(hr, E_FAIL);
            EXPECT_EQ(value.vt, VT_EMPTY);
            CString text;
            return GetComErrorInfo(&text, nullptr, nullptr, nullptr, nullptr) ? "E_FAIL " + std::string(text) : "E_FAIL";
        }
        std::string shown = value.vt == VT_R8 ? std::to_string(value.dblVal) + " R8"
                          : value.vt == VT_I4 ? std::to_string(value.lVal) + " I4" : "vt " + std::to_string(value.vt);
        VariantClear(&value);
        return shown;
    }
    HRESULT Set(const char16_t *text) { return expr->SetExpression(CComBSTR(text)); }

    QelComAllocCounts counts = QelGetComAllocCounts();
    ExprHost host;
    CComPtr<IQelExpr2> expr;
};

TEST_F(CoExprTest, ValuesTravelAsI4OrR8AndFailuresAsEFailWithTheirText)
{
    EXPECT_EQ(Value(), "E_FAIL") << "no expression yet";
    EXPECT_EQ(expr->SetTarget(host.debugServer), S_OK);
    EXPECT_EQ(Set(u"i +"), S_FALSE);
    EXPECT_EQ(Value(), "E_FAIL");
    for (auto [text, shows] : {std::pair{u"i * 2", "14 I4"}, {u"u", "-1 I4"}, {u"f", "2.500000 R8"},
                               {u"nothing", "E_FAIL Expression is no Symbol"}}) {
        EXPECT_EQ(Set(text), S_OK);
        EXPECT_EQ(Value(), shows);
        EXPECT_EQ(Value(VT_EMPTY), shows) << "kept, and failed again with its text";
    }
    CComBSTR back;
    EXPECT_EQ(expr->GetExpression(&back), S_OK);
    EXPECT_EQ(CString(static_cast<LPCOLESTR>(back.m_str)), "nothing");
    EXPECT_EQ(expr->SetTarget(nullptr), S_OK);
}

TEST_F(CoExprTest, AnEmptyVariantGivesTheKeptValueAnotherOneReadsAgain)
{
    expr->SetTarget(host.debugServer);
    Set(u"i");
    EXPECT_EQ(Value(VT_EMPTY), "7 I4");
    host.PokeWord(0x1004, 8);
    EXPECT_EQ(Value(VT_EMPTY), "7 I4");
    EXPECT_EQ(Value(VT_BSTR), "8 I4") << "the BSTR that came in is freed";
}

TEST_F(CoExprTest, AStopRenewsTheValuesInModeZeroAPatternTheSymbolsInModeOne)
{
    expr->SetTarget(host.debugServer);
    Set(u"i");
    EXPECT_EQ(Value(VT_EMPTY), "7 I4");
    host.PokeWord(0x1004, 9);
    host.Target()->Stop(0x100);
    EXPECT_EQ(Value(VT_EMPTY), "9 I4");

    // Mode 1 hears patterns, not stops.
    EXPECT_EQ(expr->put_LookupMode(1), S_OK);
    expr->put_Scope(CComBSTR(u"(global)"));
    Set(u"i");
    EXPECT_EQ(Value(VT_EMPTY), "9 I4");
    host.PokeWord(0x1004, 10);
    host.Target()->Stop(0x100);
    EXPECT_EQ(Value(VT_EMPTY), "9 I4");
    host.world.globals["i"] = {Variable("i", 0, 11, 32, 1, 0x1008)};
    host.Target()->Pattern(1);
    EXPECT_EQ(Value(VT_EMPTY), "-1 I4") << "the symbol is looked up again";
    LONG mode = -1;
    EXPECT_EQ(expr->get_LookupMode(&mode), S_OK);
    EXPECT_EQ(mode, 1);
}

TEST_F(CoExprTest, TheRegisterMapGetsTheHostsIdsAndLocalsReadThroughIt)
{
    CComObject<CoExpr> *object = static_cast<CComObject<CoExpr> *>(static_cast<IQelExpr2 *>(expr.p));
    expr->SetTarget(host.debugServer);
    ASSERT_TRUE(object->IsRegisterMapLoaded());
    ASSERT_EQ(object->RegisterMap().GetSize(), 2);
    EXPECT_EQ(object->RegisterMap()[0].RegisterIndex, 13);
    EXPECT_EQ(object->RegisterMap()[1].RegisterIndex, -1);
    host.SetRegister("R13", 0x1000);
    host.world.inScope["local"] = {Variable("local", 0, 11, 32, 2, 8, 13)};
    Set(u"local");
    EXPECT_EQ(Value(), "-1 I4");
}

TEST_F(CoExprTest, TheComplexMemoryObjectServesTheMemoryOnceSet)
{
    expr->SetTarget(host.debugServer);
    CComPtr<IQelComplexMemory> complex;
    ASSERT_EQ(host.Target()->CreateComplexMemory(&complex), S_OK);
    EXPECT_EQ(expr->SetMemoryObject(complex), S_OK);
    Set(u"i");
    const unsigned before = host.Target()->Counters(QelHost::MemoryPort::ComplexMemory).reads;
    EXPECT_EQ(Value(), "7 I4");
    EXPECT_EQ(host.Target()->Counters(QelHost::MemoryPort::ComplexMemory).reads, before + 1);
}

TEST_F(CoExprTest, PropertiesAndTheSlotsItDoesNotOffer)
{
    CComPtr<IQelExpr> first;
    ASSERT_EQ(expr->QueryInterface(IID_IQelExpr, reinterpret_cast<void **>(&first)), S_OK);
    EXPECT_EQ(static_cast<IUnknown *>(first.p), static_cast<IUnknown *>(expr.p));
    EXPECT_EQ(expr->Slot07(0, 0, 0, 0), E_NOTIMPL);
    EXPECT_EQ(expr->get_Text(nullptr), E_POINTER);
    EXPECT_EQ(expr->get_Scope(nullptr), E_POINTER);
    EXPECT_EQ(expr->get_LookupMode(nullptr), E_POINTER);
    EXPECT_EQ(expr->Evaluate(nullptr), E_POINTER);
    EXPECT_EQ(expr->put_Text(CComBSTR(u"note")), S_OK);
    CComBSTR text;
    EXPECT_EQ(expr->get_Text(&text), S_OK);
    EXPECT_EQ(CString(static_cast<LPCOLESTR>(text.m_str)), "note");
}

TEST_F(CoExprTest, TargetsComeAndGoWhileAnotherThreadFiresEvents)
{
    std::atomic<bool> stop{false};
    std::thread firing([&] {
        for (ULONG n = 0; !stop; ++n) {
            host.Target()->Stop(0x100);
            host.Target()->Pattern(1 + n % 2);
        }
    });
    Set(u"i");
    for (int round = 0; round < 200; ++round) {
        expr->put_LookupMode(round % 3 == 0);
        EXPECT_EQ(expr->SetTarget(host.debugServer), S_OK);
        EXPECT_EQ(Value(round % 2 ? VT_I4 : VT_EMPTY), "7 I4");
        EXPECT_EQ(expr->SetTarget(round % 5 == 0 ? nullptr : host.debugServer), S_OK);
    }
    stop = true;
    firing.join();
}

} // namespace
