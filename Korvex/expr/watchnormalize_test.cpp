#include "watchnormalize.h"

#include <gtest/gtest.h>

namespace {

TEST(NormalizeWatchExpression, SqueezesTheTextAndTakesTheExpressionForm)
{
    static const struct {
        const char *text;
        int mode;
        const char *squeezed; // the text afterwards
        const char *format;
        const char *inner;
    } cases[] = {
        {"?(\"mod\",a+b)", 0, "?(\"mod\",a+b)", "mod", "a+b"},
        {"?(\"ab\",a+b)", 0, "?(\"ab\",a+b)", "", ""},
        {"?(\"%d\",x)", 0, "?(\"%d\",x)", "", ""},
        {"?(\"mod\"x)", 0, "?(\"mod\"x)", "", ""},
        {"?(\"abc)", 0, "?(\"abc)", "", ""},
        {"a  +\t b", 0, "a + b", "", ""},
        {"?(  a \t )", 0, "?( a )", "", "a"},
        {"?(\"fmt  x\",a   b)", 0, "?(\"fmt  x\",a b)", "fmt  x", "a b"},
        {"\"a\\\"  b\"  c\\\\\"  d\"", 0, "\"a\\\"  b\" c\\\\\"  d\"", "", ""},
        {"?()", 0, "?()", "", ""},
        {"x + 1", 1, "x + 1", "", ""},
        // fconvert: a factor and an offset, or a factor alone; the raw value is taken up
        // to its own closing parenthesis
        {"?(fconvert(\"0.5,10\",raw))", 1, "?((raw)*0.5-10)", "", "(raw)*0.5-10"},
        {"?(fconvert(\"2,1\",(a+b)))", 1, "?(((a+b))*2-1)", "", "((a+b))*2-1"},
        {"?(\"mod\",fconvert(\"3\",x))", 1, "?(\"mod\",(x)*3)", "mod", "(x)*3"},
        {"?(fconvert(\"0.5,10\",raw))", 0, "?(fconvert(\"0.5,10\",raw))", "", "fconvert(\"0.5,10\",raw)"},
        {"?(fconvert(\"2\",x)+1)", 1, "?(fconvert(\"2\",x)+1)", "", "fconvert(\"2\",x)+1"},
        {"?(Fconvert(\"2\",x))", 1, "?(Fconvert(\"2\",x))", "", "Fconvert(\"2\",x)"},
    };
    for (const auto &c : cases) {
        CString text = c.text, format = "stale";
        CString inner = NormalizeWatchExpression(text, format, c.mode);
        EXPECT_STREQ(text, c.squeezed) << c.text;
        EXPECT_STREQ(format, c.format) << c.text;
        EXPECT_STREQ(inner, c.inner) << c.text;
    }
}

} // namespace
