// For the list's tests: a parent pop-up that records what the list tells it, the list
// made inside it, and a check that windows, GDI objects and records are back where they
// were.
#pragma once

#include "afxinputmap.h"
#include "afxmodule.h"
#include "controls.h"
#include "dialogresults.h"
#include "dialogs.h"
#include "dialogtemplate.h"
#include "drawnlistctrl.h"
#include "drawnlistedit.h"
#include "drawnlistresources.h"
#include "drawnlisttip.h"
#include "gdiobjects.h"
#include "testing/controlcapture.h"
#include "testing/drawingfixture.h"
#include "windowtable.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// The pop-up that holds the list: every WM_NOTIFY as "CODE ROW", commands and dialog
// moves as they arrive. `answer` gives the reply to a notification.
class ListParent : public CWnd {
public:
    std::vector<std::string> log;
    std::function<LRESULT(NMHDR *)> answer;

    BOOL Make(int width = 400, int height = 300)
    {
        return CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr);
    }

protected:
    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT *result) override
    {
        NMHDR *header = reinterpret_cast<NMHDR *>(lParam);
        int code = static_cast<int>(header->code);
        int row = -1;
        if (header->code == LVN_DELETEITEM || header->code == LVN_INSERTITEM)
            row = reinterpret_cast<NMLISTVIEW *>(lParam)->iItem;
        else if (header->code == LVN_BEGINLABELEDITA || header->code == LVN_ENDLABELEDITA ||
                 header->code == LVN_GETDISPINFOA)
            row = reinterpret_cast<NMLVDISPINFOA *>(lParam)->item.iItem;
        else if (header->code == LVN_KEYDOWN)
            row = reinterpret_cast<NMLVKEYDOWN *>(lParam)->wVKey;
        log.push_back(std::to_string(code) + " " + std::to_string(row));
        *result = answer ? answer(header) : 0;
        return TRUE;
    }
    BOOL OnCommand(WPARAM wParam, LPARAM) override
    {
        log.push_back("command " + std::to_string(LOWORD(wParam)));
        return TRUE;
    }
    afx_msg LRESULT OnNextControl(WPARAM wParam, LPARAM)
    {
        log.push_back("nextdlgctl " + std::to_string(wParam));
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

// Handles every message that waits.
inline void PumpQueue()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

class DrawnListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        windowsAtStart_ = qelwin::WindowCount();
        objectsAtStart_ = QelGdiLiveObjects();
        palette_ = std::make_unique<QelDistinctPalette>();
        DrawnListBaseC::LoadSharedColors();
        ASSERT_TRUE(parent_.Make());
    }
    void TearDown() override
    {
        list_.reset();
        parent_.DestroyWindow();
        DrawnListBaseC::DeleteGridPens();
        palette_.reset();
        DrawnListBaseC::LoadSharedColors();
        EXPECT_EQ(qelwin::WindowCount(), windowsAtStart_);
        EXPECT_EQ(QelGdiLiveObjects(), objectsAtStart_);
    }

    DrawnListCtrl &Make(DWORD style = LVS_REPORT, DWORD exStyle = 0, CRect rect = CRect(0, 0, 200, 100))
    {
        list_ = std::make_unique<DrawnListCtrl>();
        EXPECT_TRUE(list_->Create(style | WS_CHILD | WS_VISIBLE | WS_BORDER, exStyle, rect, &parent_, 5, nullptr));
        list_->SetRedraw(TRUE);
        return *list_;
    }

    // Two columns, "Name" 80 and "Value" 100, and the rows given as name and value.
    DrawnListCtrl &MakeFilled(const std::vector<std::pair<const char *, const char *>> &rows, DWORD style = LVS_REPORT,
                              DWORD exStyle = 0, CRect rect = CRect(0, 0, 200, 100))
    {
        DrawnListCtrl &list = Make(style, exStyle, rect);
        list.AddColumn("Name", LVCFMT_LEFT, 80, 0);
        list.AddColumn("Value", LVCFMT_LEFT, 100, -1);
        for (const auto &row : rows) {
            int at = list.InsertItem(list.GetItemCount(), row.first);
            list.SetItemText(at, 1, row.second);
        }
        return list;
    }

    static void Pump() { PumpQueue(); }

    std::unique_ptr<QelDistinctPalette> palette_;
    ListParent parent_;
    std::unique_ptr<DrawnListCtrl> list_;
    size_t windowsAtStart_ = 0;
    size_t objectsAtStart_ = 0;
};

// A capture of the list with its children, read in client coordinates of the list.
class ListShot {
public:
    explicit ListShot(CWnd &list)
    {
        QelPaintPending();
        bitmap_ = QelCaptureWindow(list.m_hWnd, TRUE);
        dc_ = CreateCompatibleDC(nullptr);
        before_ = SelectObject(dc_, bitmap_);
        frame_ = (list.GetStyle() & WS_BORDER) != 0 ? 1 : 0;
    }
    ~ListShot()
    {
        SelectObject(dc_, before_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    ListShot(const ListShot &) = delete;
    ListShot &operator=(const ListShot &) = delete;

    COLORREF At(int x, int y) const { return GetPixel(dc_, x + frame_, y + frame_); }
    int Count(RECT rect, COLORREF color) const
    {
        int count = 0;
        for (LONG y = rect.top; y < rect.bottom; ++y)
            for (LONG x = rect.left; x < rect.right; ++x)
                count += At(x, y) == color ? 1 : 0;
        return count;
    }
    std::string Read(RECT rect, COLORREF color) const
    {
        rect = RECT{rect.left + frame_, rect.top + frame_, rect.right + frame_, rect.bottom + frame_};
        char text[512];
        QelReadText(dc_, &rect, color, text, sizeof text);
        return text;
    }
    HBITMAP Bitmap() const { return bitmap_; }

private:
    HBITMAP bitmap_;
    HDC dc_;
    HGDIOBJ before_;
    int frame_;
};

// The selected rows, from the top.
inline std::vector<int> Selection(DrawnListBaseC &list)
{
    std::vector<int> rows;
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = list.GetNextItem(row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

inline COLORREF Sys(int index)
{
    return GetSysColor(index);
}
