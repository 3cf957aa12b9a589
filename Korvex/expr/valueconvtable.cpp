// The conversion table: 21 rows, the other 11 all zero. A zero row reads as class 0 and
// base type 0, so that a void value finds it and gets no formats and no converters.
#include "valueconvbasic.h"

namespace {

#define NO_NODE {nullptr, nullptr, nullptr, nullptr}
#define NO_PLAIN {nullptr, nullptr, nullptr, nullptr}

const char kDecimal[] = "decimal";
const char kHex[] = "hexadecimal";
const char kAscii[] = "ASCII";
const char kCompact[] = "compact";
const char kExponential[] = "exponential";

} // namespace

const QelConversionRow g_QelConversionTable[QELCONV_TABLE_ROWS] = {
    {0, 1, {kDecimal, kHex, kAscii, nullptr}, 0, {QelSignedByteDecimal, QelByteHex, QelByteAscii, nullptr}, NO_NODE},
    {0, 2, {kDecimal, kHex, kAscii, nullptr}, 0, {QelByteDecimal, QelByteHex, QelByteAscii, nullptr}, NO_NODE},
    {0, 3, {kDecimal, kHex, nullptr, nullptr}, 0, {QelShortDecimal, QelShortHex, nullptr, nullptr}, NO_NODE},
    {0, 4, {kDecimal, kHex, nullptr, nullptr}, 0, {QelUShortDecimal, QelShortHex, nullptr, nullptr}, NO_NODE},
    {0, 5, {kDecimal, kHex, nullptr, nullptr}, 0, {QelLongDecimal, QelFormatHex32, nullptr, nullptr}, NO_NODE},
    {0, 6, {kDecimal, kHex, nullptr, nullptr}, 0, {QelULongDecimal, QelFormatHex32, nullptr, nullptr}, NO_NODE},
    {0, 7, {kCompact, kExponential, nullptr, nullptr}, 0, {QelFloatCompact, QelFloatExponential, nullptr, nullptr},
     NO_NODE},
    {0, 8, {kCompact, kExponential, nullptr, nullptr}, 0, {QelDoubleCompact, QelDoubleExponential, nullptr, nullptr},
     NO_NODE},
    {0, 9, {kDecimal, kHex, nullptr, nullptr}, 0, {QelShortDecimal, QelShortHex, nullptr, nullptr}, NO_NODE},
    {0, 10, {kDecimal, kHex, nullptr, nullptr}, 0, {QelUShortDecimal, QelShortHex, nullptr, nullptr}, NO_NODE},
    {0, 11, {kDecimal, kHex, nullptr, nullptr}, 0, {QelLongDecimal, QelFormatHex32, nullptr, nullptr}, NO_NODE},
    {0, 12, {kDecimal, kHex, nullptr, nullptr}, 0, {QelULongDecimal, QelFormatHex32, nullptr, nullptr}, NO_NODE},
    {0, 107, {kDecimal, kHex, nullptr, nullptr}, 0, {QelInt64Decimal, QelInt64Hex, nullptr, nullptr}, NO_NODE},
    {0, 108, {kDecimal, kHex, nullptr, nullptr}, 0, {QelUInt64Decimal, QelInt64Hex, nullptr, nullptr}, NO_NODE},
    {0, 14, {kDecimal, kHex, nullptr, nullptr}, 0, {QelByteDecimal, QelByteHex, nullptr, nullptr}, NO_NODE},
    {0, 15, {kDecimal, kHex, nullptr, nullptr}, 0, {QelUShortDecimal, QelShortHex, nullptr, nullptr}, NO_NODE},
    {0, 17, {kDecimal, kHex, nullptr, nullptr}, 0, {QelUShortDecimal, QelShortHex, nullptr, nullptr}, NO_NODE},
    {0, 13, {"set", "clear", nullptr, nullptr}, 1, NO_PLAIN, {QelBitState, QelBitState, nullptr, nullptr}},
    {2, 0, {kDecimal, kHex, nullptr, nullptr}, 1, NO_PLAIN, {QelBitFieldDecimal, QelBitFieldHex, nullptr, nullptr}},
    {7, 0, {kHex, nullptr, nullptr, nullptr}, 0, {QelFormatHex32, nullptr, nullptr, nullptr}, NO_NODE},
    {3, 0, {nullptr, nullptr, nullptr, nullptr}, 1, NO_PLAIN, {QelCompareMemory, nullptr, nullptr, nullptr}},
};

const QelConversionRow *QelFindConversionRow(DWORD typeClass, LONG baseType)
{
    typeClass &= ~0x40000000u;
    for (const QelConversionRow &row : g_QelConversionTable)
        if (row.typeClass == typeClass && (typeClass != 0 || row.baseType == baseType))
            return &row;
    return nullptr;
}
