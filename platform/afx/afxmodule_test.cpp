// The test program is a module of its own: it binds its resource tables here, as each
// server binds its own.
#include "afxmodule.h"

#include "afxstring.h"
#include "dialogtemplate.h"

#include <gtest/gtest.h>

#include <array>

namespace {

// A string longer than the first buffer that LoadString tries, made at compile time: the
// tables must be constant data, since the binding registers them before any other static
// object of the module is made.
constexpr std::array<char, 701> kLong = [] {
    std::array<char, 701> text{};
    for (size_t i = 0; i < 700; ++i)
        text[i] = 'L';
    return text;
}();

const QEL_STRING_ENTRY kStrings[] = {
    {3000, "Unknown error occurred."},
    {3001, "Out of memory or memory insufficient."},
    {3002, kLong.data()},
    {3003, "Tuning"},
};
const unsigned char kImage[] = {1, 2, 3};

} // namespace

// The dialog of the dialog tests (afxdialog_test.cpp), and the property page's
// (afxolepage_test.cpp).
extern const QEL_DLGTEMPLATE kAfxSettingsTemplate;
extern const QEL_DLGTEMPLATE kAfxPageTemplate;

namespace {

const QEL_RESOURCE_ENTRY kResourceEntries[] = {
    {"SECTIONLIST", MAKEINTRESOURCE(7), kImage, sizeof kImage},
    {RT_DIALOG, MAKEINTRESOURCE(300), &kAfxSettingsTemplate, sizeof kAfxSettingsTemplate},
    {RT_DIALOG, MAKEINTRESOURCE(301), &kAfxPageTemplate, sizeof kAfxPageTemplate},
};
const QEL_MODULE_RESOURCES kResources = {kStrings, 4, kResourceEntries, 3};

} // namespace

QEL_DEFINE_MODULE_RESOURCES(kResources)

namespace {

// Made after the binding, as every ordinary static object of a module is.
const CString g_loadedAtStart = [] {
    CString s;
    s.LoadString(3000);
    return s;
}();

TEST(AfxModuleTest, TheModuleIsBoundToItsResourcesWhileItLoads)
{
    AFX_MODULE_STATE *state = AfxGetStaticModuleState();
    EXPECT_NE(state->m_hCurrentInstanceHandle, nullptr);
    EXPECT_EQ(state->m_hCurrentResourceHandle, state->m_hCurrentInstanceHandle);
    EXPECT_EQ(AfxGetModuleState(), state);
    EXPECT_EQ(AfxGetInstanceHandle(), state->m_hCurrentInstanceHandle);
    EXPECT_EQ(g_loadedAtStart, "Unknown error occurred.");
}

TEST(AfxModuleTest, LoadsStringsOfTheResourceModule)
{
    CString s;
    EXPECT_TRUE(s.LoadString(3001));
    EXPECT_EQ(s, "Out of memory or memory insufficient.");
    EXPECT_TRUE(s.LoadString(3002)); // longer than the first buffer
    EXPECT_EQ(s.GetLength(), 700);
    EXPECT_FALSE(s.LoadString(4711));
    EXPECT_TRUE(s.IsEmpty());
    char buffer[8];
    EXPECT_EQ(AfxLoadString(3000, buffer, sizeof buffer), 7);
    EXPECT_STREQ(buffer, "Unknown");
}

TEST(AfxModuleTest, ManageStateSwitchesTheThreadsStateForTheScope)
{
    // A state whose module is not (or no longer) loaded.
    HINSTANCE gone = reinterpret_cast<HINSTANCE>(0x1000);
    AFX_MODULE_STATE other = {gone, gone};
    {
        AFX_MANAGE_STATE(&other);
        EXPECT_EQ(AfxGetModuleState(), &other);
        EXPECT_EQ(AfxGetResourceHandle(), gone);
        CString s;
        EXPECT_FALSE(s.LoadString(3000));
        {
            AFX_MANAGE_STATE(AfxGetStaticModuleState());
            EXPECT_TRUE(s.LoadString(3000));
        }
        EXPECT_EQ(AfxGetModuleState(), &other);
    }
    EXPECT_EQ(AfxGetModuleState(), AfxGetStaticModuleState());
}

TEST(AfxModuleTest, ResourceHandleCanBeSetAndResourcesFound)
{
    HINSTANCE own = AfxGetInstanceHandle();
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(7), "SECTIONLIST"), own);
    HINSTANCE gone = reinterpret_cast<HINSTANCE>(0x1000);
    AfxSetResourceHandle(gone);
    EXPECT_EQ(AfxGetResourceHandle(), gone);
    // Not in the resource handle's module: found in the instance.
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(7), "SECTIONLIST"), own);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(8), "SECTIONLIST"), gone);
    AfxSetResourceHandle(own);
    EXPECT_EQ(AfxGetResourceHandle(), own);
}

} // namespace
