#include "atlbase.h"

#include <gtest/gtest.h>

typedef enum tagQelTestMode { QTM_FIRST = 0, QTM_SECOND = 1 } tagQelTestMode;

interface IQelTestDual : public IDispatch {
    STDMETHOD(GetName)(BSTR *pName) PURE;
    STDMETHOD(Add)(LONG a, LONG b, LONG *pSum) PURE;
    STDMETHOD(SetMode)(tagQelTestMode mode) PURE;
    STDMETHOD(Swap)(IUnknown **ppUnknown) PURE;
    STDMETHOD(Refuse)() PURE;
};
QEL_DEFINE_IID(IQelTestDual, 0x1A2B3C31, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x31);

BEGIN_DISPATCH_TABLE(IQelTestDual)
    DISPATCH_RETVAL_ENTRY(1, u"GetName", &IQelTestDual::GetName)
    DISPATCH_RETVAL_ENTRY(2, u"Add", &IQelTestDual::Add)
    DISPATCH_METHOD_ENTRY(3, u"SetMode", &IQelTestDual::SetMode)
    DISPATCH_METHOD_ENTRY(4, u"Swap", &IQelTestDual::Swap)
    DISPATCH_METHOD_ENTRY(5, u"Refuse", &IQelTestDual::Refuse)
END_DISPATCH_TABLE()

namespace {

class CDual : public CComObjectRootEx<CComMultiThreadModel>,
              public IDispatchImpl<IQelTestDual, &IID_IQelTestDual>,
              public ISupportErrorInfoImpl<&IID_IQelTestDual> {
public:
    BEGIN_COM_MAP(CDual)
        COM_INTERFACE_ENTRY(IQelTestDual)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
    END_COM_MAP()

    STDMETHODIMP GetName(BSTR *pName) override
    {
        *pName = SysAllocString(u"dual");
        return S_OK;
    }
    STDMETHODIMP Add(LONG a, LONG b, LONG *pSum) override
    {
        *pSum = a + b;
        return S_OK;
    }
    STDMETHODIMP SetMode(tagQelTestMode mode) override
    {
        m_mode = mode;
        return S_OK;
    }
    STDMETHODIMP Swap(IUnknown **ppUnknown) override
    {
        *ppUnknown = nullptr;
        return S_OK;
    }
    STDMETHODIMP Refuse() override
    {
        return AtlSetErrorInfo(GUID_NULL, u"refused", 0, nullptr, IID_IQelTestDual, E_ACCESSDENIED);
    }

    tagQelTestMode m_mode = QTM_FIRST;
};

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CComObject<CDual>::CreateInstance(&object_), S_OK);
        hold_ = static_cast<IQelTestDual *>(object_);
        dispatch_ = static_cast<IDispatch *>(object_);
    }

    HRESULT Call(DISPID id, VARIANT *args, UINT count, VARIANT *result, UINT *argErr = nullptr,
                 EXCEPINFO *exception = nullptr)
    {
        DISPPARAMS params = {args, nullptr, count, 0};
        return dispatch_->Invoke(id, IID_NULL, 0x400, DISPATCH_METHOD, &params, result, exception, argErr);
    }

    CComObject<CDual> *object_ = nullptr;
    CComPtr<IQelTestDual> hold_;
    IDispatch *dispatch_ = nullptr;
};

TEST_F(Dispatch, FindsMembersByNameBlindToCase)
{
    OLECHAR name[] = u"gEtNaMe";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    EXPECT_EQ(dispatch_->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 1);
    OLECHAR other[] = u"Nothing";
    names[0] = other;
    EXPECT_EQ(dispatch_->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    UINT count = 9;
    EXPECT_EQ(dispatch_->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
}

TEST_F(Dispatch, CallsMethodsWithConvertedArgumentsAndHandsOutTheResult)
{
    // Dispatch arguments come last first: Add(40, "2").
    CComVariant args[2];
    args[0] = CComVariant(u"2");
    args[1] = CComVariant(LONG(40));
    CComVariant sum;
    ASSERT_EQ(Call(2, args, 2, &sum), S_OK);
    EXPECT_EQ(sum.vt, VT_I4);
    EXPECT_EQ(sum.lVal, 42);

    CComVariant name;
    ASSERT_EQ(Call(1, nullptr, 0, &name), S_OK);
    ASSERT_EQ(name.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(name.bstrVal), u"dual");
    // Without a result the value is freed (the allocation counts would show a leak).
    EXPECT_EQ(Call(1, nullptr, 0, nullptr), S_OK);

    CComVariant mode(LONG(1));
    ASSERT_EQ(Call(3, &mode, 1, nullptr), S_OK);
    EXPECT_EQ(object_->m_mode, QTM_SECOND);
}

TEST_F(Dispatch, RefusesCallsThatDoNotFit)
{
    CComVariant one(LONG(1));
    UINT argErr = 99;
    EXPECT_EQ(Call(2, &one, 1, nullptr), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(77, nullptr, 0, nullptr), DISP_E_MEMBERNOTFOUND);
    CComVariant args[2];
    args[0] = CComVariant(u"not a number");
    args[1] = CComVariant(LONG(1));
    EXPECT_EQ(Call(2, args, 2, nullptr, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    // An out-argument must come by reference with exactly its type.
    EXPECT_EQ(Call(4, &one, 1, nullptr, &argErr), DISP_E_TYPEMISMATCH);
    IUnknown *unknown = nullptr;
    VARIANT byRef;
    byRef.vt = VT_BYREF | VT_UNKNOWN;
    byRef.ppunkVal = &unknown;
    EXPECT_EQ(Call(4, &byRef, 1, nullptr), S_OK);
    DISPPARAMS params = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(dispatch_->Invoke(1, IID_IQelTestDual, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
}

TEST_F(Dispatch, AFailingMethodBecomesAnExceptionWithItsErrorInformation)
{
    EXCEPINFO exception = {};
    EXPECT_EQ(Call(5, nullptr, 0, nullptr, nullptr, &exception), DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, E_ACCESSDENIED);
    ASSERT_NE(exception.bstrDescription, nullptr);
    EXPECT_EQ(std::u16string(exception.bstrDescription), u"refused");
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
}

TEST_F(Dispatch, SupportsErrorInformationForItsOneInterface)
{
    CComQIPtr<ISupportErrorInfo> support(hold_);
    ASSERT_TRUE(support != nullptr);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IQelTestDual), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
}

} // namespace
