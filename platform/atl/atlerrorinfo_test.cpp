#include "atlbase.h"

#include <gtest/gtest.h>

namespace {

DEFINE_GUID(kSomeClass, 0xEF0E9413, 0xD9B2, 0x11D1, 0xBC, 0x34, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29);
DEFINE_GUID(kSomeInterface, 0xEF0E9412, 0xD9B2, 0x11D1, 0xBC, 0x34, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29);

class AtlErrorInfo : public ::testing::Test {
protected:
    void SetUp() override { before = QelGetComAllocCounts(); }
    void TearDown() override { EXPECT_EQ(QelGetComAllocCounts(), before); }
    QelComAllocCounts before;
};

TEST_F(AtlErrorInfo, CallerFindsTheTextAndTheInterface)
{
    EXPECT_EQ(AtlSetErrorInfo(kSomeClass, u"Unknown error occurred.", 0, nullptr, kSomeInterface, 1), 1);
    IErrorInfo *info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    CComBSTR description;
    info->GetDescription(&description);
    EXPECT_EQ(description, CComBSTR(u"Unknown error occurred."));
    GUID guid;
    info->GetGUID(&guid);
    EXPECT_TRUE(IsEqualGUID(guid, kSomeInterface));
    DWORD context = 7;
    info->GetHelpContext(&context);
    EXPECT_EQ(context, 0u) << "no help";
    info->Release();
}

TEST_F(AtlErrorInfo, HelpIsKeptWhenGivenAndZeroResultBecomesDispException)
{
    EXPECT_EQ(AtlSetErrorInfo(kSomeClass, u"text", 12, u"help.hlp", kSomeInterface, 0), DISP_E_EXCEPTION);
    IErrorInfo *info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    DWORD context = 0;
    info->GetHelpContext(&context);
    EXPECT_EQ(context, 12u);
    CComBSTR file;
    info->GetHelpFile(&file);
    EXPECT_EQ(file, CComBSTR(u"help.hlp"));
    info->Release();
}

TEST_F(AtlErrorInfo, TheSourceIsTheRegisteredProgIdOfTheClass)
{
    QelUseRegistryFile(nullptr);
    AtlSetErrorInfo(kSomeClass, u"text", 0, nullptr, kSomeInterface, E_FAIL);
    IErrorInfo *info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    CComBSTR source;
    info->GetSource(&source);
    EXPECT_EQ(source.m_str, nullptr) << "a class that is not registered has no source";
    info->Release();

    CRegObject registrar;
    ASSERT_EQ(registrar.StringRegister(
                  "HKCR { CLSID { {EF0E9413-D9B2-11D1-BC34-006097125629} { ProgID = s 'QEL.QelSymbol.1' } } }"),
              S_OK);
    AtlSetErrorInfo(kSomeClass, u"text", 0, nullptr, kSomeInterface, E_FAIL);
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    CComBSTR registered;
    info->GetSource(&registered);
    EXPECT_EQ(registered, CComBSTR(u"QEL.QelSymbol.1"));
    info->Release();
    QelUseRegistryFile(nullptr);
}

TEST_F(AtlErrorInfo, ResourceIdInPlaceOfTheTextIsRefused)
{
    EXPECT_EQ(AtlSetErrorInfo(kSomeClass, reinterpret_cast<LPCOLESTR>(3000), 0, nullptr, kSomeInterface, E_FAIL),
              E_INVALIDARG);
    IErrorInfo *info = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
}

} // namespace
