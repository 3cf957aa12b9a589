// CWaitCursor: the wait cursor while the object lives, for work that keeps the user
// waiting; the cursor that was shown before comes back when it goes.
#pragma once

#include <userinput.h>

class CWaitCursor {
public:
    CWaitCursor() : m_previous(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { SetCursor(m_previous); }
    CWaitCursor(const CWaitCursor &) = delete;
    CWaitCursor &operator=(const CWaitCursor &) = delete;

private:
    HCURSOR m_previous;
};
