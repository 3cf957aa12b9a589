#include "passwordcheck.h"

#include "sha256.h"

#include <random>

namespace qeldao {

namespace {

std::string Hex(const uint8_t *bytes, size_t count)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

} // namespace

std::string NewPasswordSalt()
{
    std::random_device random;
    uint8_t salt[16];
    for (uint8_t &byte : salt)
        byte = static_cast<uint8_t>(random());
    return Hex(salt, sizeof salt);
}

std::string PasswordCheckValue(const std::string &salt, const std::string &password)
{
    std::array<uint8_t, 32> digest = Sha256(salt + '\n' + password);
    return Hex(digest.data(), digest.size());
}

} // namespace qeldao
