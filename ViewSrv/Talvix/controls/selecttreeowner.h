// What the select tree asks of the dialog that holds it.
#pragma once

#include <afx.h>
#include <treeview.h>

class SelectTreeOwner {
public:
    // The tip text for the item, empty for none.
    virtual CString GetItemTipText(HTREEITEM item) = 0;
    // Chooses the tree's selected item, as the dialog's "&Select" button does.
    virtual void OnOK() = 0;

protected:
    ~SelectTreeOwner() = default;
};
