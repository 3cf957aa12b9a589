// The test program is a module with resources of its own: memory images compiled in as
// "SECTIONLIST" resources, as a server carries its boot images.
#include "intelhexreader.h"
#include "intelhextesting.h"
#include "progfilestrings.h"

#include <symdbstrings.h>

#include <vector>

#include <afxmodule.h>
#include <gtest/gtest.h>

namespace {

const char kBootImage[] = ":020000040800F2\n"
                          ":0400000001020304F2\n"
                          ":0400000508000001EE\n"
                          ":00000001FF\n";
const char kOtherImage[] = ":01001000559A\n:00000001FF\n";
const char kBroken[] = ":0100100055\n:00000001FF\n";

// The images are the bytes of the text without its terminating zero, as a resource
// compiler stores a file.
const QEL_RESOURCE_ENTRY kResourceEntries[] = {
    {"SECTIONLIST", MAKEINTRESOURCE(101), kBootImage, sizeof kBootImage - 1},
    {"SECTIONLIST", "BROKEN", kBroken, sizeof kBroken - 1},
    {"HEXIMAGE", "OTHER", kOtherImage, sizeof kOtherImage - 1},
};
// And the strings of the readers and of the symbol database they write.
const QEL_MODULE_RESOURCES &TestResources()
{
    static const std::vector<QEL_STRING_ENTRY> strings = [] {
        std::vector<QEL_STRING_ENTRY> all(g_SymdbStrings, g_SymdbStrings + g_SymdbStringCount);
        all.insert(all.end(), g_ProgfilesStrings, g_ProgfilesStrings + g_ProgfilesStringCount);
        return all;
    }();
    static const QEL_MODULE_RESOURCES resources = {strings.data(), strings.size(), kResourceEntries, 3};
    return resources;
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(TestResources())

namespace {

using namespace SectionList;

TEST(SectionListResource, ReadsAnImageOfTypeSectionList)
{
    CSectionList list;
    EXPECT_EQ(list.ReadIntelHexResource(AfxGetInstanceHandle(), MAKEINTRESOURCE(101), nullptr, TRUE), SLR_SUCCESS);
    EXPECT_EQ(ImageOf(list), (Image{{0x08000000, {1, 2, 3, 4}}}));
    EXPECT_EQ(list.GetStartAddress(), 0x08000001u);
    EXPECT_EQ(list.GetLineCount(), 4u);
}

TEST(SectionListResource, ReadsAnImageOfAnotherTypeByName)
{
    CSectionList list;
    EXPECT_EQ(list.ReadIntelHexResource(AfxGetInstanceHandle(), "other", "HEXIMAGE", TRUE), SLR_SUCCESS);
    EXPECT_EQ(ImageOf(list), (Image{{0x10, {0x55}}}));
}

TEST(SectionListResource, ReportsAMissingResourceAndAFaultyImage)
{
    CSectionList list;
    EXPECT_EQ(list.ReadIntelHexResource(AfxGetInstanceHandle(), "OTHER", nullptr, TRUE), SLR_NO_RESOURCE);
    EXPECT_EQ(list.ReadIntelHexResource(AfxGetInstanceHandle(), MAKEINTRESOURCE(102), nullptr, TRUE),
              SLR_NO_RESOURCE);
    EXPECT_EQ(list.GetLastResult(), SLR_NO_RESOURCE);
    EXPECT_EQ(list.ReadIntelHexResource(AfxGetInstanceHandle(), "BROKEN", nullptr, TRUE), SLR_RECORD_TOO_SHORT);
    EXPECT_EQ(list.GetLineCount(), 1u);
}

} // namespace
