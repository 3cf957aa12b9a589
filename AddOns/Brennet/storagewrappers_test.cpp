#include "storagewrappers.h"

#include <hoststoragehandler.h>

#include <testing/comobjectbalance.h>
#include <testing/stgtesting.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// A storage object of the host that offers the project storage's interface itself.
class CStorageObjectDouble : public CComObjectRootEx<CComMultiThreadModel>, public IQelStorageElements {
public:
    BEGIN_COM_MAP(CStorageObjectDouble)
        COM_INTERFACE_ENTRY(IQelStorageElements)
    END_COM_MAP()

    STDMETHODIMP Slot03() override { return E_NOTIMPL; }
    STDMETHODIMP Slot04() override { return E_NOTIMPL; }
    STDMETHODIMP Slot05() override { return E_NOTIMPL; }
    STDMETHODIMP Slot06() override { return E_NOTIMPL; }
    STDMETHODIMP Slot07() override { return E_NOTIMPL; }
    STDMETHODIMP Slot08() override { return E_NOTIMPL; }
    STDMETHODIMP GetCount(LONG *pCount) override
    {
        *pCount = 42;
        return S_OK;
    }
    STDMETHODIMP GetName(BSTR *pbstrName) override { return CComBSTR(u"Host's own").CopyTo(pbstrName); }
};

class ProjectStorage : public ComObjectBalance {
protected:
    void SetUp() override
    {
        ComObjectBalance::SetUp();
        root_.Attach(NewMemoryStorage());
        ASSERT_EQ(root_->CreateStorage(u"Project", kStgCreate, 0, 0, &project_), S_OK);
        WriteStream(project_, u"Settings", "1");
        IStorage *inner = nullptr;
        ASSERT_EQ(project_->CreateStorage(u"Watches", kStgCreate, 0, 0, &inner), S_OK);
        inner->Release();
    }
    void TearDown() override
    {
        if (cookie_ != 0)
            CoRevokeClassObject(cookie_);
        project_.Release();
        root_.Release();
        ComObjectBalance::TearDown();
    }

    CComPtr<IStorage> root_;
    CComPtr<IStorage> project_;
    DWORD cookie_ = 0;
};

TEST_F(ProjectStorage, AnObjectThatOffersTheInterfaceItselfIsHeld)
{
    ASSERT_EQ(QelHost::RegisterStorageHandlerClass(&cookie_), S_OK);
    CComObject<CStorageObjectDouble> *object = nullptr;
    ASSERT_EQ(CComObject<CStorageObjectDouble>::CreateInstance(&object), S_OK);
    CComPtr<IUnknown> held(object->GetUnknown());
    CQelStorageWrapper wrapper;
    AttachProjectStorage(held, wrapper);
    EXPECT_EQ(wrapper.GetCount(), 42);
    CString name;
    EXPECT_TRUE(wrapper.GetName(name));
    EXPECT_STREQ(name, "Host's own");
}

TEST_F(ProjectStorage, AStorageGoesThroughTheHostsStorageHandler)
{
    ASSERT_EQ(QelHost::RegisterStorageHandlerClass(&cookie_), S_OK);
    CQelStorageWrapper wrapper;
    AttachProjectStorage(project_, wrapper);
    ASSERT_TRUE(wrapper.IsAttached());
    EXPECT_EQ(wrapper.GetCount(), 2);
    CString name;
    EXPECT_TRUE(wrapper.GetName(name));
    EXPECT_STREQ(name, "Project");
}

TEST_F(ProjectStorage, WithoutAStorageHandlerNothingIsHeld)
{
    CQelStorageWrapper wrapper;
    AttachProjectStorage(project_, wrapper);
    AttachProjectStorage(nullptr, wrapper);
    EXPECT_FALSE(wrapper.IsAttached());
    EXPECT_EQ(wrapper.GetCount(), 0);
    CString name = "unchanged";
    EXPECT_FALSE(wrapper.GetName(name));
    EXPECT_STREQ(name, "unchanged");
}

TEST_F(ProjectStorage, TheEnumeratorGivesTheNamesInTurnAndThenNoMore)
{
    CComObject<QelHost::CHostStorageEnum> *enumerator = nullptr;
    ASSERT_EQ(CComObject<QelHost::CHostStorageEnum>::CreateInstance(&enumerator), S_OK);
    enumerator->AddRef();
    ASSERT_EQ(enumerator->TakeNames(project_), S_OK);
    {
        CQelStorageEnumWrapper names(enumerator);
        CString first, second, none = "unchanged";
        EXPECT_TRUE(names.GetNextName(0, first));
        EXPECT_TRUE(names.GetNextName(1, second));
        EXPECT_EQ(std::set<std::string>({static_cast<LPCSTR>(first), static_cast<LPCSTR>(second)}),
                  std::set<std::string>({"Settings", "Watches"}));
        EXPECT_FALSE(names.GetNextName(2, none));
        EXPECT_FALSE(names.GetNextName(-1, none));
        EXPECT_STREQ(none, "unchanged");
    }
    enumerator->Release();
}

} // namespace
