// IQelSymbol: the interface through which every requester asks the symbol server, with
// the events by which the server announces finished requests and the pattern window.
//
// Every requester reaches it by QueryInterface on the host's debug-server object, which
// carries the symbol server. A request method takes the requester in *pnRequest (0
// synchronous, 0xFFFFFFFF notice by _SymProcEvents, else the window that receives
// "QELSYMBOLREQUEST") and gives back the request id; a Get method fetches the finished
// request by its id as two transfer arrays (tagtransfer.h) and deletes it.
#pragma once

#include <ole2.h>

#include "qelcontrollerinfo.h"

// The symbol servers' classes: the main debugger's and the PCP debugger's. The QelSymbol
// class identifier is also the command group of the symbol server's commands.
DEFINE_GUID(CLSID_QelSymbol, 0xEF0E9413, 0xD9B2, 0x11D1, 0xBC, 0x34, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29);
DEFINE_GUID(CLSID_QelSymbolPCP, 0x0812F8D1, 0xD420, 0x11D3, 0xBF, 0xF0, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29);
// The symbol server's property page, which the host shows among its options.
DEFINE_GUID(CLSID_SymSrvPropertyPage, 0xC56C0F9A, 0xC437, 0x40DC, 0xAB, 0x43, 0x68, 0x56, 0x09, 0xB1, 0xAC, 0xF5);

// A dual interface; slots 7 to 25 are IQelControllerInfo's, which the symbol server does
// not serve (E_NOTIMPL). Dispatch ids run from 20 (LoadFile) in slot order.
interface IQelSymbol : public IQelControllerInfo {
    STDMETHOD(LoadFile)(BSTR bsFile, LONG nProgramID, LONG nHwnd, int *pnRequest) PURE;                      // 26
    STDMETHOD(GetProgramInfo)(int nRequest, IUnknown **ppUnkProgramInfo) PURE;                                // 27
    STDMETHOD(UnloadFile)(LONG nID, int *pnRequest) PURE;                                                     // 28
    STDMETHOD(GetState)(int nRequest, LONG *pbState) PURE;                                                    // 29
    STDMETHOD(DefineCodeSection)(BSTR bsDescription, VARIANT *vnBytes, int *pnRequest) PURE;                  // 30
    STDMETHOD(UndefineCodeSection)(BSTR bsDescription, int *pnRequest) PURE;                                  // 31
    STDMETHOD(Sections)(int *pnRequest) PURE;                                                                 // 32
    STDMETHOD(SectionByName)(BSTR bsName, int *pnRequest) PURE;                                               // 33
    STDMETHOD(SectionByAddress)(LONG nAddressMode, LONG nAddressValue, int *pnRequest) PURE;                  // 34
    STDMETHOD(GetSections)(int nRequest, VARIANT *vsNames, VARIANT *vnValues) PURE;                           // 35
    STDMETHOD(SourceFiles)(int *pnRequest) PURE;                                                              // 36
    STDMETHOD(SourceFileByPath)(BSTR bsPath, int *pnRequest) PURE;                                            // 37
    STDMETHOD(SourceFileByAddress)(LONG nAddressMode, LONG nAddressValue, int *pnRequest) PURE;               // 38
    STDMETHOD(SourceLineRangesByAddress)(LONG nAddressMode, LONG nAddressValue, int *pnRequest) PURE;         // 39
    STDMETHOD(GetSourceFiles)(int nRequest, VARIANT *vsNames, VARIANT *vnValues) PURE;                        // 40
    STDMETHOD(Functions)(int *pnRequest) PURE;                                                                // 41
    STDMETHOD(FunctionByName)(BSTR bsName, int *pnRequest) PURE;                                              // 42
    STDMETHOD(FunctionByAddress)(LONG nAddressMode, LONG nAddressValue, int *pnRequest) PURE;                 // 43
    STDMETHOD(FunctionsOfSourceFile)(BSTR bsPath, int *pnRequest) PURE;                                       // 44
    STDMETHOD(GetFunctions)(int nRequest, VARIANT *vsNames, VARIANT *vnValues) PURE;                          // 45
    STDMETHOD(SourceLinesOfSourceFile)(BSTR bsPath, int *pnRequest) PURE;                                     // 46
    STDMETHOD(GetSourceLines)(int nRequest, VARIANT *vnValues) PURE;                                          // 47
    STDMETHOD(Globals)(BSTR bsName, BSTR bsPathName, int *pnRequest) PURE;                                    // 48
    STDMETHOD(GlobalsInScope)(LONG nAddressMode, LONG nAddressValue, BSTR bsName, int *pnRequest) PURE;       // 49
    STDMETHOD(Statics)(BSTR bsName, BSTR bsPathName, int *pnRequest) PURE;                                    // 50
    STDMETHOD(StaticsInScope)(LONG nAddressMode, LONG nAddressValue, BSTR bsName, int *pnRequest) PURE;       // 51
    STDMETHOD(LocalsInScope)(LONG nAddressMode, LONG nAddressValue, BSTR bsName, int *pnRequest) PURE;        // 52
    STDMETHOD(VariableWithScope)(BSTR bsName, int *pnRequest) PURE;                                           // 53
    STDMETHOD(Parameters)(LONG nAddressMode, LONG nAddressValue, int *pnRequest) PURE;                        // 54
    STDMETHOD(VariableByIndex)(LONG nSymbolIndex, int *pnRequest) PURE;                                       // 55
    STDMETHOD(GetVariables)(int nRequest, VARIANT *vsNames, VARIANT *vnValues) PURE;                          // 56
    STDMETHOD(MembersOfType)(LONG nTypeIndex, int *pnRequest) PURE;                                           // 57
    STDMETHOD(Type)(BSTR bsName, int *pnRequest) PURE;                                                        // 58
    STDMETHOD(GetMembers)(int nRequest, VARIANT *vsNames, VARIANT *vnValues) PURE;                            // 59
    STDMETHOD(Lifetime)(LONG nSymbolIndex, int *pnRequest) PURE;                                              // 60
    STDMETHOD(GetLifetime)(int nRequest, VARIANT *vnValues) PURE;                                             // 61
    STDMETHOD(DataLabel)(BSTR bsName, int *pnRequest) PURE;                                                   // 62
    STDMETHOD(CodeLabel)(BSTR bsName, int *pnRequest) PURE;                                                   // 63
    STDMETHOD(StartupLabels)(LONG nID, BSTR bsMainFunction, BSTR bsEntryPoint, int *pnRequest) PURE;          // 64
    STDMETHOD(BreakpointDescription)(LONG nAddressMode, LONG nAddressValue, int *pnRequest) PURE;             // 65
    STDMETHOD(BreakpointAddresses)(LONG nID, BSTR bsDescription, int *pnRequest) PURE;                        // 66
    STDMETHOD(GetLabels)(int nRequest, VARIANT *vsNames, VARIANT *vnValues) PURE;                             // 67
    STDMETHOD(RegisterMap)(int *pnRequest) PURE;                                                              // 68
    STDMETHOD(GetRegisterMap)(int nRequest, VARIANT *vsNames, VARIANT *vnValues) PURE;                        // 69
    STDMETHOD(IsDatabase)(LONG *pbResult) PURE;                                                               // 70
    STDMETHOD(DeleteRequest)(int nRequest) PURE;                                                              // 71
    // Fires _SymProcEvents::FireSymbolProcReadyState with the request id; S_OK.
    STDMETHOD(FireRequestReady)(int nRequest) PURE;                                                           // 72
    STDMETHOD(Location)(LONG nAddressMode, LONG nAddressValue, int *pnRequest) PURE;                          // 73
    STDMETHOD(GetLocation)(int nRequest, VARIANT *vsNames, VARIANT *vnValues) PURE;                           // 74
    STDMETHOD(VariablesInScope)(LONG nAddressMode, LONG nAddressValue, BSTR bsName, int *pnRequest) PURE;     // 75
    // nOpen not 0 fires _SymProcEvents2::PatternWindowOpen, 0 PatternWindowClose; S_OK.
    STDMETHOD(FirePatternWindowState)(LONG nOpen, LONG nStartAddress, LONG nLength) PURE;                     // 76
    STDMETHOD(SourceFileLines)(LONG nAddressMode, LONG nAddressValue, LONG nLength, int *pnRequest) PURE;     // 77
    STDMETHOD(VarEdMapping)(LONG nSymbolIndex, int *pnRequest) PURE;                                          // 78
    STDMETHOD(VarEdVariables)(int *pnRequest) PURE;                                                           // 79
    STDMETHOD(GetVarEdVariables)(int nRequest, VARIANT *vnValues) PURE;                                       // 80
};
QEL_DEFINE_IID(IQelSymbol, 0xEF0E9412, 0xD9B2, 0x11D1, 0xBC, 0x34, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29);

