// The symbol explorer double: a view of the host frame (CHostView) that offers the
// explorer's IQelSymbolExplorer and records every call of it with its arguments as the
// explorer would read them: the names, and the numbers in storage order with the array's
// dimensions.
#pragma once

#include "hostframe.h"

#include <qelsymbolexplorer.h>

#include <string>
#include <vector>

namespace QelHost {

struct ExplorerViewCall {
    std::string method;
    LONG loaded = 0;              // SignalLoadingPrgFile's arguments
    LONG programId = 0;
    std::vector<std::string> names; // SignalBreakpoints': the names' texts
    std::vector<LONG> numbers;      // the numbers in storage order
    std::vector<ULONG> dimensions;  // the numbers' element counts, dimension 1 first
    bool wellFormed = true;         // both arrays of the types the explorer reads
};

class CHostExplorerView : public CHostView, public IQelSymbolExplorer {
public:
    BEGIN_COM_MAP(CHostExplorerView)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
        COM_INTERFACE_ENTRY(IQelSymbolExplorer)
    END_COM_MAP()

    const std::vector<ExplorerViewCall> &Calls() const { return m_calls; }

    STDMETHODIMP GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP SignalLoadingPrgFile(LONG bLoaded, LONG lProgId) override;
    STDMETHODIMP SignalBreakpoints(VARIANT vsNames, VARIANT vsValues) override;

private:
    std::vector<ExplorerViewCall> m_calls;
};

// A factory of the frame (CHostFrame::SetViewFactory) that makes explorer doubles.
HostViewFactory ExplorerViewFactory();

// One line of text for a call: "SignalLoadingPrgFile LOADED ID", or "SignalBreakpoints"
// followed by the names, "|", the dimensions as "AxB" and the numbers.
std::string ExplorerCallText(const ExplorerViewCall &call);

} // namespace QelHost
