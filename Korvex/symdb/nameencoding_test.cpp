#include "nameencoding.h"

#include <gtest/gtest.h>

namespace {

TEST(NameEncoding, LowerCaseLettersAreRaisedAndComeBack)
{
    CString encoded, decoded;
    EncodeNameString("aZ_b", encoded);
    EXPECT_STREQ(encoded, "\xE2Z_\xE3");
    DecodeNameString(encoded, decoded);
    EXPECT_STREQ(decoded, "aZ_b");
    EncodeNameString("z", encoded);
    EXPECT_STREQ(encoded, "\xFB");
}

TEST(NameEncoding, OtherBytesAndWildcardsStay)
{
    CString encoded, decoded;
    EncodeNameString("M*?#[A-Z]9\xE9", encoded);
    EXPECT_STREQ(encoded, "M*?#[A-Z]9\xE9");
    DecodeNameString("\xE1\xFC", decoded);
    EXPECT_STREQ(decoded, "\xE1\xFC");
    EncodeNameString("", encoded);
    EXPECT_TRUE(encoded.IsEmpty());
}

} // namespace
