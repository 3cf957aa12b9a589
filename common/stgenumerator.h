// CStgEnumerator: the older wrapper of an enumerator of storage elements.
#pragma once

#include <afx.h>

class CStgEnumerator {
public:
    // Takes its own reference to `elements` (NULL: an enumerator that gives nothing).
    explicit CStgEnumerator(IEnumSTATSTG *elements);
    virtual ~CStgEnumerator();
    CStgEnumerator(const CStgEnumerator &) = delete;
    CStgEnumerator &operator=(const CStgEnumerator &) = delete;

    // The next element's name; FALSE at the end.
    BOOL NextName(CString &name);
    // The same with the element's type (STGTY_) and size.
    BOOL Next(CString &name, DWORD &type, ULARGE_INTEGER &size);

private:
    IEnumSTATSTG *m_pElements;
};
