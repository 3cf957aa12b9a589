// CQelMsgBoxWrapper: message boxes shown through the host's message-box object, so that
// the host decides how (and whether) the user sees them.
#pragma once

#include <afx.h>
#include <atlbase.h>

#include "hostinterfaces.h"

class CQelMsgBoxWrapper {
public:
    CQelMsgBoxWrapper() = default;
    virtual ~CQelMsgBoxWrapper() = default;
    CQelMsgBoxWrapper(const CQelMsgBoxWrapper &) = delete;
    CQelMsgBoxWrapper &operator=(const CQelMsgBoxWrapper &) = delete;

    // Makes the host's object of the class of `progId` ("QEL.QelMsgBox") in place of the
    // one held; FALSE when the class is unknown or gives no such object.
    BOOL Create(LPCOLESTR progId);

    // The title of the boxes that follow: the string-table text `id` of the current
    // resource module. FALSE when there is no such text or no object.
    BOOL SetTitleById(UINT id);

    // Shows a message; nothing happens without an object or when the text cannot be
    // converted.
    void ShowMessage(const CString &text);
    // The string-table text `id`, when there is one.
    void ShowMessageById(UINT id);

    // A message box with the text, a caption or second text (NULL: none) and the style
    // flags of a Win32 message box: the button pressed, or -1 when there is no object,
    // a text cannot be converted or the call fails.
    LONG MessageBox(LONG owner, const CString &text, LPCSTR caption, LONG style);
    // -1 also when the string-table text `id` is missing.
    LONG MessageBoxById(LONG owner, UINT id, LPCSTR caption, LONG style);

private:
    CComPtr<IQelMsgBox> m_box;
};
