#include "locationdescriptor.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Parsed {
    BOOL ok = FALSE;
    CString first, second, text;
    int number = 99, occurrence = 99, distance = 99, offset = 99;
};

Parsed Parse(LPCSTR descriptor)
{
    Parsed p;
    p.first = "stale";
    p.second = "stale";
    p.text = "stale";
    p.ok = ParseLocationDescriptor(descriptor, p.first, p.second, p.number, p.text, p.occurrence, p.distance,
                                   p.offset);
    return p;
}

void ExpectEmpty(const Parsed &p)
{
    EXPECT_FALSE(p.ok);
    EXPECT_TRUE(p.first.IsEmpty());
    EXPECT_TRUE(p.second.IsEmpty());
    EXPECT_TRUE(p.text.IsEmpty());
    EXPECT_EQ(p.number, 0);
    EXPECT_EQ(p.occurrence, 0);
    EXPECT_EQ(p.distance, 0);
}

// The forms as the breakpoint-description query writes them.
CString SourcePosition(LPCSTR function, LPCSTR file, int line, LPCSTR marker, LPCSTR modules, int occurrence,
                       int distance, LPCSTR offset)
{
    CString text;
    text.Format("'%s {%s} .%d%s;%s;%d;%d;%s;", function, file, line, marker, modules, occurrence, distance, offset);
    return text;
}

CString AtLabel(LPCSTR label, LPCSTR module)
{
    CString text;
    text.Format("'%s';%s;", label, module);
    return text;
}

CString PastLabel(LPCSTR label, DWORD offset, LPCSTR module)
{
    CString text;
    text.Format("'%s+0x%X';%s;", label, offset, module);
    return text;
}

CString Address(DWORD address)
{
    CString text;
    text.Format("0x%X", address);
    return text;
}

std::string Repeat(char c, int count)
{
    return std::string(static_cast<size_t>(count), c);
}

TEST(LocationDescriptor, ASourcePositionGivesAllItsParts)
{
    Parsed p = Parse("'main.c {main} .12';x;1;2;0x1A;");
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.first, "main.c");
    EXPECT_EQ(p.second, "main");
    EXPECT_EQ(p.number, 12);
    EXPECT_EQ(p.text, "x");
    EXPECT_EQ(p.occurrence, 1);
    EXPECT_EQ(p.distance, 2);
    EXPECT_EQ(p.offset, 26);
}

TEST(LocationDescriptor, AnOffsetThatIsNoAddressGivesMinusOneAndStillParses)
{
    Parsed p = Parse("'main.c {main} .12';x;1;2;zz;");
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.offset, -1);
    EXPECT_EQ(p.distance, 2);
}

TEST(LocationDescriptor, ASourcePositionNeedsEveryPartUpToTheDistance)
{
    ExpectEmpty(Parse("'main.c {main} .12';x;1;"));
    ExpectEmpty(Parse("'main.c {main} .12';;1;2;"));
    ExpectEmpty(Parse("'main.c {main}"));
    Parsed p = Parse("'main.c {main} .12';x;1;2;");
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.offset, -1);
}

TEST(LocationDescriptor, AFunctionNameWithABlankDoesNotParse)
{
    Parsed p = Parse("'operator new(unsigned int) {src/new.cpp} .4+';new;1;0;0x0;");
    ExpectEmpty(p);
    EXPECT_EQ(p.offset, -1);
}

TEST(LocationDescriptor, ABareAddressGivesItsValue)
{
    Parsed p = Parse("0x8000");
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.number, 32768);
    EXPECT_EQ(p.offset, -1);
    EXPECT_TRUE(p.first.IsEmpty());
    EXPECT_TRUE(p.second.IsEmpty());

    EXPECT_EQ(Parse("0xD0001000").number, static_cast<int>(0xD0001000u));
}

TEST(LocationDescriptor, AnAddressBeyond32BitsOrWithoutDigitsDoesNotParse)
{
    ExpectEmpty(Parse("0x123456789"));
    ExpectEmpty(Parse("0x"));
    ExpectEmpty(Parse("0X10"));
    EXPECT_TRUE(Parse("0x00000000FFFFFFFF").ok); // leading zeros are no digits too many
}

