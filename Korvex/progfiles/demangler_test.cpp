#include "demangler.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Decoded {
    std::string text;
    int error;
    int overflow;
    UINT required;
};

Decoded Decode(const char *mangled, UINT size = 1024)
{
    std::vector<char> buffer(size + 1, 'X'); // one guard byte beyond the size given
    Decoded d{};
    DecodeIdentifier(mangled, buffer.data(), size, &d.error, &d.overflow, &d.required);
    EXPECT_EQ(buffer[size], 'X') << "written beyond the buffer for " << mangled;
    if (size > 0)
        d.text.assign(buffer.data(), strnlen(buffer.data(), size));
    return d;
}

struct Case {
    const char *mangled;
    const char *declaration;
};

void ExpectDecoded(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        Decoded d = Decode(c.mangled);
        EXPECT_EQ(d.error, 0) << c.mangled;
        EXPECT_EQ(d.overflow, 0) << c.mangled;
        EXPECT_EQ(d.text, c.declaration) << c.mangled;
        EXPECT_EQ(d.required, strlen(c.declaration) + 1) << c.mangled;
    }
}

// Not mangled: the buffer stays empty so that the caller shows the identifier itself.
void ExpectNotMangled(const std::vector<const char *> &names)
{
    for (const char *name : names) {
        Decoded d = Decode(name);
        EXPECT_EQ(d.error, 1) << name;
        EXPECT_EQ(d.overflow, 0) << name;
        EXPECT_EQ(d.text, "") << name << " gave " << d.text;
        EXPECT_EQ(d.required, 1u) << name;
    }
}

} // namespace

TEST(DecodeIdentifier, NamesWithoutEncodingsStayAsTheyAre)
{
    ExpectDecoded({{"main", "main"}, {"_start", "_start"}, {"my__var", "my__var"}, {"a__b__c", "a__b__c"},
                   {"x__", "x__"}, {"___", "___"}, {"__foo", "__foo"}, {"__opinion", "__opinion"}});
}

TEST(DecodeIdentifier, FunctionsAndTheirArguments)
{
    ExpectDecoded({
        {"f__Fi", "f(int)"},
        {"f__Fv", "f()"},
        {"f__FPcRi", "f(char*, int&)"},
        {"printf__FPCce", "printf(const char*, ...)"},
        {"f__Fe", "f(...)"},
        {"f__Fie_v", "void f(int, ...)"},
        {"f__FKi", "f(int)"},
        {"f__Fv_i", "int f()"},
        {"a___Fv", "a_()"},
        {"f__F1A", "f(A)"},
        {"f__FQ2_1A1B", "f(A::B)"},
    });
}

TEST(DecodeIdentifier, BaseTypesAndQualifiers)
{
    ExpectDecoded({
        {"f__Fcsil", "f(char, short, int, long)"},
        {"f__FLfdr", "f(long long, float, double, long double)"},
        {"f__Fbwv", "f(bool, wchar_t, void)"},
        {"f__FScUcUsUiUlUL", "f(signed char, unsigned char, unsigned short, unsigned int, unsigned long, "
                             "unsigned long long)"},
        {"f__FCiVcCVUi", "f(const int, volatile char, const volatile unsigned int)"},
        {"f__FPCcRC1A", "f(const char*, const A&)"},
        // Qualifiers in front of a pointer qualify the pointer, not what it points to.
        {"f__FCPc", "f(char* const)"},
        {"f__FPCPCc", "f(const char* const*)"},
        {"f__FVPVi", "f(volatile int* volatile)"},
    });
}

TEST(DecodeIdentifier, MembersOfClasses)
{
    ExpectDecoded({
        {"f__1AFi", "A::f(int)"},
        {"f__1ACFv", "A::f() const"},
        {"f__1AVFv", "A::f() volatile"},
        {"f__1ACVFv", "A::f() const volatile"},
        {"f__1ASFv", "A::f()"},
        {"f__Q2_5Outer5InnerFv", "Outer::Inner::f()"},
        {"x__1A", "A::x"},
        {"x__Q2_1A1B", "A::B::x"},
        {"count__Q3_1A1B1C", "A::B::C::count"},
    });
}

TEST(DecodeIdentifier, ConstructorsDestructorsAndConversions)
{
    ExpectDecoded({
        {"__ct__1AFv", "A::A()"},
        {"__ct__1AFRC1A", "A::A(const A&)"},
        {"__dt__1AFv", "A::~A()"},
        {"__ct__Q2_1A1BFRCQ2_1A1B", "A::B::B(const A::B&)"},
        {"__ct__10A__pt__2_iFv", "A<int>::A()"},
        {"__dt__10A__pt__2_iFv", "A<int>::~A()"},
        {"__opi__1AFv", "A::operator int()"},
        {"__opPCc__1ACFv", "A::operator const char*() const"},
        {"__op1B__1AFv", "A::operator B()"},
    });
}

