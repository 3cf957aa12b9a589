#include "commvarlocation.h"

#include <debugserver.h>
#include <hostsymbolpartners.h>

#include <gtest/gtest.h>

namespace {

using QelHost::CHostTarget;

constexpr DWORD kNone = 0xFFFFFFFF;

// An ARM target whose SP (the server's register 13) holds 0x20001000, R4 0x44 and R5 0x55,
// and whose register map knows R4, R5, SP and (without a host index) R9.
struct CommVarLocationTest : ::testing::Test {
    void SetUp() override
    {
        CComObject<CHostTarget> *made = nullptr;
        ASSERT_EQ(CComObject<CHostTarget>::CreateInstance(&made), S_OK);
        target = made;
        target->SetPreset(QelHost::TargetPreset::Arm);
        const struct {
            const char *name;
            LONG number;
            const char16_t *host;
            ULONG value;
        } registers[] = {{"R4", 4, u"R4", 0x44}, {"R5", 5, u"R5", 0x55}, {"SP", 13, u"R13", 0x20001000},
                         {"R9", 9, nullptr, 0}};
        for (const auto &r : registers) {
            RegisterMapTag entry;
            entry.Name = r.name;
            entry.Number = r.number;
            if (r.host != nullptr) {
                CComBSTR name(r.host);
                target->GetRegisterId(name, &entry.RegisterIndex);
                ULONG value = r.value;
                target->WriteRegister(entry.RegisterIndex, &value);
            }
            map.Add(entry);
        }
    }
    void AddRange(DWORD start, DWORD length, CAddressValue to)
    {
        LifetimeTag range;
        range.From = CAddressValue(start, 1, length);
        range.To = to;
        lifetimes.Add(range);
    }
    // The resolved place as "mode value third|text", or "unresolved".
    std::string Resolve(CAddressValue symbol, BOOL varEd = FALSE)
    {
        CCommVarLocator locator(target, map, lifetimes);
        CAddressValue place(1, 2, 3);
        CString text = "before";
        if (!locator.Resolve(symbol, varEd, &place, &text))
            return place == CAddressValue(1, 2, 3) && text == "before" ? "unresolved" : "changed";
        char line[128];
        std::snprintf(line, sizeof line, "%X %X %X|%s", place.AddressMode, place.AddressValue, place.AddressExtra,
                      static_cast<LPCSTR>(text));
        return line;
    }
    CComPtr<CHostTarget> target;
    CRegisterMapTagArray map;
    CLifetimeTagArray lifetimes;
};

TEST_F(CommVarLocationTest, EachModeGivesItsPlaceAndText)
{
    const struct {
        CAddressValue symbol;
        const char *expected;
    } cases[] = {
        {CAddressValue(0x1234, 1, 0), "1 1234 0|0x1234"},
        {CAddressValue(0x1234, 0x40000001, 3), "40000001 1234 3|0x1234.3"},
        {CAddressValue(0x10, 2, 13), "1 20001010 0|0x20001010 ([SP] + 0x10)"},
        {CAddressValue(4, 3, 0), "3 4 0|R4"},
        {CAddressValue(4, 0x40000003, 3), "40000003 4 3|R4.3"},
        {CAddressValue(4, 4, 5), "4 4 5|R4/R5"},
        {CAddressValue(7, 0, 0), "0 7 0|"},
        {CAddressValue(kNone, kNone, kNone), "FFFFFFFF FFFFFFFF FFFFFFFF|"},
        // Registers the map does not give, or gives without a host index: no place now.
        {CAddressValue(8, 3, 0), "unresolved"},
        {CAddressValue(9, 3, 0), "unresolved"},
        {CAddressValue(4, 4, 9), "unresolved"},
        {CAddressValue(0x10, 2, 9), "unresolved"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Resolve(c.symbol), c.expected) << c.symbol.AddressMode << " " << c.symbol.AddressValue;
}

TEST_F(CommVarLocationTest, APlaceByPositionIsTheRangeThatHoldsTheInstructionPointer)
{
    AddRange(0x100, 8, CAddressValue(0x8, 2, 13));
    AddRange(0x108, 8, CAddressValue(4, 3, 0));
    AddRange(0x110, 4, CAddressValue(0, 6, 0)); // not live
    AddRange(0x114, 4, CAddressValue(0, 5, 0)); // by position again
    AddRange(0x118, 0, CAddressValue(0x2000, 1, 0)); // the end of the list holds nothing
    const struct {
        ULONG pc;
        const char *expected;
    } cases[] = {
        {0x100, "1 20001008 0|0x20001008 ([SP] + 0x8)"},
        {0x107, "1 20001008 0|0x20001008 ([SP] + 0x8)"},
        // The first range starts below every later pointer, yet holds none of them.
        {0x108, "3 4 0|R4"},
        {0x0FF, "FFFFFFFF FFFFFFFF FFFFFFFF|"},
        {0x110, "FFFFFFFF FFFFFFFF FFFFFFFF|"},
        {0x114, "FFFFFFFF FFFFFFFF FFFFFFFF|"},
        {0x118, "FFFFFFFF FFFFFFFF FFFFFFFF|"},
    };
    for (const auto &c : cases) {
        target->SetPc(c.pc);
        EXPECT_EQ(Resolve(CAddressValue(0, 5, 0)), c.expected) << std::hex << c.pc;
    }
}

TEST_F(CommVarLocationTest, VarEdTakesTheRangeHoldingThePointerOverTheSymbolsPlace)
{
    AddRange(0x200, 0x10, CAddressValue(0x3000, 1, 0));
    target->SetPc(0x208);
    EXPECT_EQ(Resolve(CAddressValue(0x1234, 1, 0), TRUE), "1 3000 0|0x3000");
    EXPECT_EQ(Resolve(CAddressValue(0x1234, 1, 0), FALSE), "1 1234 0|0x1234");
    target->SetPc(0x210);
    EXPECT_EQ(Resolve(CAddressValue(0x1234, 1, 0), TRUE), "1 1234 0|0x1234") << "outside every range";
}

TEST_F(CommVarLocationTest, NothingIsResolvedWithoutTheTargetOrItsPointer)
{
    CCommVarLocator locator(nullptr, map, lifetimes);
    CAddressValue place;
    CString text;
    EXPECT_FALSE(locator.Resolve(CAddressValue(0x1234, 1, 0), FALSE, &place, &text));
    // A fresh ARM target stands nowhere until a program or a PC is given.
    CComObject<CHostTarget> *fresh = nullptr;
    ASSERT_EQ(CComObject<CHostTarget>::CreateInstance(&fresh), S_OK);
    CComPtr<CHostTarget> hold(fresh);
    AddRange(0, 0x1000, CAddressValue(0x3000, 1, 0));
    CCommVarLocator nowhere(fresh, map, lifetimes);
    EXPECT_FALSE(nowhere.Resolve(CAddressValue(0, 5, 0), FALSE, &place, &text));
}

// The host's symbol partners with a VarEd state of their own.
class VarEdServer : public QelHost::CHostSymbolPartners {
public:
    STDMETHODIMP Synchronize(tagSynchronizeFunction function, IUnknown **ppUnknown) override
    {
        if (function != SYF_GET_VARED)
            return CHostSymbolPartners::Synchronize(function, ppUnknown);
        *ppUnknown = reinterpret_cast<IUnknown *>(static_cast<DWORD_PTR>(on));
        return S_OK;
    }
    DWORD on = 0;
};

TEST(CommVarVarEd, TheStateIsTheOwnersSymbolServers)
{
    CComPtr<IUnknown> owner;
    ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &owner), S_OK);
    auto *host = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(owner.p));
    EXPECT_FALSE(IsVarEdOn(owner)) << "no symbol server";
    EXPECT_FALSE(IsVarEdOn(nullptr));
    CComObject<VarEdServer> *server = nullptr;
    ASSERT_EQ(CComObject<VarEdServer>::CreateInstance(&server), S_OK);
    host->SetSymbolServer(server->GetUnknown());
    EXPECT_FALSE(IsVarEdOn(owner));
    server->on = 1;
    EXPECT_TRUE(IsVarEdOn(owner));
    host->SetSymbolServer(nullptr);
}

} // namespace
