// CQelIPFControlImpl<T>: the file persistence that every view-server control offers the
// host, and the control's current file name.
//
// The controls keep nothing in files: their settings go to the storage the host gives
// them. IPersistFile is there for containers that ask for it; its methods check their out
// pointers and hand on to the overridable operations below, which no control overrides.
#pragma once

#include "talvixids.h"

#include <afx.h>

template <class T>
class CQelIPFControlImpl : public IPersistFile {
public:
    STDMETHODIMP GetClassID(CLSID *pClassID) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        if (pClassID == nullptr)
            return E_POINTER;
        return IPersistFile_GetClassID(pClassID);
    }
    STDMETHODIMP IsDirty() override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return IPersistFile_IsDirty();
    }
    STDMETHODIMP Load(LPCOLESTR pszFileName, DWORD dwMode) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return IPersistFile_Load(pszFileName, dwMode);
    }
    STDMETHODIMP Save(LPCOLESTR pszFileName, BOOL fRemember) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return IPersistFile_Save(pszFileName, fRemember);
    }
    STDMETHODIMP SaveCompleted(LPCOLESTR pszFileName) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return IPersistFile_SaveCompleted(pszFileName);
    }
    STDMETHODIMP GetCurFile(LPOLESTR *ppszFileName) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        if (ppszFileName == nullptr)
            return E_POINTER;
        return IPersistFile_GetCurFile(ppszFileName);
    }

protected:
    // Every control answers the identifier of Talvix's type library, which names no
    // class: the host reads it nowhere, and the value is kept as callers have seen it.
    virtual HRESULT IPersistFile_GetClassID(CLSID *pClassID)
    {
        *pClassID = LIBID_TALVIXLib;
        return S_OK;
    }
    virtual HRESULT IPersistFile_IsDirty() { return S_FALSE; }
    virtual HRESULT IPersistFile_Load(LPCOLESTR, DWORD) { return E_NOTIMPL; }
    virtual HRESULT IPersistFile_Save(LPCOLESTR, BOOL) { return E_NOTIMPL; }
    virtual HRESULT IPersistFile_SaveCompleted(LPCOLESTR) { return E_NOTIMPL; }
    // A task-memory copy of the current file name.
    virtual HRESULT IPersistFile_GetCurFile(LPOLESTR *ppszFileName)
    {
        *ppszFileName = nullptr;
        int size = MultiByteToWideChar(CP_ACP, 0, m_strCurFile, -1, nullptr, 0);
        if (size <= 0)
            return E_FAIL;
        auto *copy = static_cast<LPOLESTR>(CoTaskMemAlloc(size * sizeof(OLECHAR)));
        if (copy == nullptr)
            return E_OUTOFMEMORY;
        MultiByteToWideChar(CP_ACP, 0, m_strCurFile, -1, copy, size);
        *ppszFileName = copy;
        return S_OK;
    }

    CString m_strCurFile; // empty: no operation of the controls changes it
};