TEST(DecodeIdentifier, EveryOperatorCode)
{
    const Case operators[] = {
        {"nw", "new"},   {"dl", "delete"}, {"nwa", "new[]"}, {"dla", "delete[]"}, {"pl", "+"},   {"mi", "-"},
        {"ml", "*"},     {"dv", "/"},      {"md", "%"},      {"er", "^"},        {"ad", "&"},   {"or", "|"},
        {"co", "~"},     {"nt", "!"},      {"as", "="},      {"lt", "<"},        {"gt", ">"},   {"apl", "+="},
        {"ami", "-="},   {"amu", "*="},    {"adv", "/="},    {"amd", "%="},      {"aer", "^="}, {"aad", "&="},
        {"aor", "|="},   {"ls", "<<"},     {"rs", ">>"},     {"ars", ">>="},     {"als", "<<="}, {"eq", "=="},
        {"ne", "!="},    {"le", "<="},     {"ge", ">="},     {"aa", "&&"},       {"oo", "||"},  {"pp", "++"},
        {"mm", "--"},    {"cm", ","},      {"rm", "->*"},    {"rf", "->"},       {"cl", "()"},  {"vc", "[]"},
    };
    std::vector<std::string> names, texts;
    for (const Case &op : operators) {
        names.push_back(std::string("__") + op.mangled + "__1AFi");
        texts.push_back(std::string("A::operator ") + op.declaration + "(int)");
    }
    std::vector<Case> cases;
    for (size_t i = 0; i < names.size(); ++i)
        cases.push_back({names[i].c_str(), texts[i].c_str()});
    cases.push_back({"__pl__FRC1AT1", "operator +(const A&, const A&)"});
    cases.push_back({"__pl", "operator +"});
    ExpectDecoded(cases);
}

TEST(DecodeIdentifier, DeclaratorsOfFunctionsArraysAndMemberPointers)
{
    ExpectDecoded({
        {"f__FPFi_v", "f(void (*)(int))"},
        {"f__FRFv_i", "f(int (&)())"},
        {"f__FPA10_i", "f(int (*)[10])"},
        {"f__FRA3_A4_c", "f(char (&)[3][4])"},
        {"f__FA10_i", "f(int [10])"},
        {"f__FPA0_i", "f(int (*)[])"},
        {"f__FA_Z1Z_i", "f(int [N1])"},
        {"f__FM1Ai", "f(int A::*)"},
        {"f__FM1AFi_v", "f(void (A::*)(int))"},
        {"f__FM1ACFv_v", "f(void (A::*)() const)"},
        {"f__FPFi_PFc_v", "f(void (*(*)(int))(char))"},
        {"f__FA10_PFi_v", "f(void (*[10])(int))"},
        {"f__FFi_v", "f(void (int))"},
        {"__T_PFPc_i", "typeinfo for int (*)(char*)"},
    });
}

TEST(DecodeIdentifier, BackReferencesRepeatEarlierArguments)
{
    ExpectDecoded({
        {"f__F1AT1", "f(A, A)"},
        {"f__FiPcT2T1", "f(int, char*, char*, int)"},
        {"f__FiN31", "f(int, int, int, int)"},
        {"f__FPcN21T3", "f(char*, char*, char*, char*)"},
        {"f__FiPFiT1_vT2", "f(int, void (*)(int, int), void (*)(int, int))"},
    });
}

TEST(DecodeIdentifier, ClassTemplates)
{
    ExpectDecoded({
        {"x__10A__pt__2_i", "A<int>::x"},
        {"f__10A__pt__2_iFi", "A<int>::f(int)"},
        {"f__10A__pt__2_iF10A__pt__2_i", "A<int>::f(A<int>)"},
        {"x__13B__pt__5_ic1A", "B<int, char, A>::x"},
        {"x__22A__pt__13_10B__pt__2_i", "A<B<int>>::x"},
        {"x__12B__pt__4_Z1Z", "B<T1>::x"},
        {"x__14B__pt__6_Z1_3Z", "B<V1>::x"},
        {"x__14B__pt__6_Z2_9Z", "B<T_9_2>::x"},
        {"x__10A__ps__2_i", "A<int>::x"},
        {"x__7A__S2_i", "A<int>::x"},
        {"x__20A__ps__5_PZ1Z__S3_Pi", "A<T1*><int*>::x"},
        {"f__FQ2_10A__pt__2_i1B", "f(A<int>::B)"},
    });
}