TEST(LocationDescriptor, ALabelFormGivesTheLabelTheModuleAndTheOffset)
{
    Parsed past = Parse("'start+0x10';x;");
    EXPECT_TRUE(past.ok);
    EXPECT_EQ(past.first, "start");
    EXPECT_EQ(past.text, "x");
    EXPECT_EQ(past.offset, 16);

    Parsed at = Parse("'start';x;");
    EXPECT_TRUE(at.ok);
    EXPECT_EQ(at.first, "start");
    EXPECT_EQ(at.text, "x");
    EXPECT_EQ(at.offset, 0);
}

TEST(LocationDescriptor, ALabelWithAPlusInItsNameIsReadWhole)
{
    Parsed p = Parse("'a+b';mod;");
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.first, "a+b");
    EXPECT_EQ(p.offset, 0);
}

TEST(LocationDescriptor, ALabelFormWithoutItsModuleDoesNotParse)
{
    Parsed p = Parse("'start';");
    ExpectEmpty(p);
    EXPECT_EQ(p.offset, 0);
}

TEST(LocationDescriptor, AFileAndLineGiveTheFileAsSecondPart)
{
    Parsed p = Parse("main.c 42");
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.second, "main.c");
    EXPECT_EQ(p.number, 42);
    EXPECT_TRUE(p.first.IsEmpty());
    EXPECT_EQ(p.offset, 0);

    Parsed alone = Parse("main.c");
    EXPECT_TRUE(alone.ok);
    EXPECT_EQ(alone.second, "main.c");
    EXPECT_EQ(alone.number, 0);

    Parsed dotted = Parse("src/main.c .\t. 7");
    EXPECT_TRUE(dotted.ok);
    EXPECT_EQ(dotted.second, "src/main.c");
    EXPECT_EQ(dotted.number, 7);
}

TEST(LocationDescriptor, ShortAndMissingDescriptorsFail)
{
    Parsed empty = Parse("");
    ExpectEmpty(empty);
    EXPECT_EQ(empty.offset, -1);
    ExpectEmpty(Parse("x"));
    ExpectEmpty(Parse(nullptr));
    ExpectEmpty(Parse(" 42"));
}

// The round trips of what the breakpoint-description query writes.

TEST(LocationDescriptorRoundTrip, ASourcePositionWithItsOffset)
{
    Parsed p = Parse(SourcePosition("main", "src/main.c", 12, "+'", "main", 2, 3, "0x6"));
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.first, "main");
    EXPECT_EQ(p.second, "src/main.c");
    EXPECT_EQ(p.number, 12);
    EXPECT_EQ(p.text, "main");
    EXPECT_EQ(p.occurrence, 2);
    EXPECT_EQ(p.distance, 3);
    EXPECT_EQ(p.offset, 6);
}

TEST(LocationDescriptorRoundTrip, ASourcePositionAtTheStartOfItsRange)
{
    Parsed p = Parse(SourcePosition("_c_init", "C:\\Tasking Files\\cstart.c", 1, "+'", "cstart", 1, 0, "0x0"));
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.first, "_c_init");
    EXPECT_EQ(p.second, "C:\\Tasking Files\\cstart.c"); // the file may hold blanks
    EXPECT_EQ(p.number, 1);
    EXPECT_EQ(p.text, "cstart");
    EXPECT_EQ(p.occurrence, 1);
    EXPECT_EQ(p.distance, 0);
    EXPECT_EQ(p.offset, 0);
}

TEST(LocationDescriptorRoundTrip, ASourcePositionForAllRangesOfSeveralModules)
{
    Parsed p = Parse(SourcePosition("inl", "inc/inl.h", 30, "'", "a,b,c", 1, 4, ""));
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.first, "inl");
    EXPECT_EQ(p.second, "inc/inl.h");
    EXPECT_EQ(p.number, 30);
    EXPECT_EQ(p.text, "a,b,c");
    EXPECT_EQ(p.occurrence, 1);
    EXPECT_EQ(p.distance, 4);
    EXPECT_EQ(p.offset, -1);
}

TEST(LocationDescriptorRoundTrip, ALabelForms)
{
    Parsed at = Parse(AtLabel("_start", "crt0"));
    EXPECT_TRUE(at.ok);
    EXPECT_EQ(at.first, "_start");
    EXPECT_EQ(at.text, "crt0");
    EXPECT_EQ(at.offset, 0);

    Parsed past = Parse(PastLabel("_start", 0x8000001Cu, "crt0"));
    EXPECT_TRUE(past.ok);
    EXPECT_EQ(past.first, "_start");
    EXPECT_EQ(past.text, "crt0");
    EXPECT_EQ(static_cast<DWORD>(past.offset), 0x8000001Cu);
}

