#include "afxeditscroll.h"

#include "afxinputmap.h"
#include "afxpaintmap.h"
#include "windowcreate.h"
#include "windowstate.h"
#include "windowinfo.h"
#include "windowtable.h"
#include "gdiobjects.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// An edit whose object sees the keys before the control, as the list's in-place edit does.
class CLoggingEdit : public CEdit {
public:
    std::vector<std::string> log;

protected:
    afx_msg void OnKeyDown(UINT nChar, UINT, UINT)
    {
        log.push_back("key " + std::to_string(nChar));
        if (nChar != VK_ESCAPE)
            Default();
    }
    afx_msg UINT OnGetDlgCode() { return DLGC_WANTALLKEYS; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CLoggingEdit, CEdit)
ON_WM_KEYDOWN()
ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

// The parent of the controls: what they tell it.
class CParent : public CWnd {
public:
    std::vector<std::string> log;
    BOOL Make() { return CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr); }

protected:
    afx_msg void OnUpdate() { log.push_back("update"); }
    afx_msg void OnChange() { log.push_back("change"); }
    afx_msg void OnVScroll(UINT code, UINT position, CScrollBar *bar)
    {
        log.push_back("vscroll " + std::to_string(code) + " " + std::to_string(position) +
                      (bar != nullptr && bar->m_hWnd != nullptr ? " bar" : ""));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CParent, CWnd)
ON_EN_UPDATE(7, OnUpdate)
ON_EN_CHANGE(7, OnChange)
ON_WM_VSCROLL()
END_MESSAGE_MAP()

TEST(AfxEditScrollTest, ControlWindowsReachTheirObjectFromTheFirstMessageAndTellTheParent)
{
    size_t windowsBefore = qelwin::WindowCount();
    {
        CParent parent;
        ASSERT_TRUE(parent.Make());
        CLoggingEdit edit;
        ASSERT_TRUE(edit.Create(WS_VISIBLE | ES_MULTILINE, CRect(0, 0, 100, 20), &parent, 7));
        EXPECT_EQ(CWnd::FromHandlePermanent(edit.m_hWnd), &edit);
        EXPECT_EQ(edit.SendMessage(WM_GETDLGCODE), DLGC_WANTALLKEYS);
        edit.SetFocus();
        QelSendText(nullptr, "ab");
        QelSendKey(nullptr, VK_LEFT, 0);
        QelSendKey(nullptr, 'X', MK_SHIFT);
        QelSendKey(nullptr, VK_ESCAPE, 0); // kept by the object: the edit never sees it
        CString text;
        edit.GetWindowText(text);
        EXPECT_EQ(std::string(text), "aXb");
        EXPECT_EQ(edit.log, (std::vector<std::string>{"key 37", "key 88", "key 27"}));
        EXPECT_EQ(parent.log, (std::vector<std::string>{"update", "change", "update", "change", "update", "change"}));

        CScrollBar bar;
        ASSERT_TRUE(bar.Create(WS_VISIBLE | SBS_VERT, CRect(180, 0, 196, 100), &parent, 8));
        SCROLLINFO info{};
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMax = 99;
        info.nPage = 10;
        EXPECT_TRUE(bar.SetScrollInfo(&info));
        parent.log.clear();
        EXPECT_TRUE(QelScrollBarThumb(bar.m_hWnd, 200, TRUE));
        EXPECT_EQ(parent.log, (std::vector<std::string>{"vscroll 5 90 bar", "vscroll 4 90 bar", "vscroll 8 0 bar"}));
        EXPECT_FALSE(QelScrollBarThumb(edit.m_hWnd, 1, TRUE));
    }
    EXPECT_EQ(qelwin::WindowCount(), windowsBefore);
}

TEST(AfxEditScrollTest, CaptureAndFontMembersWrapTheWindowsOwn)
{
    CParent parent;
    ASSERT_TRUE(parent.Make());
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_VISIBLE, CRect(0, 0, 50, 20), &parent, 3));
    EXPECT_EQ(edit.SetCapture(), nullptr);
    EXPECT_EQ(CWnd::GetCapture(), &edit);
    CFont *stock = CFont::FromHandle(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    edit.SetFont(stock, FALSE);
    EXPECT_EQ(edit.GetFont()->m_hObject, stock->m_hObject);
    edit.SetWindowText("hello");
    edit.SetSel(1, 3);
    int start = 0, end = 0;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 3);
    ReleaseCapture();
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
}

} // namespace
