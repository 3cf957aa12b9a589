// User formats of expression values: a printf format with exactly one conversion.
#include "valueconv.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const char kLetters[] = "iEGXcdefgoux";

// The 32 bits that an integer conversion prints of a double: its integer part, wrapped
// into 32 bits; a double that no 64-bit integer holds gives 0.
uint32_t Truncated(double value)
{
    if (!(value > -9.2e18 && value < 9.2e18))
        return 0;
    return static_cast<uint32_t>(static_cast<int64_t>(value));
}

} // namespace

BOOL QelIsUserFormat(LPCSTR format)
{
    LPCSTR percent = std::strchr(format, '%');
    if (percent == nullptr || percent[1] == '\0' || std::strchr(kLetters, percent[1]) == nullptr)
        return FALSE;
    return std::strchr(percent + 2, '%') == nullptr;
}

CString QelFormatUser(LPCSTR format, LONG resultType, const BYTE value[8])
{
    int32_t integer = 0;
    uint32_t unsignedInteger = 0;
    double real = 0;
    std::memcpy(&integer, value, sizeof integer);
    std::memcpy(&unsignedInteger, value, sizeof unsignedInteger);
    std::memcpy(&real, value, sizeof real);
    char letter = std::strchr(format, '%')[1];
    bool takesDouble = std::strchr("eEfgG", letter) != nullptr;
    char text[101];
    // The format was checked: one conversion, no flags, width or length letter.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    if (takesDouble) {
        double argument = resultType == 3 ? real : resultType == 2 ? double(unsignedInteger) : double(integer);
        std::snprintf(text, sizeof text, format, argument);
    } else {
        uint32_t argument = resultType == 3 ? Truncated(real) : unsignedInteger;
        std::snprintf(text, sizeof text, format, argument);
    }
#pragma GCC diagnostic pop
    return CString(text);
}
