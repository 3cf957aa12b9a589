#include "resources.h"

#include "lasterror.h"
#include "modules.h"
#include "winerror.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

extern "C" HINSTANCE QelWinTestModuleRegister();

namespace {

const QEL_STRING_ENTRY programStrings[] = {
    {1, "Program one"},
    {2, "AUTORELOAD/BOOL"},
    {1, "a second text of id 1 is never seen"},
};

const unsigned char image[] = {':', '0', '0', '0', '0', '0', '0', '0', '1', 'F', 'F'};
const unsigned char bitmap[] = {40, 0, 0, 0, 16, 0, 0, 0};

const QEL_RESOURCE_ENTRY programResources[] = {
    {"SECTIONLIST", "Boot_Image", image, sizeof image},
    {RT_BITMAP, MAKEINTRESOURCE(130), bitmap, sizeof bitmap},
    {RT_RCDATA, "#300", image, 4},
};

const QEL_MODULE_RESOURCES programTables = {programStrings, 3, programResources, 3};
const QEL_MODULE_RESOURCES otherTables = {programStrings, 1, nullptr, 0};

// The test program and the test library, each registered with its own tables.
class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        program = QelRegisterModule(&programTables, &programTables);
        library = QelWinTestModuleRegister();
        ASSERT_NE(program, nullptr);
        ASSERT_NE(library, nullptr);
        ASSERT_NE(program, library);
    }
    void TearDown() override
    {
        QelUnregisterModule(library);
        QelUnregisterModule(program);
    }

    std::string String(HINSTANCE module, UINT id)
    {
        char buffer[256];
        int n = LoadStringA(module, id, buffer, sizeof buffer);
        EXPECT_EQ(n, static_cast<int>(strlen(buffer)));
        return buffer;
    }

    HINSTANCE program = nullptr;
    HINSTANCE library = nullptr;
};

} // namespace

TEST_F(ResourcesTest, EachModuleAnswersFromItsOwnStringTable)
{
    EXPECT_EQ(String(program, 1), "Program one");
    EXPECT_EQ(String(library, 1), "Library one");
    EXPECT_EQ(String(library, 7), "Only in the library");
    EXPECT_EQ(String(program, 7), "");
    EXPECT_EQ(String(library, 2), "");
}

TEST_F(ResourcesTest, NullInstanceIsTheProgram)
{
    EXPECT_EQ(String(nullptr, 2), "AUTORELOAD/BOOL");
}

TEST_F(ResourcesTest, FirstTextOfAnIdWins)
{
    EXPECT_EQ(String(program, 1), "Program one");
}

