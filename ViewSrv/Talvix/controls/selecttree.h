// CSelectTreeCtrl: the tree of the symbol selection dialog. Over the owner-drawn tree it
// chooses the entry under a double click, searches the selected item's siblings for what
// the user types, shows the dialog's tip text per item, and draws the registers already
// chosen in bold.
#pragma once

#include "drawntreectrl.h"
#include "selecttreeowner.h"

#include <afxtypedarrays.h>

class CSelectTreeCtrl : public DrawnTreeCtrl {
public:
    CSelectTreeCtrl() = default;
    // Frees the font and the key buffer too when the dialog never released them.
    ~CSelectTreeCtrl() override;
    CSelectTreeCtrl(const CSelectTreeCtrl &) = delete;
    CSelectTreeCtrl &operator=(const CSelectTreeCtrl &) = delete;

    // Once the window exists: forgets owner and chosen list (the dialog sets them next),
    // makes the bold font and the key buffer when missing, and starts the type-ahead clock.
    void PrepareSelectTree();
    // When the dialog's window goes: the bold font and the key buffer are freed.
    void ReleaseSelectTree();

    void SetOwnerDialog(SelectTreeOwner *owner) { m_owner = owner; }
    // The item values drawn in bold; the array stays the caller's.
    void SetChosenList(const CDWordArray *chosen) { m_chosen = chosen; }

    void SetPaintFont(DrawnListPaintContext *context) override;

protected:
    afx_msg void OnLButtonDblClk(UINT keys, CPoint point);
    afx_msg void OnMouseMove(UINT keys, CPoint point);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    DECLARE_MESSAGE_MAP()

private:
    // TRUE when the key was taken by the type-ahead search.
    bool TypeAhead(UINT key, UINT flags);
    void SearchSiblings();

    SelectTreeOwner *m_owner = nullptr;
    const CDWordArray *m_chosen = nullptr;
    CFont *m_boldFont = nullptr;
    BYTE *m_keyState = nullptr;
    CString m_typed;
    DWORD m_lastKeyTime = 0;
};
