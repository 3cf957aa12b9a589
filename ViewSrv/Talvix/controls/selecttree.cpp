#include "selecttree.h"

#include "drawnlisttip.h"
#include "drawntreepaint.h"

#include <afxinputmap.h>
#include <afxmodule.h>
#include <crtstring.h>
#include <tickcount.h>
#include <userinput.h>

namespace {

const DWORD kGroupData = 0xFFFFFFFF;
// Typing that pauses longer than this starts a new search text.
const DWORD kTypeAheadPause = 1000;

} // namespace

BEGIN_MESSAGE_MAP(CSelectTreeCtrl, DrawnTreeCtrl)
ON_WM_LBUTTONDBLCLK()
ON_WM_MOUSEMOVE()
ON_WM_KEYDOWN()
END_MESSAGE_MAP()

CSelectTreeCtrl::~CSelectTreeCtrl()
{
    ReleaseSelectTree();
}

void CSelectTreeCtrl::PrepareSelectTree()
{
    m_owner = nullptr;
    m_chosen = nullptr;
    if (m_boldFont == nullptr) {
        LOGFONT font{};
        CFont *label = GetLabelFont();
        if (label != nullptr && label->GetObject(sizeof font, &font) != 0) {
            font.lfWeight = FW_BOLD;
            auto bold = new CFont;
            if (bold->CreateFontIndirect(&font))
                m_boldFont = bold;
            else
                delete bold;
        }
    }
    if (m_keyState == nullptr)
        m_keyState = new BYTE[256]();
    m_lastKeyTime = GetTickCount();
}

void CSelectTreeCtrl::ReleaseSelectTree()
{
    if (m_boldFont != nullptr) {
        m_boldFont->DeleteObject();
        delete m_boldFont;
        m_boldFont = nullptr;
    }
    delete[] m_keyState;
    m_keyState = nullptr;
}

void CSelectTreeCtrl::OnLButtonDblClk(UINT, CPoint point)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    // The tree's own double click (expanding, NM_DBLCLK) never runs here: a double click
    // chooses or does nothing.
    UINT flags = 0;
    HTREEITEM item = HitTest(point.x, point.y, &flags);
    if (item == nullptr || static_cast<DWORD>(GetItemData(item)) == kGroupData)
        return;
    DeselectAllExcept(-1);
    Select(item, TVGN_CARET);
    if (m_owner != nullptr)
        m_owner->OnOK();
}

void CSelectTreeCtrl::OnMouseMove(UINT keys, CPoint point)
{
    UINT flags = 0;
    int column = -1;
    int row = DrawnListBaseC::HitTest(point.x, point.y, &flags, &column);
    HTREEITEM item = row >= 0 ? GetItemAtIndex(row) : nullptr;
    CString tip;
    if (item != nullptr && m_owner != nullptr)
        tip = m_owner->GetItemTipText(item);
    GetTip()->SetTipText(tip);
    DrawnTreeCtrl::OnMouseMove(keys, point);
}

void CSelectTreeCtrl::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (!TypeAhead(key, flags))
        DrawnTreeCtrl::OnKeyDown(key, repeat, flags);
}

bool CSelectTreeCtrl::TypeAhead(UINT key, UINT flags)
{
    // The keypad's plus, minus and multiply type characters too, but they expand and
    // collapse the tree, which the user expects of them more than a search.
    if (key == VK_ADD || key == VK_SUBTRACT || key == VK_MULTIPLY)
        return false;
    WORD typed = 0;
    if (m_keyState == nullptr || !GetKeyboardState(m_keyState) || ToAscii(key, flags & 0xFF, m_keyState, &typed, 0) != 1)
        return false;
    DWORD now = GetTickCount();
    if (now - m_lastKeyTime > kTypeAheadPause)
        m_typed.Empty();
    if (typed < 33 || typed > 126)
        return false;
    m_typed += static_cast<char>(typed);
    m_lastKeyTime = now;
    SearchSiblings();
    return true;
}

void CSelectTreeCtrl::SearchSiblings()
{
    HTREEITEM selected = GetSelectedItem();
    if (selected == nullptr)
        return;
    HTREEITEM parent = GetParentItem(selected);
    HTREEITEM item = parent != nullptr ? GetChildItem(parent) : GetRootItem();
    int length = m_typed.GetLength();
    for (; item != nullptr; item = GetNextSiblingItem(item)) {
        if (_strnicmp(GetItemText(item, 0), m_typed, static_cast<size_t>(length)) == 0) {
            DeselectAllExcept(-1);
            SelectAndScrollToTop(item);
            return;
        }
    }
}

void CSelectTreeCtrl::SetPaintFont(DrawnListPaintContext *context)
{
    // The list's font step alone: the tree's bold state means nothing in this control.
    DrawnListBaseC::SetPaintFont(context);
    _Node *node = static_cast<DrawnTreePaintContext *>(context)->node;
    if (m_chosen == nullptr || m_boldFont == nullptr || node == nullptr)
        return;
    DWORD value = static_cast<DWORD>(node->m_item.lParam);
    for (INT_PTR at = 0; at < m_chosen->GetSize(); ++at) {
        if (m_chosen->GetAt(at) == value) {
            context->font = m_boldFont;
            return;
        }
    }
}
