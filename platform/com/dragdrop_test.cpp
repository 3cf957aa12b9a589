#include "ole2.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A target that records each step and what the data offered, and that accepts or not.
class RecordingTarget final : public IDropTarget {
public:
    STDMETHODIMP QueryInterface(REFIID, void **ppv) override
    {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }

    STDMETHODIMP DragEnter(IDataObject *data, DWORD, POINTL, DWORD *effect) override
    {
        FORMATETC text{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        FORMATETC file{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_FILE};
        FORMATETC other{2, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        steps.push_back("enter");
        EXPECT_EQ(data->QueryGetData(&file), DV_E_TYMED);
        EXPECT_EQ(data->QueryGetData(&other), DV_E_FORMATETC);
        EXPECT_EQ(data->GetDataHere(&text, nullptr), E_NOTIMPL);
        *effect = accept && data->QueryGetData(&text) == S_OK ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD *effect) override
    {
        steps.push_back("over");
        *effect = accept ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    STDMETHODIMP DragLeave() override
    {
        steps.push_back("leave");
        return S_OK;
    }
    STDMETHODIMP Drop(IDataObject *data, DWORD, POINTL, DWORD *effect) override
    {
        steps.push_back("drop");
        FORMATETC text{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        EXPECT_EQ(data->GetData(&text, &medium), S_OK);
        const char *bytes = static_cast<const char *>(GlobalLock(medium.hGlobal));
        dropped.assign(bytes, GlobalSize(medium.hGlobal));
        GlobalUnlock(medium.hGlobal);
        HGLOBAL memory = medium.hGlobal;
        ReleaseStgMedium(&medium);
        EXPECT_EQ(GlobalSize(memory), 0u);
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }

    ULONG references = 1;
    bool accept = true;
    std::vector<std::string> steps;
    std::string dropped;
};

class TextDrop : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = DefWindowProcA;
            windowClass.lpszClassName = "QelDropWindow";
            return RegisterClassA(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
        window_ = CreateWindowExA(0, "QelDropWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override
    {
        if (IsWindow(window_))
            DestroyWindow(window_);
    }
    HWND window_ = nullptr;
};

// The target gets exactly the bytes, without a NUL added, and is asked in the system's
// order; a refusing target is left, not dropped on.
TEST_F(TextDrop, HandsTheTargetExactlyTheBytes)
{
    RecordingTarget target;
    ASSERT_EQ(RegisterDragDrop(window_, &target), S_OK);
    EXPECT_EQ(target.references, 2u);
    EXPECT_EQ(RegisterDragDrop(window_, &target), DRAGDROP_E_ALREADYREGISTERED);
    QEL_DROP_EFFECTS effects{};
    const char bytes[] = {'a', 'b', '\0', 'c'};
    EXPECT_EQ(QelDropText(window_, bytes, sizeof bytes, &effects), S_OK);
    EXPECT_EQ(target.steps, (std::vector<std::string>{"enter", "over", "drop"}));
    EXPECT_EQ(target.dropped, std::string(bytes, sizeof bytes));
    EXPECT_EQ(effects.enter, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(effects.over, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(effects.drop, static_cast<DWORD>(DROPEFFECT_NONE));

    target.accept = false;
    target.steps.clear();
    EXPECT_EQ(QelDropText(window_, "x", 1, &effects), S_OK);
    EXPECT_EQ(target.steps, (std::vector<std::string>{"enter", "over", "leave"}));
    EXPECT_EQ(effects.drop, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(target.references, 2u);

    EXPECT_EQ(RevokeDragDrop(window_), S_OK);
    EXPECT_EQ(target.references, 1u);
    EXPECT_EQ(RevokeDragDrop(window_), DRAGDROP_E_NOTREGISTERED);
    EXPECT_EQ(QelDropText(window_, "x", 1, nullptr), DRAGDROP_E_NOTREGISTERED);
}

// The window's going lets go of its target, which nobody would revoke otherwise.
TEST_F(TextDrop, AWindowThatGoesReleasesItsTarget)
{
    RecordingTarget target;
    ASSERT_EQ(RegisterDragDrop(window_, &target), S_OK);
    ASSERT_TRUE(DestroyWindow(window_));
    EXPECT_EQ(target.references, 1u);
    EXPECT_EQ(RegisterDragDrop(window_, &target), DRAGDROP_E_INVALIDHWND);
    EXPECT_EQ(RegisterDragDrop(nullptr, &target), DRAGDROP_E_INVALIDHWND);
}

} // namespace