TEST_F(ResourcesTest, LoadStringCopiesAtMostSizeMinusOneAndTerminates)
{
    char buffer[8];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(LoadStringA(program, 2, buffer, 6), 5);
    EXPECT_STREQ(buffer, "AUTOR");
    EXPECT_EQ(buffer[6], 'x');
    EXPECT_EQ(LoadStringA(program, 2, buffer, 1), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(LoadStringA(program, 2, buffer, 0), 0);
    EXPECT_EQ(LoadStringA(program, 2, nullptr, 8), 0);
}

TEST_F(ResourcesTest, MissingStringGivesZeroAndAnEmptyText)
{
    char buffer[8] = "old";
    SetLastError(0);
    EXPECT_EQ(LoadStringA(program, 999, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(ResourcesTest, ResourceIsFoundLoadedAndLocked)
{
    HRSRC found = FindResourceA(program, "Boot_Image", "SECTIONLIST");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(SizeofResource(program, found), sizeof image);
    HGLOBAL loaded = LoadResource(program, found);
    ASSERT_NE(loaded, nullptr);
    const void *data = LockResource(loaded);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(memcmp(data, image, sizeof image), 0);
    EXPECT_FALSE(FreeResource(loaded));
}

TEST_F(ResourcesTest, NamesAndTypesAreIdsOrCaseBlindTexts)
{
    EXPECT_NE(FindResourceA(program, "boot_image", "SectionList"), nullptr);
    EXPECT_NE(FindResourceA(program, MAKEINTRESOURCE(130), RT_BITMAP), nullptr);
    EXPECT_NE(FindResourceA(program, "#130", "#2"), nullptr) << "\"#130\" is the id 130";
    EXPECT_NE(FindResourceA(program, MAKEINTRESOURCE(300), RT_RCDATA), nullptr) << "a table entry may say \"#300\"";
    EXPECT_EQ(FindResourceA(program, "130", RT_BITMAP), nullptr) << "without '#' it is a name";
}

TEST_F(ResourcesTest, MissingResourceSaysWhatIsMissing)
{
    SetLastError(0);
    EXPECT_EQ(FindResourceA(program, MAKEINTRESOURCE(131), RT_BITMAP), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceA(program, MAKEINTRESOURCE(1), RT_DIALOG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
}

TEST_F(ResourcesTest, ModulesDoNotSeeEachOthersResources)
{
    EXPECT_EQ(FindResourceA(library, "Boot_Image", "SECTIONLIST"), nullptr);
    HRSRC script = FindResourceA(library, MAKEINTRESOURCE(204), "registry");
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(FindResourceA(program, MAKEINTRESOURCE(204), "REGISTRY"), nullptr);
    EXPECT_EQ(SizeofResource(program, script), 0u) << "a resource of another module";
    EXPECT_EQ(LoadResource(program, script), nullptr);
    std::string text(static_cast<const char *>(LockResource(LoadResource(library, script))),
                     SizeofResource(library, script));
    EXPECT_EQ(text, "HKCR { NoRemove CLSID }");
}

TEST_F(ResourcesTest, BogusResourceHandlesFailCleanly)
{
    QEL_RESOURCE_ENTRY lookalike = programResources[0];
    HRSRC bogus = reinterpret_cast<HRSRC>(&lookalike);
    SetLastError(0);
    EXPECT_EQ(LoadResource(program, bogus), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(SizeofResource(program, bogus), 0u);
    EXPECT_EQ(LoadResource(nullptr, bogus), nullptr);
    EXPECT_EQ(LockResource(&lookalike), nullptr);
    EXPECT_EQ(LockResource(nullptr), nullptr);
}

TEST_F(ResourcesTest, UnregisteredModuleHandleIsRefused)
{
    int notAModule = 0;
    HINSTANCE bogus = reinterpret_cast<HINSTANCE>(&notAModule);
    char buffer[8];
    SetLastError(0);
    EXPECT_EQ(LoadStringA(bogus, 1, buffer, sizeof buffer), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(FindResourceA(bogus, "Boot_Image", "SECTIONLIST"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ResourcesTest, RegisteringAgainCountsAndKeepsTheHandle)
{
    EXPECT_EQ(QelRegisterModule(&programTables, &programTables), program);
    QelUnregisterModule(program);
    EXPECT_EQ(String(program, 1), "Program one") << "one registration is left";
}

TEST_F(ResourcesTest, RegisteringAgainWithOtherTablesFails)
{
    SetLastError(0);
    EXPECT_EQ(QelRegisterModule(&programTables, &otherTables), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(String(program, 2), "AUTORELOAD/BOOL");
}

TEST_F(ResourcesTest, UnregisteredModuleIsGone)
{
    QelUnregisterModule(library);
    char buffer[16];
    EXPECT_EQ(LoadStringA(library, 1, buffer, sizeof buffer), 0);
    EXPECT_EQ(GetModuleFileNameA(library, buffer, sizeof buffer), 0u);
    library = QelWinTestModuleRegister(); // for TearDown
}

TEST(ModuleRegistration, AddressOutsideEveryModuleIsRefused)
{
    auto heap = std::make_unique<int>(0);
    SetLastError(0);
    EXPECT_EQ(QelRegisterModule(heap.get(), nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(QelRegisterModule(nullptr, nullptr), nullptr);
}

TEST(Resources, NoProgramRegisteredMeansNoProgramResources)
{
    char buffer[8] = "old";
    EXPECT_EQ(LoadStringA(nullptr, 1, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(FindResourceA(nullptr, "Boot_Image", "SECTIONLIST"), nullptr);
}
