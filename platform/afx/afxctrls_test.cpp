#include "afxctrls.h"

#include "afxdatax.h"
#include "afxexcept.h"
#include "combobox.h"
#include "progressbar.h"
#include "windowcreate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

enum : int { kCombo = 5, kBar = 6, kList = 234 };

// A parent that takes its list's clicks in its own map.
class CClickedParent : public CWnd {
public:
    std::vector<std::string> clicks;

protected:
    afx_msg void OnClick(NMHDR *header, LRESULT *result)
    {
        clicks.push_back("click:" + std::to_string(reinterpret_cast<NMITEMACTIVATE *>(header)->iItem));
        *result = 3;
    }
    afx_msg void OnDoubleClick(NMHDR *, LRESULT *) { clicks.push_back("double"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CClickedParent, CWnd)
    ON_NOTIFY(NM_CLICK, kList, OnClick)
    ON_NOTIFY(NM_DBLCLK, kList, OnDoubleClick)
END_MESSAGE_MAP()

class AfxControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent_.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
        for (auto [className, id] : {std::pair<LPCSTR, int>{"ComboBox", kCombo}, {PROGRESS_CLASS, kBar}, {WC_LISTVIEW, kList}})
            ASSERT_NE(::CreateWindowExA(0, className, "", WS_CHILD, 0, 0, 50, 50, parent_.m_hWnd,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr),
                      nullptr);
    }

    CClickedParent parent_;
};

// DDX_Control binds each object to its item once; the objects speak the controls'
// messages; a notification reaches the parent's ON_NOTIFY entry for its control and
// code, whose result is the answer.
TEST_F(AfxControls, BoundByDataExchangeAndHeardThroughTheParentsMap)
{
    CComboBox combo;
    CProgressCtrl bar;
    CListCtrl list;
    CDataExchange exchange(&parent_, FALSE);
    DDX_Control(&exchange, kCombo, combo);
    DDX_Control(&exchange, kBar, bar);
    DDX_Control(&exchange, kList, list);
    HWND bound = combo.m_hWnd;
    DDX_Control(&exchange, kCombo, combo);
    EXPECT_EQ(combo.m_hWnd, bound);
    CWnd missing;
    bool threw = false;
    try {
        DDX_Control(&exchange, 99, missing);
    } catch (CNotSupportedException *e) {
        threw = true;
        e->Delete();
    }
    EXPECT_TRUE(threw);

    combo.AddString("one");
    EXPECT_EQ(combo.AddString("two"), 1);
    EXPECT_EQ(combo.SetCurSel(1), 1);
    CString text;
    combo.GetWindowText(text);
    EXPECT_STREQ(text, "two");
    EXPECT_EQ(combo.GetLBText(0, text), 3);
    EXPECT_STREQ(text, "one");
    EXPECT_EQ(combo.GetLBText(2, text), CB_ERR);
    EXPECT_STREQ(text, "");

    bar.SetRange(0, 100);
    bar.SetPos(40);
    EXPECT_EQ(bar.SetPos(70), 40);
    EXPECT_EQ(bar.GetPos(), 70);

    EXPECT_EQ(list.InsertColumn(0, "Loaded", LVCFMT_LEFT, 50), 0);
    EXPECT_EQ(list.InsertColumn(1, "Program file", LVCFMT_LEFT, 365), 1);
    LVITEM item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.pszText = const_cast<LPSTR>("#1");
    item.lParam = 1;
    EXPECT_EQ(list.InsertItem(&item), 0);
    EXPECT_TRUE(list.SetItemText(0, 1, "a.elf {/p/a.elf}"));
    EXPECT_STREQ(list.GetItemText(0, 1), "a.elf {/p/a.elf}");
    EXPECT_EQ(list.GetItemData(0), 1u);
    EXPECT_TRUE(list.SetItemState(0, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK));
    EXPECT_EQ(list.GetItemState(0, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
    LVHITTESTINFO hit{{4, 4}, 0, 0, 0};
    EXPECT_EQ(list.HitTest(&hit), 0);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMSTATEICON));
    EXPECT_EQ(QelClickListItem(list.m_hWnd, 0, TRUE, FALSE), 3);
    QelClickListItem(list.m_hWnd, 0, FALSE, TRUE);
    EXPECT_EQ(parent_.clicks, (std::vector<std::string>{"click:0", "double"}));
    EXPECT_EQ(list.GetItemCount(), 1);
    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
}

} // namespace
