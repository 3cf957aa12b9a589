// The controller-information holder: a smart pointer to the host's IQelControllerInfo,
// found from the host's debug-server object.
//
// The host offers the interface at the end of a chain of objects that the system knows
// only by slot (hostinterfaces.h): the holder interface of the host object, its slot 16,
// the window-value interface of that object, its slot 24, and slot 27 of what that
// gives. Every object on the way is released again; only the controller information is
// kept.
#pragma once

#include <atlbase.h>

#include "hostinterfaces.h"
#include "qelcontrollerinfo.h"

class CControllerInfoHolder {
public:
    CControllerInfoHolder() = default;
    explicit CControllerInfoHolder(IUnknown *host) { *this = host; }
    CControllerInfoHolder(const CControllerInfoHolder &) = delete;
    CControllerInfoHolder &operator=(const CControllerInfoHolder &) = delete;

    // Walks the chain from `host` and keeps what it finds, releasing what it held before.
    // A step that fails (no such interface, a failed call, no object given) leaves the
    // holder empty; so does a null host.
    CControllerInfoHolder &operator=(IUnknown *host);
    void Release() { m_info.Release(); }

    IQelControllerInfo *operator->() const { return m_info; }
    operator IQelControllerInfo *() const { return m_info; }
    bool operator!() const { return !m_info; }

private:
    CComPtr<IQelControllerInfo> m_info;
};
