// The host's options: a property frame that shows one component's property page for the
// debug-server object, lets the user work it and applies it when the user leaves it with
// OK and it holds changes.
#pragma once

#include <atlbase.h>

#include <functional>
#include <string>

namespace QelHost {

struct PropertyPageOutcome {
    std::string title;      // the page's, as its GetPageInfo gives it
    bool applied = false;   // Apply was called: the user chose OK on a dirty page
    HRESULT applyResult = S_OK;
    bool dirtyAfter = false; // changes that were not written stay
};

// Makes the page of class `clsid`, gives it a site and `object`, activates it on `parent`
// and hands its window to `work`, which plays the user and answers true for OK. Then the
// page is applied when it is dirty, deactivated and let go. The page's HRESULT when it
// cannot be made, given its object or activated.
HRESULT ShowPropertyPage(REFCLSID clsid, IUnknown *object, HWND parent, const std::function<bool(HWND page)> &work,
                         PropertyPageOutcome *outcome);

} // namespace QelHost