TEST(DecodeIdentifier, ConstantTemplateArguments)
{
    ExpectDecoded({
        {"x__15B__pt__7_XCiL13", "B<(int)3>::x"},
        {"x__16B__pt__8_XCiL2n5", "B<(int)-5>::x"},
        {"x__17B__pt__9_XCdL31d5", "B<(double)1.5>::x"},
        {"x__17B__pt__9_XCdL31p5", "B<(double)1+5>::x"},
        {"x__29B__pt__20_XCiL12_123456789012", "B<(int)123456789012>::x"},
        {"x__30B__pt__21_XCiL_12_123456789012", "B<(int)123456789012>::x"},
        {"x__15B__pt__7_XCbL11", "B<true>::x"},
        {"x__15B__pt__7_XCbL10", "B<false>::x"},
        {"x__14B__pt__6_X3buf", "B<&buf>::x"},
        {"x__16B__pt__8_X5f__Fi", "B<&f(int)>::x"},
        {"x__13B__pt__5_XZ1Z", "B<N1>::x"},
        {"x__15B__pt__7_XZ1_2Z", "B<O1>::x"},
        {"x__15B__pt__7_XZ1_3Z", "B<P1>::x"},
        {"x__15B__pt__7_XZ1_4Z", "B<N_4_1>::x"},
        {"x__19B__pt__10_XLMM1Ai_0", "B<(int A::*)0>::x"},
        {"x__20B__pt__11_XLMM1Ai_1x", "B<&A::x>::x"},
        {"x__24B__pt__15_XLMM1AFv_v_V2_", "B<&A::virtual-function-2>::x"},
        {"x__26B__pt__17_XLMM1AFv_v_4__pl", "B<&A::operator +>::x"},
    });
}

TEST(DecodeIdentifier, ExpressionTemplateArguments)
{
    ExpectDecoded({
        {"x__24B__pt__15_XOpl2Z1ZCiL11O", "B<(N1+(int)1)>::x"},
        {"x__19B__pt__10_XOmi1Z1ZO", "B<(-N1)>::x"},
        {"x__20B__pt__11_XOcs2lZ1ZO", "B<(long)N1>::x"},
        {"x__16B__pt__8_XOsz1iO", "B<sizeof(int)>::x"},
        {"x__16B__pt__8_XOaf1dO", "B<__ALIGNOF__(double)>::x"},
        {"x__25B__pt__16_XOqu3Z1ZZ2ZZ3ZO", "B<(N1?N2:N3)>::x"},
    });
}

TEST(DecodeIdentifier, FunctionTemplatesShowTheirBindings)
{
    ExpectDecoded({
        {"f__tm__2_i__FZ1Z", "f<int>(T1) [with T1=int]"},
        {"f__tm__2_i__FZ1Z_Z1Z", "T1 f<int>(T1) [with T1=int]"},
        {"f__tm__3_ic__FZ1ZZ2Z", "f<int, char>(T1, T2) [with T1=int, T2=char]"},
        {"f__tm__7_XCiL13__FA_Z1Z_i", "f<(int)3>(int [N1]) [with N1=(int)3]"},
        {"f__tm__2_i__1ACFZ1Z_v", "void A::f<int>(T1) const [with T1=int]"},
        {"__pl__tm__2_i__FRCZ1ZT1_Z1Z", "T1 operator +<int>(const T1&, const T1&) [with T1=int]"},
    });
}

TEST(DecodeIdentifier, LocalNamesFollowTheirFunction)
{
    ExpectDecoded({
        {"x__L1__f__Fv", "f()[block 1]::x"},
        {"x__L0__f__Fv", "f()::x"},
        {"x__L12__f__1AFi", "A::f(int)[block 12]::x"},
        {"f__F14Loc__L1__g__Fv", "f(g()[block 1]::Loc)"},
        {"__ct__14Loc__L1__g__FvFv", "g()[block 1]::Loc::Loc()"},
    });
}

