// The symbol server's two event sources: the connection points of _SymProcEvents and
// _SymProcEvents2 with the calls that fire them.
//
// A sink may do anything in its handler, also advise or unadvise on this server or call
// back into it from another thread, so no lock is held while a sink runs: the sinks are
// copied under the object's lock, each copy with a reference of its own, called after the
// lock is left, and released afterwards. A sink advised while an event is fired may miss
// that event; one unadvised meanwhile may still get it.
#pragma once

#include <atlbase.h>
#include <qelsymbol.h>

#include <vector>

// The sinks of one point of the object T, each with a reference that the caller
// releases.
template <class T, class Point>
std::vector<IDispatch *> QelCopySinks(T *object, Point &point)
{
    std::vector<IDispatch *> sinks;
    typename T::ObjectLock hold(object);
    try {
        sinks.reserve(static_cast<size_t>(point.m_vec.GetSize()));
    } catch (const std::bad_alloc &) {
        return sinks; // nothing is fired rather than firing under the lock
    }
    for (IUnknown **sink = point.m_vec.begin(); sink < point.m_vec.end(); sink++) {
        if (*sink == nullptr)
            continue;
        // Advise asked each sink for the point's interface, a dispatch interface.
        IDispatch *dispatch = static_cast<IDispatch *>(*sink);
        dispatch->AddRef();
        sinks.push_back(dispatch);
    }
    return sinks;
}

// Calls `dispid` of every sink with `args` (the last argument first), as a method, with
// no result; what a sink answers is not looked at.
void QelFireToSinks(const std::vector<IDispatch *> &sinks, DISPID dispid, VARIANT *args, UINT count);

template <class T>
class CProxySymProcEvents : public IConnectionPointImpl<T, &DIID__SymProcEvents, CComDynamicUnkArray> {
public:
    // FireSymbolProcReadyState: the id of a finished request.
    void Fire_FireSymbolProcReadyState(LONG nRequest)
    {
        VARIANT arg;
        arg.vt = VT_I4;
        arg.lVal = nRequest;
        QelFireToSinks(QelCopySinks(static_cast<T *>(this), *this), DISPID_SYMPROC_READYSTATE, &arg, 1);
    }
};

template <class T>
class CProxySymProcEvents2 : public IConnectionPointImpl<T, &DIID__SymProcEvents2, CComDynamicUnkArray> {
public:
    void Fire_PatternWindowOpen(LONG nStartAddress, LONG nLength) { Fire(DISPID_SYMPROC_PATTERNWINDOWOPEN, nStartAddress, nLength); }
    void Fire_PatternWindowClose(LONG nStartAddress, LONG nLength) { Fire(DISPID_SYMPROC_PATTERNWINDOWCLOSE, nStartAddress, nLength); }

private:
    void Fire(DISPID dispid, LONG nStartAddress, LONG nLength)
    {
        // Dispatch arguments run in reverse: the length comes first.
        VARIANT args[2];
        args[0].vt = VT_I4;
        args[0].lVal = nLength;
        args[1].vt = VT_I4;
        args[1].lVal = nStartAddress;
        QelFireToSinks(QelCopySinks(static_cast<T *>(this), *this), dispid, args, 2);
    }
};
