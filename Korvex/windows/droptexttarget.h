// CDropTextTarget: lets a window take text dropped on it from other windows (CF_TEXT in
// global memory) and hands it to the window's own handler.
//
// The object lives inside its window's object, so its reference count means nothing to
// its lifetime; it is registered while the window lives and revoked when the window goes
// (Revoke from WM_DESTROY; the platform also lets go of a gone window's target).
#pragma once

#include <afx.h>

class CDropTextTarget : public IDropTarget {
public:
    CDropTextTarget() = default;
    virtual ~CDropTextTarget();
    CDropTextTarget(const CDropTextTarget &) = delete;
    CDropTextTarget &operator=(const CDropTextTarget &) = delete;

    // Registers the object as `window`'s drop target; TRUE when it is (also when it
    // already was, for this window).
    BOOL Register(HWND window);
    void Revoke();

    STDMETHOD(QueryInterface)(REFIID riid, void **ppvObject) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(DragEnter)(IDataObject *data, DWORD keyState, POINTL point, DWORD *effect) override;
    STDMETHOD(DragOver)(DWORD keyState, POINTL point, DWORD *effect) override;
    STDMETHOD(DragLeave)() override;
    STDMETHOD(Drop)(IDataObject *data, DWORD keyState, POINTL point, DWORD *effect) override;

protected:
    // The dropped text: the bytes of the global memory up to the first NUL, never past
    // the block's size (a CF_TEXT block need not end in a NUL).
    virtual void OnDropText(const CString &text) = 0;

private:
    ULONG m_refs = 0;
    BOOL m_accept = FALSE;
    HWND m_window = nullptr;
};