// The program-information objects that the symbol server has handed out (GetProgramInfo);
// reached by QueryInterface only, it is not in the type library.
interface IQelSymbol2 : public IUnknown {
    STDMETHOD(GetProgramCount)(LONG *pnCount) PURE;                              // 3
    STDMETHOD(GetProgramId)(LONG nIndex, LONG *pnProgramId) PURE;                // 4
    STDMETHOD(GetProgramInfoById)(LONG nProgramId, IUnknown **ppProgramInfo) PURE; // 5
};
QEL_DEFINE_IID(IQelSymbol2, 0xEBE77607, 0xF26B, 0x4B93, 0xB3, 0x55, 0x25, 0xF3, 0x33, 0x7A, 0x73, 0x15);

// The outgoing dispatch interfaces, called through IDispatch::Invoke with DISPATCH_METHOD:
// _SymProcEvents dispid 1 FireSymbolProcReadyState (VT_I4 request id);
// _SymProcEvents2 dispid 1 PatternWindowOpen and 2 PatternWindowClose (VT_I4 start
// address, VT_I4 length).
DEFINE_GUID(DIID__SymProcEvents, 0x632E0DF1, 0x73C0, 0x11D2, 0xB2, 0xE8, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F);
DEFINE_GUID(DIID__SymProcEvents2, 0x30E3A5AE, 0xACFA, 0x46E5, 0xAE, 0x40, 0xFD, 0x11, 0xC3, 0xA5, 0xF1, 0xE9);

enum : DISPID {
    DISPID_SYMPROC_READYSTATE = 1,
    DISPID_SYMPROC_PATTERNWINDOWOPEN = 1,
    DISPID_SYMPROC_PATTERNWINDOWCLOSE = 2,
};
