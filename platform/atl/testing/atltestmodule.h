// The resources of the template library's test program, registered once: the registry
// scripts and the type library line that the tests of the registrar and of the module
// run.
#pragma once

#include <ole2.h>

enum : UINT {
    IDR_TEST_PLAIN = 101,  // one key, FromResource
    IDR_TEST_CLASS = 102,  // a class with its ProgID, for CLSID_QelAtlTestClass
};

DEFINE_GUID(CLSID_QelAtlTestClass, 0x1A2B3C21, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21);

inline HINSTANCE QelAtlTestModule()
{
    static const char plain[] = "HKCR { FromResource = s 'yes' }";
    static const char thing[] = R"(HKCR
{
    QEL.AtlTest.1 = s 'AtlTest Class'
    {
        CLSID = s '{1A2B3C21-0001-0002-8000-000000000021}'
    }
    NoRemove CLSID
    {
        ForceRemove {1A2B3C21-0001-0002-8000-000000000021} = s 'AtlTest Class'
        {
            ProgID = s 'QEL.AtlTest.1'
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Free'
            }
        }
    }
})";
    static const char typelib[] = "{1A2B3C2F-0001-0002-8000-00000000002F} 1.0 atltest 1.0 Type Library";
    static const QEL_RESOURCE_ENTRY resources[] = {
        {"REGISTRY", MAKEINTRESOURCE(IDR_TEST_PLAIN), plain, sizeof plain - 1},
        {"REGISTRY", MAKEINTRESOURCE(IDR_TEST_CLASS), thing, sizeof thing - 1},
        {"TYPELIB", MAKEINTRESOURCE(1), typelib, sizeof typelib - 1},
    };
    static const QEL_MODULE_RESOURCES table = {nullptr, 0, resources, sizeof resources / sizeof resources[0]};
    static HINSTANCE module = QelRegisterModule(&table, &table);
    return module;
}
