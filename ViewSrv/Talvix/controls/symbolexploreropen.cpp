// Opening an item: its place shown in the symbol server's program window, through the
// commands that the host hands to that window.
#include "symbolexplorer.h"

#include <oletarcmdcaller.h>
#include <qelsymbsrv.h>

namespace {

enum : DWORD { kCmdShowSource = 11, kCmdShowSection = 12, kCmdShowPosition = 15 };
constexpr LONG kPcpSourceFile = 1002;
constexpr LONG kPcpCodeSection = 5;
constexpr int kSynchronous = 0;

VARIANT Bool(SHORT value)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = value;
    return v;
}

void Put(CVariantArray &list, int index, const CComVariant &value)
{
    list[index].SetValue(value);
}

} // namespace

void CQelSymbolExplorer::OpenItem(HTREEITEM item)
{
    TVITEM fields = {};
    fields.mask = TVIF_PARAM;
    fields.hItem = item;
    if (!m_tree.GetItem(&fields))
        return;
    switch (fields.lParam) {
    case kSourceFile: {
        SourceFileTag file;
        if (m_sourceFiles.Lookup(item, file) && !file.EntryInFile.IsEmpty())
            ShowSourceFile(file.EntryInFile, file.Type);
        break;
    }
    case kFunction: {
        CAddressValue address;
        if (m_addresses.Lookup(item, address))
            ShowAddress(address);
        break;
    }
    case kSection: {
        SectionTag section;
        if (m_sections.Lookup(item, section))
            ShowSection(section.Name, section.Type, section.AddressValue, section.Length);
        break;
    }
    case kBreakpoint: {
        BreakpointEntry breakpoint;
        if (m_breakpoints.Lookup(item, breakpoint))
            ShowAddress(CAddressValue(breakpoint.AddressValue, 1, 0));
        break;
    }
    default:
        if (m_tree.ItemHasChildren(item))
            m_tree.Expand(item, TVE_TOGGLE);
        break;
    }
}

void CQelSymbolExplorer::ShowAddress(const CAddressValue &address)
{
    if (m_pSymProc == nullptr)
        return;
    LocationTag location;
    int id = m_pSymProc->RequestLocation(static_cast<LONG>(address.AddressMode), static_cast<LONG>(address.AddressValue),
                                         kSynchronous);
    if (id == 0 || !m_pSymProc->GetLocation(id, location))
        return;
    CVariantArray position(4);
    if (!location.EntryInFile.IsEmpty()) {
        if (!ShowSourceFile(location.EntryInFile, location.Type))
            return;
        Put(position, 0, CComVariant(static_cast<LPCSTR>(location.EntryInFile)));
        Put(position, 1, CComVariant(static_cast<DWORD>(location.SourceLine)));
    } else if (location.SectionName.IsEmpty()) {
        Put(position, 0, CComVariant(""));
        Put(position, 1, CComVariant(0u));
    } else {
        ShowSection(location.SectionName, location.SectionType, location.SectionAddressValue, location.SectionLength);
        Put(position, 0, CComVariant(static_cast<LPCSTR>(location.SectionName)));
        Put(position, 1, CComVariant(0u));
    }
    Put(position, 2, CComVariant(static_cast<DWORD>(location.AddressValue)));
    position[3].SetValue(position[0].GetValue());
    SendSymbolCommand(m_pDbgSrv, kCmdShowPosition, &position, nullptr);
}

BOOL CQelSymbolExplorer::ShowSourceFile(LPCSTR path, LONG fileType)
{
    CComPtr<IUnknown> target = m_pDbgSrv;
    if (fileType == kPcpSourceFile && (target = PcpCommandTarget()) == nullptr)
        return FALSE;
    CVariantArray in(3), out(1);
    Put(in, 0, CComVariant(path));
    Put(in, 1, CComVariant(path));
    in[2].SetValue(Bool(1));
    return SendSymbolCommand(target, kCmdShowSource, &in, &out) == S_OK;
}

BOOL CQelSymbolExplorer::ShowSection(LPCSTR name, LONG sectionType, DWORD start, DWORD length)
{
    CComPtr<IUnknown> target = m_pDbgSrv;
    if (sectionType == kPcpCodeSection && (target = PcpCommandTarget()) == nullptr)
        return FALSE;
    CVariantArray in(4);
    Put(in, 0, CComVariant(name));
    Put(in, 1, CComVariant(""));
    Put(in, 2, CComVariant(static_cast<DWORD>(start)));
    Put(in, 3, CComVariant(static_cast<DWORD>(length)));
    return SendSymbolCommand(target, kCmdShowSection, &in, nullptr) == S_OK;
}

HRESULT CQelSymbolExplorer::SendSymbolCommand(IUnknown *target, DWORD id, CVariantArray *in, CVariantArray *out)
{
    if (target == nullptr)
        return E_POINTER;
    return COleTarCmdCaller(target, &CLSID_QelSymbol).Exec(id, in, out, 0);
}

CComPtr<IUnknown> CQelSymbolExplorer::PcpCommandTarget()
{
    CComPtr<IQelSymbSrv> server;
    if (m_pDbgSrv == nullptr)
        return nullptr;
    HRESULT hr = m_pDbgSrv->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&server));
    if (hr == E_NOINTERFACE)
        return nullptr;
    if (FAILED(hr))
        _com_issue_error(hr);
    for (tagSynchronizeFunction partner : {SYF_GET_FOREIGN_DEBUG_SERVER, SYF_GET_PCP_STANDALONE_DEBUG_SERVER}) {
        CComPtr<IUnknown> found;
        if (SUCCEEDED(server->Synchronize(partner, &found)) && found != nullptr)
            return found;
    }
    return nullptr;
}

LRESULT CQelSymbolExplorer::OnTreeDoubleClick(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
    TVHITTESTINFO hit = {};
    hit.pt.x = static_cast<SHORT>(LOWORD(lParam));
    hit.pt.y = static_cast<SHORT>(HIWORD(lParam));
    HTREEITEM item = m_tree.HitTest(hit.pt, &hit.flags);
    if (item == nullptr || (hit.flags & TVHT_ONITEM) == 0) {
        bHandled = FALSE;
        return 0;
    }
    // A COM failure of the host ends the opening; it never leaves the window procedure.
    try {
        OpenItem(item);
    } catch (_com_error &) {
    } catch (CException *exception) {
        exception->Delete();
    }
    return 0;
}
