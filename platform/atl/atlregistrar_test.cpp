#include "atlbase.h"
#include "testing/atltestmodule.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Registrar : public ::testing::Test {
protected:
    void SetUp() override { QelUseRegistryFile(nullptr); }
    void TearDown() override { QelUseRegistryFile(nullptr); }

    static bool KeyExists(HKEY root, const char *path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    // The text of a value, "<none>" when there is none.
    static std::string Text(HKEY root, const char *path, const char *name = nullptr)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "<none>";
        char buffer[512] = {};
        DWORD size = sizeof buffer - 1;
        DWORD type = 0;
        LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size);
        RegCloseKey(key);
        return result == ERROR_SUCCESS && type == REG_SZ ? std::string(buffer) : "<none>";
    }

    CRegObject registrar_;
};

const char kClassScript[] = R"(
HKCR
{
    QEL.Thing.1 = s 'Thing Class'
    {
        CLSID = s '%CLSID%'
    }
    NoRemove CLSID
    {
        ForceRemove %CLSID% = s 'Thing Class'
        {
            ProgID = s 'QEL.Thing.1'
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Free'
            }
            'Programmable'
        }
    }
}
)";

TEST_F(Registrar, RegistersKeysValuesAndReplacements)
{
    registrar_.AddReplacement("CLSID", "{EF0E9413-D9B2-11D1-BC34-006097125629}");
    registrar_.AddReplacement("module", "/opt/qel/lib/libThing.so");
    ASSERT_EQ(registrar_.StringRegister(kClassScript), S_OK);

    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "QEL.Thing.1"), "Thing Class");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "QEL.Thing.1\\CLSID"), "{EF0E9413-D9B2-11D1-BC34-006097125629}");
    const char *classKey = "CLSID\\{EF0E9413-D9B2-11D1-BC34-006097125629}";
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, classKey), "Thing Class");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, (std::string(classKey) + "\\InprocServer32").c_str()),
              "/opt/qel/lib/libThing.so");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, (std::string(classKey) + "\\InprocServer32").c_str(), "ThreadingModel"),
              "Free");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, (std::string(classKey) + "\\Programmable").c_str()));
}

TEST_F(Registrar, UnregisteringTakesOutOnlyWhatTheScriptPutIn)
{
    registrar_.AddReplacement("CLSID", "{EF0E9413-D9B2-11D1-BC34-006097125629}");
    registrar_.AddReplacement("MODULE", "/lib/libThing.so");
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{00000000-0000-0000-0000-000000000001}", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &other, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(other);
    ASSERT_EQ(registrar_.StringRegister(kClassScript), S_OK);
    // Another server's value in a plain key keeps that key.
    HKEY progId = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "QEL.Thing.1", 0, KEY_ALL_ACCESS, &progId), ERROR_SUCCESS);
    RegSetValueExA(progId, "Foreign", 0, REG_SZ, reinterpret_cast<const BYTE *>("x"), 2);
    RegCloseKey(progId);

    ASSERT_EQ(registrar_.StringUnregister(kClassScript), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{EF0E9413-D9B2-11D1-BC34-006097125629}"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{00000000-0000-0000-0000-000000000001}"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "QEL.Thing.1\\CLSID"));
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "QEL.Thing.1", "Foreign"), "x");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "QEL.Thing.1"), "<none>");
}

TEST_F(Registrar, ForceRemoveReplacesWhatWasThere)
{
    HKEY stale = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "Thing\\Stale\\Deeper", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &stale, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(stale);
    ASSERT_EQ(registrar_.StringRegister("HKCR { ForceRemove Thing = s 'new' { Fresh } }"), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Thing\\Stale"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "Thing\\Fresh"));
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "Thing"), "new");
}

TEST_F(Registrar, NumbersAndBytesAreStoredWithTheirTypes)
{
    ASSERT_EQ(registrar_.StringRegister("HKLM { Thing { val Count = d '0x10' val Raw = b '0aFF' } }"), S_OK);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Thing", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD number = 0, size = sizeof number, type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Count", nullptr, &type, reinterpret_cast<BYTE *>(&number), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(number, 16u);
    BYTE bytes[4] = {};
    size = sizeof bytes;
    EXPECT_EQ(RegQueryValueExA(key, "Raw", nullptr, &type, bytes, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(size, 2u);
    EXPECT_EQ(bytes[0], 0x0A);
    EXPECT_EQ(bytes[1], 0xFF);
    RegCloseKey(key);
}

TEST_F(Registrar, ReplacedTextsCannotChangeTheScriptsShape)
{
    registrar_.AddReplacement("MODULE", "/odd' } HKCR { Evil = s 'x");
    ASSERT_EQ(registrar_.StringRegister("HKCR { Thing = s '%MODULE%' val_is_a_key 'It''s' }"), S_OK);
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "Thing"), "/odd' } HKCR { Evil = s 'x");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Evil"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "It's"));
    EXPECT_EQ(registrar_.StringRegister("HKCR { Percent = s '100%%' }"), S_OK);
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "Percent"), "100%");
}

TEST_F(Registrar, MalformedScriptsChangeNothing)
{
    const char *scripts[] = {
        "HKCR { Thing = s 'open",                 // unterminated text
        "HKCR { Thing { Inner }",                 // unclosed block
        "HKXX { Thing }",                         // unknown root
        "HKCR { Thing = s '%NOSUCH%' }",          // unknown replacement
        "HKCR { Thing = q 'x' }",                 // unknown value type
        "HKCR { Thing { val = s 'x' } }",         // value without a name
        "HKCR { Thing = d '4294967296' }",        // number beyond 32 bits
        "HKCR { Thing = d '12abc' }",             // no number
        "HKCR { Thing = b 'abc' }",               // odd hex
        "HKCR { First } HKCR { ForceRemove }",    // a mode without a key
        "HKCR { Thing = }",                       // value missing
    };
    for (const char *script : scripts) {
        EXPECT_EQ(registrar_.StringRegister(script), DISP_E_EXCEPTION) << script;
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Thing")) << script;
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "First")) << script;
    }
}

TEST_F(Registrar, DeeplyNestedScriptsAreRefusedNotOverflowed)
{
    std::string script = "HKCR {";
    for (int i = 0; i < 100000; i++)
        script += " k {";
    EXPECT_EQ(registrar_.StringRegister(script.c_str()), DISP_E_EXCEPTION);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "k"));
}

TEST_F(Registrar, ScriptsComeFromTheModulesRegistryResources)
{
    HINSTANCE module = QelAtlTestModule();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(registrar_.ResourceRegister(module, IDR_TEST_PLAIN), S_OK);
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "FromResource"), "yes");
    EXPECT_EQ(registrar_.ResourceUnregister(module, IDR_TEST_PLAIN), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "FromResource"));
    EXPECT_EQ(registrar_.ResourceRegister(module, 999), HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
}

} // namespace
