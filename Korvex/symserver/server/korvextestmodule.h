// Test support: the test program as a module of its own with Korvex's object map, whose
// classes stand in the process's class table while a test runs, so that the host's
// CoCreateInstance finds them as it finds libKorvex.so's.
#pragma once

#include <atlbase.h>
#include <korvexapp.h>
#include <qelsymbolclasses.h>

#include <gtest/gtest.h>

#include <vector>

class CKorvexTestModule {
public:
    // Starts the module on an empty registry and registers its classes.
    void Register()
    {
        QelUseRegistryFile(nullptr);
        ASSERT_EQ(m_module.Init(KorvexObjectMap(), AfxGetInstanceHandle()), S_OK);
        for (const CLSID *clsid : {&CLSID_QelSymbol, &CLSID_QelSymbolPCP, &CLSID_SymSrvPropertyPage}) {
            CComPtr<IUnknown> factory;
            ASSERT_EQ(m_module.GetClassObject(*clsid, IID_IUnknown, reinterpret_cast<void **>(&factory)), S_OK);
            DWORD cookie = 0;
            ASSERT_EQ(CoRegisterClassObject(*clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
            m_cookies.push_back(cookie);
        }
    }

    // Takes the classes out again and ends the module; every object of it must be gone.
    void Revoke()
    {
        for (DWORD cookie : m_cookies)
            CoRevokeClassObject(cookie);
        m_cookies.clear();
        EXPECT_EQ(m_module.GetLockCount(), 0);
        m_module.Term();
        QelUseRegistryFile(nullptr);
    }

    CComModule &Module() { return m_module; }

private:
    CComModule m_module;
    std::vector<DWORD> m_cookies;
};