TEST(LocationDescriptorRoundTrip, ABareAddress)
{
    for (DWORD address : {0u, 0x10u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        Parsed p = Parse(Address(address));
        EXPECT_TRUE(p.ok) << address;
        EXPECT_EQ(static_cast<DWORD>(p.number), address);
    }
}

// Each part has a limit; a longer part does not match and nothing is written past it.

TEST(LocationDescriptorLimits, TheFunctionAndFileOfASourcePosition)
{
    std::string function = Repeat('f', kDescriptorFunctionLimit);
    std::string file = Repeat('d', kDescriptorFileLimit);
    Parsed p = Parse(SourcePosition(function.c_str(), file.c_str(), 1, "+'", "m", 1, 0, "0x0"));
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.first.GetLength(), kDescriptorFunctionLimit);
    EXPECT_EQ(p.second.GetLength(), kDescriptorFileLimit);

    std::string longFunction = function + "f";
    ExpectEmpty(Parse(SourcePosition(longFunction.c_str(), "f.c", 1, "+'", "m", 1, 0, "0x0")));
    std::string longFile = file + "d";
    ExpectEmpty(Parse(SourcePosition("f", longFile.c_str(), 1, "+'", "m", 1, 0, "0x0")));
}

TEST(LocationDescriptorLimits, TheModulesMarkerAndOffsetOfASourcePosition)
{
    std::string modules = Repeat('m', kDescriptorModulesLimit);
    EXPECT_TRUE(Parse(SourcePosition("f", "f.c", 1, "+'", modules.c_str(), 1, 0, "0x0")).ok);
    std::string longModules = modules + "m";
    ExpectEmpty(Parse(SourcePosition("f", "f.c", 1, "+'", longModules.c_str(), 1, 0, "0x0")));

    ExpectEmpty(Parse(SourcePosition("f", "f.c", 1, "+'+'", "m", 1, 0, "0x0")));

    // An over-long offset is left unread, as one that is no address.
    std::string offset = "0x" + Repeat('0', kDescriptorOffsetLimit - 3) + "1";
    EXPECT_EQ(Parse(SourcePosition("f", "f.c", 1, "+'", "m", 1, 0, offset.c_str())).offset, 1);
    std::string longOffset = "0x" + Repeat('0', kDescriptorOffsetLimit - 2) + "1";
    Parsed p = Parse(SourcePosition("f", "f.c", 1, "+'", "m", 1, 0, longOffset.c_str()));
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.offset, -1);
}

TEST(LocationDescriptorLimits, TheLabelAndModuleOfALabelForm)
{
    std::string label = Repeat('l', kDescriptorSymbolLimit);
    std::string module = Repeat('m', kDescriptorLabelModuleLimit);
    EXPECT_TRUE(Parse(PastLabel(label.c_str(), 4, module.c_str())).ok);
    EXPECT_TRUE(Parse(AtLabel(label.c_str(), module.c_str())).ok);

    std::string longLabel = label + "l";
    ExpectEmpty(Parse(PastLabel(longLabel.c_str(), 4, "m")));
    ExpectEmpty(Parse(AtLabel(longLabel.c_str(), "m")));
    std::string longModule = module + "m";
    ExpectEmpty(Parse(PastLabel("l", 4, longModule.c_str())));
    ExpectEmpty(Parse(AtLabel("l", longModule.c_str())));
}

TEST(LocationDescriptorLimits, TheFileOfAFileAndLine)
{
    std::string name = Repeat('n', kDescriptorNameLimit);
    EXPECT_TRUE(Parse((name + " 3").c_str()).ok);
    ExpectEmpty(Parse((name + "n 3").c_str()));
}

TEST(LocationDescriptorLimits, NumbersBeyond32BitsDoNotMatch)
{
    ExpectEmpty(Parse("'f {f.c} .2147483648+';m;1;0;0x0;"));
    EXPECT_EQ(Parse("'f {f.c} .2147483647+';m;1;0;0x0;").number, 2147483647);
    Parsed p = Parse("main.c 99999999999");
    EXPECT_TRUE(p.ok); // the name alone is enough
    EXPECT_EQ(p.number, 0);
}

} // namespace
