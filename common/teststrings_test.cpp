// The test program is a module of its own: it binds its string table here, as each
// server binds its own, so that texts loaded by id come from it.
#include "teststrings.h"

#include <afx.h>

#include <array>

namespace {

constexpr std::array<char, 301> kLong = [] {
    std::array<char, 301> text{};
    for (size_t i = 0; i < 300; ++i)
        text[i] = 'R';
    return text;
}();

const QEL_STRING_ENTRY kStrings[] = {
    {IDS_TEST_PLAIN, "Cannot open the program file."},
    {IDS_TEST_FORMAT, "Cannot open %s (error %d)."},
    {IDS_TEST_LONG, kLong.data()},
    {IDS_TEST_TITLE, "File load error"},
    {IDS_TEST_NOT_SUPPORTED, "The format of selected binary target file is currently not supported."},
    {IDS_TEST_ANY, "%s"},
    {IDS_TEST_CFG_SYSTEM, "System"},
    {IDS_TEST_CFG_AUTOLOADELF, "AUTOLOADELF/BOOL"},
    {IDS_TEST_CFG_IGNORE, "IgnoreProgramFromWsp/BOOL:FALSE"},
    {IDS_TEST_CFG_DIRECTORY, "  DATABASE_DIRECTORY/ bstr :  /tmp/Db "},
};
// A bitmap resource: BITMAPINFOHEADER, a grey colour table and the pixel rows (padded to
// four bytes), with no file header.
template <size_t Colours, size_t PixelBytes>
constexpr std::array<BYTE, 40 + 4 * Colours + PixelBytes> MakeBitmap(DWORD width, DWORD height, WORD bitCount,
                                                                     DWORD clrUsed)
{
    std::array<BYTE, 40 + 4 * Colours + PixelBytes> bytes{};
    auto put = [&bytes](size_t at, DWORD value, int count) {
        for (int i = 0; i < count; ++i)
            bytes[at + i] = static_cast<BYTE>(value >> (8 * i));
    };
    put(0, 40, 4); // biSize
    put(4, width, 4);
    put(8, height, 4);
    put(12, 1, 2); // biPlanes
    put(14, bitCount, 2);
    put(20, PixelBytes, 4); // biSizeImage
    put(32, clrUsed, 4);
    for (size_t i = 0; i < Colours; ++i)
        put(40 + 4 * i, static_cast<DWORD>(i * 0x010101), 4);
    for (size_t i = 0; i < PixelBytes; ++i)
        bytes[40 + 4 * Colours + i] = static_cast<BYTE>(0xA0 + i);
    return bytes;
}

constexpr auto kPalette8 = MakeBitmap<256, 8>(2, 2, 8, 0);
constexpr auto kTrueColour = MakeBitmap<0, 4>(1, 1, 24, 0);
constexpr auto kFewColours = MakeBitmap<3, 4>(2, 1, 4, 3);
constexpr auto kBadColours = MakeBitmap<0, 4>(1, 1, 24, 100);
constexpr char kScript[] = "HKCR\n{\n}\n";

const QEL_RESOURCE_ENTRY kResourceEntries[] = {
    {RT_BITMAP, MAKEINTRESOURCE(IDB_TEST_PALETTE8), kPalette8.data(), kPalette8.size()},
    {RT_BITMAP, MAKEINTRESOURCE(IDB_TEST_TRUECOLOUR), kTrueColour.data(), kTrueColour.size()},
    {RT_BITMAP, MAKEINTRESOURCE(IDB_TEST_FEWCOLOURS), kFewColours.data(), kFewColours.size()},
    {RT_BITMAP, MAKEINTRESOURCE(IDB_TEST_TRUNCATED), kPalette8.data(), 20},
    {RT_BITMAP, MAKEINTRESOURCE(IDB_TEST_BADCOLOURS), kBadColours.data(), kBadColours.size()},
    {"REGISTRY", MAKEINTRESOURCE(IDR_TEST_SCRIPT), kScript, sizeof kScript - 1},
};

const QEL_MODULE_RESOURCES kResources = {kStrings, sizeof kStrings / sizeof kStrings[0], kResourceEntries,
                                         sizeof kResourceEntries / sizeof kResourceEntries[0]};

} // namespace

QEL_DEFINE_MODULE_RESOURCES(kResources)
