// Win32Ext::CStatStg and Win32Ext::CStgEnumerator: the elements of a storage, one at a
// time, each with a name that the record owns.
#pragma once

#include <afx.h>

namespace Win32Ext {

// A STATSTG whose name (task memory) it frees when it goes and before it is refilled.
class CStatStg : public tagSTATSTG {
public:
    CStatStg() : tagSTATSTG() {}
    virtual ~CStatStg() { FreeName(); }
    CStatStg(const CStatStg &) = delete;
    CStatStg &operator=(const CStatStg &) = delete;

    void FreeName()
    {
        CoTaskMemFree(pwcsName);
        pwcsName = nullptr;
    }
};

class CStgEnumerator {
public:
    // Takes its own reference to `elements` (NULL: an enumerator that gives nothing).
    explicit CStgEnumerator(IEnumSTATSTG *elements);
    virtual ~CStgEnumerator();
    CStgEnumerator(const CStgEnumerator &) = delete;
    CStgEnumerator &operator=(const CStgEnumerator &) = delete;

    HRESULT GetLastResult() const { return m_hr; }

    // The next element into *stat; FALSE at the end.
    BOOL Next(CStatStg *stat);

private:
    IEnumSTATSTG *m_pElements;
    HRESULT m_hr;
};

} // namespace Win32Ext
