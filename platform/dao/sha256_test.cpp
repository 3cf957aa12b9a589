#include "sha256.h"

#include <gtest/gtest.h>

namespace {

std::string Hex(const std::array<uint8_t, 32> &digest)
{
    std::string text;
    char buffer[3];
    for (uint8_t byte : digest) {
        snprintf(buffer, sizeof buffer, "%02x", byte);
        text += buffer;
    }
    return text;
}

TEST(Sha256, GivesTheDigestsOfTheStandardExamples)
{
    EXPECT_EQ(Hex(qeldao::Sha256("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Hex(qeldao::Sha256("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Hex(qeldao::Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

} // namespace