TEST(DecodeIdentifier, SpecialNames)
{
    ExpectDecoded({
        {"__vtbl__1A", "virtual function table for A"},
        {"__vtbl__1A__1B", "virtual function table for A in B"},
        {"__vtbl__1A__1B__1C", "virtual function table for A in B in C"},
        {"__vtbl__1A__A__1B", "virtual function table for A (ambiguous) in B"},
        {"__vtbl__10A__pt__2_i", "virtual function table for A<int>"},
        {"__CBI__f__tm__2_i__FZ1Z", "can-be-instantiated flag for f<int>(T1) [with T1=int]"},
        {"__DNI__x__10A__pt__2_i", "do-not-instantiate flag for A<int>::x"},
        {"__TIR__f__1AFv", "template-instantiation-request flag for A::f()"},
        {"__LSG__x__L1__f__Fv", "initialization guard variable for f()[block 1]::x"},
        {"__TID_1A", "type identifier for A"},
        {"__T_Pc", "typeinfo for char*"},
        {"__VFE__1A__f__1BFv", "surrogate in class A for B::f()"},
        {"__Q2_1A1B", "A::B"},
        {"__STV__counter__file_c", "counter"},
        {"__STF__f__Fi", "f(int)"},
        {"__12abc", "abc"},
        {"___12_abc", "abc"},
    });
}

TEST(DecodeIdentifier, MalformedNamesAreNotMangled)
{
    ExpectNotMangled({
        "",
        "f__Fq",            // no such type code
        "f__F",             // empty argument list
        "f__Fi_",           // result type missing
        "f__FPFi",          // nested function type without result
        "f__FUd",           // unsigned double
        "f__FT1",           // back-reference to an argument not yet seen
        "f__FiT0",          // arguments count from 1
        "f__FiN01",         // no copies
        "f__FiT2",          // beyond the arguments seen
        "f__Fei",           // ellipsis not at the end
        "x__9A",            // length prefix beyond the identifier
        "x__12B__pt__3_2AB", // length prefix beyond its template argument list
        "x__99999999999A",  // length that does not fit 32 bits
        "x__Q0_",           // qualified name of no parts
        "f__1A__x",         // characters left over after a data member
        "__vtbl__1A__1B__1C__1D",
        "__ct__Fv",         // constructor without class
        "do__Fancy",        // looks like a signature but is none
        "x__15B__pt__7_XCiL9a", // literal text beyond its list
        "x__19B__pt__10_XOxx2Z1ZO", // no such operator
        "x__17B__pt__9_XOsz2iiO", // sizeof of two operands
        "x__16B__pt__8_XLMi_1x", // member constant of a type that is no member pointer
    });
}

TEST(DecodeIdentifier, HostileNamesAreNotMangled)
{
    // Nested beyond any real name.
    std::string deep = "f__F" + std::string(1000, 'P') + "i";
    // Each level repeats the previous one eight times: the text would grow exponentially.
    std::string bomb = "i";
    for (int level = 0; level < 12; ++level) {
        std::string repeats;
        for (int i = 0; i < 8; ++i)
            repeats += "T1";
        bomb = "PF" + bomb + repeats + "_v";
    }
    bomb = "f__F" + bomb + "T1T1T1T1T1T1T1T1";
    ExpectNotMangled({deep.c_str(), bomb.c_str()});
}

TEST(DecodeIdentifier, NullIdentifierIsNotMangled)
{
    char buffer[8] = "junk";
    int error = 0, overflow = 1;
    UINT required = 0;
    DecodeIdentifier(nullptr, buffer, sizeof buffer, &error, &overflow, &required);
    EXPECT_EQ(error, 1);
    EXPECT_EQ(overflow, 0);
    EXPECT_STREQ(buffer, "");
}

TEST(DecodeIdentifier, OverflowKeepsTheStartAndTellsTheSize)
{
    Decoded small = Decode("f__Fi", 4);
    EXPECT_EQ(small.error, 0);
    EXPECT_EQ(small.overflow, 1);
    EXPECT_EQ(small.text, "f(i");
    EXPECT_EQ(small.required, 7u);

    Decoded exact = Decode("f__Fi", 7);
    EXPECT_EQ(exact.overflow, 0);
    EXPECT_EQ(exact.text, "f(int)");

    Decoded one = Decode("f__Fi", 1);
    EXPECT_EQ(one.overflow, 1);
    EXPECT_EQ(one.text, "");
    EXPECT_EQ(one.required, 7u);

    Decoded none = Decode("f__Fi", 0);
    EXPECT_EQ(none.overflow, 1);
    EXPECT_EQ(none.required, 7u);
}

TEST(DecodeIdentifier, MalformedInputIsReportedApartFromOverflow)
{
    Decoded d = Decode("abcdefgh__Fq", 4);
    EXPECT_EQ(d.error, 1);
    EXPECT_EQ(d.overflow, 0);
    EXPECT_EQ(d.text, "");
    EXPECT_EQ(d.required, 1u);
}
