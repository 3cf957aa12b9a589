// Codes 600 and 601 on a database filled through the record layer: a parameter and a
// block's local that live on a moving stack, and a variable's VarEd mapping.
#include "handlertesting.h"

#include <symbolwriters.h>

#include <array>

namespace {

using handlertest::HandlerTest;

const LONG M = 1;

// Both triples: from (mode, start, length), to (kind, offset, further word).
typedef std::array<LONG, 6> Range;

class LifetimeQueriesTest : public HandlerTest {
protected:
    void SetUp() override
    {
        HandlerTest::SetUp();
        CDBFunctions function(Database());
        function.Open();
        function.AddNew();
        function.m_FunctionIndex = 1;
        function.m_Name = function.m_NameString = "f";
        function.m_AddressMode = 1;
        function.m_AddressValue = 0x1000;
        function.m_Length = 0x100;
        function.Update();

        CDBSymbolInfo &s = *m_symbols;
        WriteParameterSymbol({M, "p", 1, {0x10, 5, 1, 1}}, s, FALSE);
        m_parameter = s.m_SymbolIndex;
        WriteBlockSymbol({M, 100, {1, 1, 0x1010, 0, 0x30}}, s);
        WriteLocalSymbol({M, "l", 100, {0x10, 5, 2, 1}}, s, FALSE);
        m_local = s.m_SymbolIndex;
        WriteLocalSymbol({M, "r", 100, {0x10, 2, -4, 0}}, s, FALSE);
        m_onStack = s.m_SymbolIndex;

        // The lists (start, kind, offset, further), the first written out of order, and
        // another module's list of the same number.
        WriteLifetimeSymbol({M, "", 1, {0x1040, 6, -1, -1}}, s);
        WriteLifetimeSymbol({M, "", 1, {0x1000, 3, 4, 0}}, s);
        WriteLifetimeSymbol({M, "", 1, {0x1010, 2, 8, 13}}, s);
        WriteLifetimeSymbol({2, "", 1, {0x1000, 3, 9, 0}}, s);
        WriteLifetimeSymbol({M, "", 2, {0x1010, 2, -8, 13}}, s);
        WriteLifetimeSymbol({M, "", 2, {0x1038, 6, -1, -1}}, s);
        // The function's stack offsets (offset, then the address from which it holds).
        WriteStackAdjustSymbol({M, 1, {6, 1, 0x1020, 0}}, s);
        WriteStackAdjustSymbol({M, 1, {2, 1, 0x1008, 0}}, s);
        WriteStackAdjustSymbol({M, 1, {4, 1, 0x1030, 0}}, s);
        WriteStackAdjustSymbol({M, 1, {10, 1, 0x1040, 0}}, s);

        AddVarEdMapping(m_parameter, 0x2000, 0x1000, 0x40);
        AddVarEdMapping(m_local, 0x3000, 0x1100, 0x20);
    }

    void AddVarEdMapping(LONG symbol, LONG value, LONG start, LONG length)
    {
        CDBSymbolInfo &s = *m_symbols;
        s.AddNew();
        s.m_SymbolID = 17;
        s.m_ModulIndex = M;
        s.m_Data_1 = symbol;
        s.m_Data_3 = value;
        s.m_Data_5 = start;
        s.m_Data_6 = length;
        s.Update();
    }

    std::vector<Range> Ranges(void (CSymbolEngine::*handler)(CSymbolRequest &), LONG symbol)
    {
        std::vector<Range> ranges;
        for (const LifetimeTag &r : Run<LifetimeTag>(handler, CComVariant(symbol)))
            ranges.push_back({static_cast<LONG>(r.From.AddressMode), static_cast<LONG>(r.From.AddressValue),
                              static_cast<LONG>(r.From.AddressExtra), static_cast<LONG>(r.To.AddressMode),
                              static_cast<LONG>(r.To.AddressValue), static_cast<LONG>(r.To.AddressExtra)});
        return ranges;
    }

    LONG m_parameter = 0, m_local = 0, m_onStack = 0;
};

// A place relative to the stack pointer gets the stack offset that holds where its range
// begins, and every later stack offset inside the range starts a range of its own; each
// range reaches to where the next begins.
TEST_F(LifetimeQueriesTest, StackPlacesFollowTheFunctionsStackOffsets)
{
    EXPECT_EQ(Ranges(&CSymbolEngine::OnLifetime, m_parameter), (std::vector<Range>{{1, 0x1000, 0x10, 3, 4, 0},
                                                                                   {1, 0x1010, 0x10, 2, 10, 13},
                                                                                   {1, 0x1020, 0x10, 2, 16, 13},
                                                                                   {1, 0x1030, 0x10, 2, 14, 13},
                                                                                   {1, 0x1040, 0, 6, -1, -1}}));
    // A block's local finds the stack offsets of the function that holds the block.
    EXPECT_EQ(Ranges(&CSymbolEngine::OnLifetime, m_local), (std::vector<Range>{{1, 0x1010, 0x10, 2, -6, 13},
                                                                               {1, 0x1020, 0x10, 2, 0, 13},
                                                                               {1, 0x1030, 0x8, 2, -2, 13},
                                                                               {1, 0x1038, 0, 6, -1, -1}}));
}

TEST_F(LifetimeQueriesTest, AVariableWithOnePlaceOrNoneHasNoLifetime)
{
    EXPECT_EQ(Ranges(&CSymbolEngine::OnLifetime, m_onStack), (std::vector<Range>{}));
    EXPECT_EQ(Ranges(&CSymbolEngine::OnLifetime, 999), (std::vector<Range>{}));
}

TEST_F(LifetimeQueriesTest, TheVarEdMappingIsTheVariablesOwn)
{
    EXPECT_EQ(Ranges(&CSymbolEngine::OnVarEdMapping, m_parameter),
              (std::vector<Range>{{1, 0x1000, 0x40, 1, 0x2000, 0}}));
    EXPECT_EQ(Ranges(&CSymbolEngine::OnVarEdMapping, m_onStack), (std::vector<Range>{}));
}

TEST_F(LifetimeQueriesTest, TheEngineAnswersTheTypeAndLifetimeCodes)
{
    const struct {
        int code;
        CComVariant param;
        int count;
    } cases[] = {{500, "int", 0}, {501, 1, 0}, {600, m_parameter, 5}, {601, m_parameter, 1}};
    for (const auto &c : cases) {
        CSymbolRequest request(RequesterSynchronous);
        request.m_nCode = c.code;
        ASSERT_EQ(VariantCopy(&request.Param1, &c.param), S_OK);
        std::unique_ptr<CSymbolRequest> done(m_engine->TakeRequest(m_engine->Submit(request), c.code / 100 * 100));
        ASSERT_TRUE(done && done->m_nStatus == StatusSuccess && done->m_pResult != nullptr) << c.code;
        const int count = c.code < 600 ? static_cast<CArray<MemberTag, MemberTag &> *>(done->m_pResult)->GetSize()
                                       : static_cast<CArray<LifetimeTag, LifetimeTag &> *>(done->m_pResult)->GetSize();
        EXPECT_EQ(count, c.count) << c.code;
    }
}

} // namespace
