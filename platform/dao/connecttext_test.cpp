#include "connecttext.h"

#include <gtest/gtest.h>

using qeldao::ParseConnectText;

namespace {

TEST(ConnectText, FindsThePasswordOfBothForms)
{
    EXPECT_EQ(ParseConnectText("MS Access;pwd=qel12ab").password, "qel12ab");
    EXPECT_EQ(ParseConnectText(";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=qel12ab").password, "qel12ab");
    EXPECT_EQ(ParseConnectText(";PWD=a b=c").password, "a b=c");
}

TEST(ConnectText, NoPasswordWithoutThePart)
{
    EXPECT_EQ(ParseConnectText("MS Access").password, "");
    EXPECT_EQ(ParseConnectText(nullptr).password, "");
    EXPECT_EQ(ParseConnectText(";LANGID=0x0409;CP=1252;COUNTRY=0").password, "");
}

} // namespace
