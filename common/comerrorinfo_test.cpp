#include "comerrorinfo.h"

#include "testing/comallocbalance.h"
#include "testing/countedobject.h"

#include <atlbase.h>
#include <gtest/gtest.h>

namespace {

// Leaves no error information behind, so that the BSTRs it holds do not count.
class ComErrorInfoTest : public ComAllocBalance {
protected:
    void TearDown() override
    {
        SetErrorInfo(0, nullptr);
        ComAllocBalance::TearDown();
    }
};

const GUID kGuid = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};

TEST_F(ComErrorInfoTest, TheItemsSetAreTheItemsReadBack)
{
    ASSERT_TRUE(SetComErrorInfo("Gr\xFC\xDF" "e failed", "QelSymbolEngine", &kGuid, "qel.hlp", 42));
    CString description, source, helpFile;
    GUID guid = GUID_NULL;
    DWORD context = 0;
    ASSERT_TRUE(GetComErrorInfo(&description, &source, &guid, &helpFile, &context));
    EXPECT_STREQ(description, "Gr\xFC\xDF" "e failed"); // through UTF-16 and back
    EXPECT_STREQ(source, "QelSymbolEngine");
    EXPECT_EQ(guid, kGuid);
    EXPECT_STREQ(helpFile, "qel.hlp");
    EXPECT_EQ(context, 42u);

    // Error information is read once.
    EXPECT_FALSE(GetComErrorInfo(&description, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(ComErrorInfoTest, MissingItemsAreEmptyOrNull)
{
    CComPtr<IErrorInfo> info;
    ASSERT_TRUE(CreateComErrorInfo(&info, nullptr, nullptr, nullptr, nullptr, 0));
    CComBSTR description, source, helpFile;
    EXPECT_EQ(info->GetDescription(&description), S_OK);
    EXPECT_TRUE(!description); // no description at all
    EXPECT_EQ(info->GetSource(&source), S_OK);
    EXPECT_FALSE(!source);     // an empty text
    EXPECT_EQ(source.Length(), 0u);
    EXPECT_EQ(info->GetHelpFile(&helpFile), S_OK);
    EXPECT_EQ(helpFile.Length(), 0u);
    GUID guid = kGuid;
    info->GetGUID(&guid);
    EXPECT_EQ(guid, GUID_NULL);
    EXPECT_FALSE(CreateComErrorInfo(nullptr, "x", nullptr, nullptr, nullptr, 0));
}

TEST_F(ComErrorInfoTest, OnlyTheItemsAskedForAreRead)
{
    CComPtr<IErrorInfo> info;
    ASSERT_TRUE(CreateComErrorInfo(&info, "text", "src", &kGuid, "help", 7));
    CString description, source = "untouched";
    EXPECT_TRUE(ReadComErrorInfo(info, &description, nullptr, nullptr, nullptr, nullptr));
    EXPECT_STREQ(description, "text");
    EXPECT_STREQ(source, "untouched");
    EXPECT_FALSE(ReadComErrorInfo(nullptr, &description, &source, nullptr, nullptr, nullptr));
}

TEST_F(ComErrorInfoTest, NothingPendingLeavesTheCallersItemsUnchanged)
{
    SetErrorInfo(0, nullptr);
    CString description = "old", source = "old";
    GUID guid = kGuid;
    EXPECT_FALSE(GetComErrorInfo(&description, &source, &guid, nullptr, nullptr));
    EXPECT_STREQ(description, "old");
    EXPECT_STREQ(source, "old");
    EXPECT_EQ(guid, kGuid);
}

// An object that answers ISupportErrorInfo with `answer`.
class CSupportsErrors : public CComObjectRootEx<CComMultiThreadModel>, public ISupportErrorInfo {
public:
    BEGIN_COM_MAP(CSupportsErrors)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
    END_COM_MAP()
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override { return iid == IID_IDispatch ? answer : E_FAIL; }
    HRESULT answer = S_OK;
};

TEST_F(ComErrorInfoTest, AnObjectMustSayThatItsInterfaceSetsErrorInformation)
{
    CComObject<CSupportsErrors> *object = nullptr;
    ASSERT_EQ(CComObject<CSupportsErrors>::CreateInstance(&object), S_OK);
    CComPtr<IUnknown> holder(static_cast<ISupportErrorInfo *>(object));
    CString description;

    // It does, but nothing is pending: still TRUE.
    EXPECT_TRUE(GetComErrorInfo(&description, nullptr, nullptr, nullptr, nullptr, holder, &IID_IDispatch));
    EXPECT_STREQ(description, "");

    ASSERT_TRUE(SetComErrorInfo("pending", nullptr, nullptr, nullptr, 0));
    EXPECT_TRUE(GetComErrorInfo(&description, nullptr, nullptr, nullptr, nullptr, holder, &IID_IDispatch));
    EXPECT_STREQ(description, "pending");

    // S_FALSE means it does not, though it is a success code.
    object->answer = S_FALSE;
    ASSERT_TRUE(SetComErrorInfo("pending", nullptr, nullptr, nullptr, 0));
    EXPECT_FALSE(GetComErrorInfo(&description, nullptr, nullptr, nullptr, nullptr, holder, &IID_IDispatch));
    EXPECT_FALSE(GetComErrorInfo(&description, nullptr, nullptr, nullptr, nullptr, holder, &IID_IUnknown));

    // An object without ISupportErrorInfo fails the check; without an iid there is none.
    CountedObject plain;
    EXPECT_FALSE(GetComErrorInfo(&description, nullptr, nullptr, nullptr, nullptr, &plain, &IID_IDispatch));
    description = "";
    EXPECT_TRUE(GetComErrorInfo(&description, nullptr, nullptr, nullptr, nullptr, &plain, nullptr));
    EXPECT_STREQ(description, "pending"); // the failed checks left it pending
    EXPECT_EQ(plain.References(), 1u);
}

} // namespace
