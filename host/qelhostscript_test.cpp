// The script language of qelhost session: words, quoting, and every kind of value read
// and printed.
#include "qelhostscript.h"

#include "testing/comallocbalance.h"

#include <gtest/gtest.h>

namespace {

using QelHost::FormatValue;
using QelHost::ParseValue;
using QelHost::ScriptWord;
using QelHost::SplitWords;

class SessionScript : public ComAllocBalance {};

std::vector<std::string> Texts(const std::string &line)
{
    std::vector<ScriptWord> words;
    std::string error;
    EXPECT_TRUE(SplitWords(line, words, &error)) << line;
    std::vector<std::string> texts;
    for (const ScriptWord &word : words)
        texts.push_back(word.text);
    return texts;
}

TEST_F(SessionScript, WordsSplitAtBlanksOutsideQuotesWhichGoWithTheirEscapes)
{
    EXPECT_EQ(Texts(" exec\t71  i4:17 "), (std::vector<std::string>{"exec", "71", "i4:17"}));
    EXPECT_EQ(Texts(R"(text:247="a b" "" x"\"y\\"z a\b)"),
              (std::vector<std::string>{"text:247=a b", "", "x\"y\\z", "a\\b"}));
    std::vector<ScriptWord> words;
    std::string error;
    EXPECT_FALSE(SplitWords("exec 1 bstr:\"open", words, &error));
    EXPECT_EQ(error, "a quote is not closed");
    EXPECT_FALSE(SplitWords(std::string("exec 1 bstr:a\0b", 15), words, &error));
    EXPECT_TRUE(QelHost::IsSkippedLine("  # note"));
    EXPECT_TRUE(QelHost::IsSkippedLine(" \t"));
    EXPECT_FALSE(QelHost::IsSkippedLine("end # no comment"));
}

// Each value read from its word prints as the word that writes it.
TEST_F(SessionScript, EveryKindOfValueReadsAndPrintsInTheSameSyntax)
{
    const std::pair<const char *, const char *> cases[] = {
        {"u4:0xFFFFFFFF", "u4:4294967295"},
        {"u4:8", "u4:8"},
        {"i4:-2147483648", "i4:-2147483648"},
        {"i4:0x10", "i4:16"},
        {"bool:true", "bool:true"},
        {"bool:false", "bool:false"},
        {"bool:1", "bool:1"},
        {"bstr:", "bstr:\"\""},
        {R"(bstr:"a b\"c")", R"(bstr:"a b\"c")"},
        {"bstr:a,b", "bstr:a,b"},
        {R"(bstrs:"a,b",c,,"d e")", R"(bstrs:"a,b",c,"","d e")"},
        {"bstrs:", "bstrs:"},
        {"empty", "empty"},
    };
    for (const auto &[written, printed] : cases) {
        std::vector<ScriptWord> words;
        ASSERT_TRUE(SplitWords(written, words, nullptr));
        ASSERT_EQ(words.size(), 1u);
        CComVariant value;
        std::string error;
        ASSERT_TRUE(ParseValue(words[0], value, &error)) << written << ": " << error;
        EXPECT_EQ(FormatValue(value), printed) << written;
    }
    CComVariant one;
    ASSERT_TRUE(ParseValue({"bool:1", std::vector<bool>(6)}, one, nullptr));
    EXPECT_EQ(one.vt, VT_BOOL);
    EXPECT_EQ(one.boolVal, 1);
}

TEST_F(SessionScript, ValuesOutOfTheirRangeOrOfNoKindAreRefused)
{
    for (const char *written : {"u4:-1", "u4:0x100000000", "i4:2147483648", "bool:yes", "bool:65536", "u4:", "u4:1x",
                                "i4:0x", "text:5", "17", "empty:1"}) {
        CComVariant value;
        std::string error;
        EXPECT_FALSE(ParseValue({written, std::vector<bool>(strlen(written))}, value, &error)) << written;
        EXPECT_FALSE(error.empty()) << written;
    }
}

} // namespace
