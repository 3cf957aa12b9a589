#include "ole2.h"
#include "testing/comallocbalance.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

class ErrorInfo : public ComAllocBalance {
protected:
    void TearDown() override
    {
        SetErrorInfo(0, nullptr);
        ComAllocBalance::TearDown();
    }
};

// Sets error information with `description` on the calling thread.
void RaiseError(const char16_t *description)
{
    ICreateErrorInfo *create = nullptr;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    create->SetDescription(const_cast<LPOLESTR>(description));
    create->SetSource(const_cast<LPOLESTR>(u"QelSymbolEngine"));
    create->SetHelpContext(17);
    IErrorInfo *info = nullptr;
    ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void **>(&info)), S_OK);
    create->Release();
    EXPECT_EQ(SetErrorInfo(0, info), S_OK);
    info->Release();
}

std::u16string Take(HRESULT (STDMETHODCALLTYPE IErrorInfo::*get)(BSTR *), IErrorInfo *info)
{
    BSTR text = nullptr;
    EXPECT_EQ((info->*get)(&text), S_OK);
    std::u16string result = text ? std::u16string(text) : u"<null>";
    SysFreeString(text);
    return result;
}

TEST_F(ErrorInfo, GetErrorInfoHandsOverWhatWasSet)
{
    RaiseError(u"file not found");
    IErrorInfo *info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(Take(&IErrorInfo::GetDescription, info), u"file not found");
    EXPECT_EQ(Take(&IErrorInfo::GetSource, info), u"QelSymbolEngine");
    EXPECT_EQ(Take(&IErrorInfo::GetHelpFile, info), u"<null>");
    DWORD context = 0;
    info->GetHelpContext(&context);
    EXPECT_EQ(context, 17u);
    GUID guid = IID_IUnknown;
    info->GetGUID(&guid);
    EXPECT_EQ(guid, GUID_NULL);
    info->Release();
}

TEST_F(ErrorInfo, IsReadOnce)
{
    RaiseError(u"once");
    IErrorInfo *info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    info->Release();
    info = reinterpret_cast<IErrorInfo *>(1);
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
    EXPECT_EQ(info, nullptr);
}

TEST_F(ErrorInfo, SettingNullClearsTheSlot)
{
    RaiseError(u"cleared");
    EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
    IErrorInfo *info = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
}

TEST_F(ErrorInfo, ANewErrorReplacesTheOldOne)
{
    RaiseError(u"first");
    RaiseError(u"second");
    IErrorInfo *info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    EXPECT_EQ(Take(&IErrorInfo::GetDescription, info), u"second");
    info->Release();
}

TEST_F(ErrorInfo, EachThreadHasItsOwnSlot)
{
    RaiseError(u"main thread");
    HRESULT seenByOther = S_OK;
    std::thread other([&] {
        IErrorInfo *info = nullptr;
        seenByOther = GetErrorInfo(0, &info);
        RaiseError(u"other thread"); // released when the thread ends
    });
    other.join();
    EXPECT_EQ(seenByOther, S_FALSE);
    IErrorInfo *info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    EXPECT_EQ(Take(&IErrorInfo::GetDescription, info), u"main thread");
    info->Release();
}

TEST_F(ErrorInfo, ReservedArgumentsMustBeZero)
{
    IErrorInfo *info = nullptr;
    EXPECT_EQ(GetErrorInfo(1, &info), E_INVALIDARG);
    EXPECT_EQ(SetErrorInfo(1, nullptr), E_INVALIDARG);
    EXPECT_EQ(GetErrorInfo(0, nullptr), E_INVALIDARG);
}

TEST_F(ErrorInfo, TheErrorObjectOffersBothInterfaces)
{
    ICreateErrorInfo *create = nullptr;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    create->SetGUID(IID_IDispatch);
    IErrorInfo *info = nullptr;
    ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void **>(&info)), S_OK);
    GUID guid;
    info->GetGUID(&guid);
    EXPECT_EQ(guid, IID_IDispatch);
    ICreateErrorInfo *back = nullptr;
    ASSERT_EQ(info->QueryInterface(IID_ICreateErrorInfo, reinterpret_cast<void **>(&back)), S_OK);
    EXPECT_EQ(back, create);
    ISupportErrorInfo *support = nullptr;
    EXPECT_EQ(info->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void **>(&support)), E_NOINTERFACE);
    back->Release();
    info->Release();
    create->Release();
}

} // namespace
