// _com_error and _com_issue_error: the COM error exception of the compiler's COM support.
//
// The system raises a failed HRESULT as this exception where a failure must end the
// operation (a failed interface query other than E_NOINTERFACE, a call through an
// interface that must be there, an argument of the wrong type) and catches it in the COM
// method that began the operation, which answers the carried code. It is thrown by
// value and caught by reference.
#pragma once

#include "comdecl.h"

class _com_error {
public:
    explicit _com_error(HRESULT hr) noexcept : m_hresult(hr) {}
    virtual ~_com_error() = default;

    HRESULT Error() const noexcept { return m_hresult; }

private:
    HRESULT m_hresult;
};

[[noreturn]] inline void _com_issue_error(HRESULT hr)
{
    throw _com_error(hr);
}
