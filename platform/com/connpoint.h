// Connection points: how an object that fires events finds the sinks that listen.
//
// An object that fires events offers IConnectionPointContainer, and one IConnectionPoint
// per event interface. A sink is advised on the point and gets a cookie, by which it is
// unadvised later. The templates that give objects these interfaces are the template
// library's (atlconnect.h); this layer gives the interfaces and their enumerators.
#pragma once

#include "comdecl.h"
#include "unknwn.h"

#define CONNECT_E_NOCONNECTION QEL_HR(0x80040200L)
#define CONNECT_E_ADVISELIMIT QEL_HR(0x80040201L)
#define CONNECT_E_CANNOTCONNECT QEL_HR(0x80040202L)

// One connection: the sink's interface (of the point's event interface) and its cookie.
typedef struct tagCONNECTDATA {
    IUnknown *pUnk;
    DWORD dwCookie;
} CONNECTDATA, *LPCONNECTDATA;

interface IConnectionPointContainer;

// The connections of a point. Next hands out sinks with a reference that the receiver
// releases.
interface IEnumConnections : public IUnknown {
    STDMETHOD(Next)(ULONG cConnections, CONNECTDATA *rgcd, ULONG *pcFetched) PURE;
    STDMETHOD(Skip)(ULONG cConnections) PURE;
    STDMETHOD(Reset)() PURE;
    STDMETHOD(Clone)(IEnumConnections **ppEnum) PURE;
};
QEL_DEFINE_IID(IEnumConnections, 0xB196B287, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);

interface IConnectionPoint : public IUnknown {
    STDMETHOD(GetConnectionInterface)(IID *pIID) PURE;
    STDMETHOD(GetConnectionPointContainer)(IConnectionPointContainer **ppCPC) PURE;
    STDMETHOD(Advise)(IUnknown *pUnkSink, DWORD *pdwCookie) PURE;
    STDMETHOD(Unadvise)(DWORD dwCookie) PURE;
    STDMETHOD(EnumConnections)(IEnumConnections **ppEnum) PURE;
};
typedef IConnectionPoint *LPCONNECTIONPOINT;
QEL_DEFINE_IID(IConnectionPoint, 0xB196B286, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);

// The points of a container. Next hands out points with a reference.
interface IEnumConnectionPoints : public IUnknown {
    STDMETHOD(Next)(ULONG cConnections, IConnectionPoint **ppCP, ULONG *pcFetched) PURE;
    STDMETHOD(Skip)(ULONG cConnections) PURE;
    STDMETHOD(Reset)() PURE;
    STDMETHOD(Clone)(IEnumConnectionPoints **ppEnum) PURE;
};
QEL_DEFINE_IID(IEnumConnectionPoints, 0xB196B285, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);

interface IConnectionPointContainer : public IUnknown {
    STDMETHOD(EnumConnectionPoints)(IEnumConnectionPoints **ppEnum) PURE;
    // CONNECT_E_NOCONNECTION when the object fires no events of that interface.
    STDMETHOD(FindConnectionPoint)(REFIID riid, IConnectionPoint **ppCP) PURE;
};
typedef IConnectionPointContainer *LPCONNECTIONPOINTCONTAINER;
QEL_DEFINE_IID(IConnectionPointContainer, 0xB196B284, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D,
               0x07);

// Enumerators over a list taken now, for implementations of EnumConnections and
// EnumConnectionPoints: every sink or point in the list gains a reference held by the
// enumerator. E_POINTER for a null `ppEnum`, E_OUTOFMEMORY.
STDAPI QelCreateEnumConnections(const CONNECTDATA *connections, ULONG count, IEnumConnections **ppEnum);
STDAPI QelCreateEnumConnectionPoints(IConnectionPoint *const *points, ULONG count, IEnumConnectionPoints **ppEnum);
