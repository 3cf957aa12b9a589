#include "hostprogwinview.h"

#include "hostreports.h"

#include <hostcmdgroups.h>
#include <oletarcmdcaller.h>
#include <qelsymbol.h>
#include <qelsymbolselectlist.h>
#include <symbolprocessing.h>
#include <variantarray.h>

#include <algorithm>
#include <iterator>

namespace QelHost {

namespace {

enum : DWORD {
    kShow = 10,
    kProgramLoaded = 14,
    kShowLine = 15,
    kChoice = 22,
    kMarkLine = 18,
    kQuery = 21,
    kInstructionPointer = 91,
};

// The commands whose effect the window shows and a double need not keep: closing the
// temporary views, breakpoints changed, the file commands, refreshing.
constexpr DWORD kRecordedOnly[] = {13, 16, 17, 19, 90, 96};

constexpr int kQueryResults = 3;

// The symbol server's commands that show a source file and a position in it.
enum : DWORD { kSymbolShowSource = 11, kSymbolShowPosition = 15 };
constexpr int kSynchronous = 0;

bool IsU4(const std::vector<CComVariant> &arguments, size_t index)
{
    return index < arguments.size() && arguments[index].vt == VT_UI4;
}

} // namespace

void CHostProgWinView::Made(const std::shared_ptr<DebugServerLink> &debugServer)
{
    m_debugServer = debugServer;
    ReadModules();
}

void CHostProgWinView::Gone()
{
    CComQIPtr<IQelSymbolSelectList> list(m_selectList);
    if (list != nullptr)
        list->RemoveAllViewServerEntries(GetUnknown());
    m_selectList.Release();
}

// The symbol server is asked without the link's lock held: it may call the frame.
CComPtr<IUnknown> CHostProgWinView::DebugServer() const
{
    CComPtr<IUnknown> server;
    if (m_debugServer) {
        std::lock_guard<std::mutex> hold(m_debugServer->lock);
        server = m_debugServer->server;
    }
    return server;
}

void CHostProgWinView::ReadModules()
{
    m_modules = ReadModuleTree(DebugServer());
    ListFunctions();
}

void CHostProgWinView::ListFunctions()
{
    CComQIPtr<IQelSymbolSelectList> list(m_selectList);
    if (list == nullptr)
        return;
    list->RemoveAllViewServerEntries(GetUnknown());
    for (const HostModule &module : m_modules) {
        for (const HostFunction &function : module.functions) {
            CComBSTR name(function.name.c_str());
            list->AddSymbolListEntry(name, function.start, GetUnknown());
        }
    }
}

// As the symbol explorer shows a function: its file opened, then its line.
HRESULT CHostProgWinView::Choose(const std::vector<CComVariant> &arguments)
{
    if (!IsU4(arguments, 0) || arguments.size() < 2 || arguments[1].vt != VT_BOOL)
        return E_INVALIDARG;
    CComPtr<IUnknown> server = DebugServer();
    if (arguments[1].boolVal == VARIANT_FALSE || server == nullptr)
        return S_OK;
    CSymbolProcessing client;
    LocationTag location;
    if (!client.Attach(server) ||
        !client.GetLocation(client.RequestLocation(1, static_cast<LONG>(arguments[0].ulVal), kSynchronous), location))
        return S_OK;
    try {
        COleTarCmdCaller symbols(server, &CLSID_QelSymbol);
        const CComVariant file(static_cast<LPCSTR>(location.EntryInFile));
        if (!location.EntryInFile.IsEmpty()) {
            CVariantArray in(3), out(1);
            in[0].SetValue(file);
            in[1].SetValue(file);
            // 1, not VARIANT_TRUE: the flag both asks for the file and shows it.
            CComVariant askAndShow;
            askAndShow.vt = VT_BOOL;
            askAndShow.boolVal = 1;
            in[2].SetValue(askAndShow);
            if (symbols.Exec(kSymbolShowSource, &in, &out, 0) != S_OK)
                return S_OK;
        }
        CVariantArray position(4);
        const CComVariant shown = location.EntryInFile.IsEmpty() ? CComVariant(static_cast<LPCSTR>(location.SectionName)) : file;
        position[0].SetValue(shown);
        position[1].SetValue(CComVariant(static_cast<ULONG>(location.EntryInFile.IsEmpty() ? 0 : location.SourceLine)));
        position[2].SetValue(CComVariant(static_cast<ULONG>(location.AddressValue)));
        position[3].SetValue(shown);
        symbols.Exec(kSymbolShowPosition, &position, nullptr, 0);
    } catch (const _com_error &) {
    } catch (CException *e) {
        e->Delete();
    }
    return S_OK;
}

HRESULT CHostProgWinView::Answer(const ViewCommand &command, VARIANT *out)
{
    if (!IsEqualGUID(command.group, CGID_QelProgWinView))
        return CHostView::Answer(command, out);
    const std::vector<CComVariant> &arguments = command.arguments;
    switch (command.id) {
    case kShow:
        return Show(arguments);
    case kShowLine:
        if (IsU4(arguments, 0))
            m_line = arguments[0].ulVal;
        return S_OK;
    case kMarkLine:
        return Mark(arguments);
    case kQuery:
        return Query(out);
    case kInstructionPointer:
        if (!IsU4(arguments, 0))
            return E_INVALIDARG;
        m_ip = arguments[0].ulVal;
        return S_OK;
    case kProgramLoaded:
        ReadModules();
        return S_OK;
    case kChoice:
        return Choose(arguments);
    default:
        return std::find(std::begin(kRecordedOnly), std::end(kRecordedOnly), command.id) != std::end(kRecordedOnly)
                   ? S_OK
                   : OLECMDERR_E_NOTSUPPORTED;
    }
}

HRESULT CHostProgWinView::Show(const std::vector<CComVariant> &arguments)
{
    if (!IsU4(arguments, 0) || arguments.size() < 2 || arguments[1].vt != VT_BSTR)
        return E_INVALIDARG;
    std::string name = AnsiText(arguments[1].bstrVal ? arguments[1].bstrVal : u"");
    // What the window showed of another file goes with it.
    if (name != m_name) {
        m_line = 0;
        m_marks.clear();
        m_ip.reset();
    }
    m_mode = arguments[0].ulVal;
    m_name = std::move(name);
    return S_OK;
}

HRESULT CHostProgWinView::Mark(const std::vector<CComVariant> &arguments)
{
    if (!IsU4(arguments, 0) || !IsU4(arguments, 1) || !IsU4(arguments, 2))
        return E_INVALIDARG;
    const std::pair<ULONG, ULONG> mark{arguments[1].ulVal, arguments[2].ulVal};
    if (arguments[0].ulVal != 0)
        m_marks.insert(mark);
    else
        m_marks.erase(mark);
    return S_OK;
}

// The answers go into the caller's list, which only a list in `out` can carry.
HRESULT CHostProgWinView::Query(VARIANT *out) const
{
    if (!out || out->vt != (VT_ARRAY | VT_VARIANT))
        return E_INVALIDARG;
    try {
        CVariantArray results(out, TRUE);
        results.SetSize(kQueryResults);
        const LONG values[kQueryResults] = {static_cast<LONG>(m_line), static_cast<LONG>(m_marks.size()),
                                            static_cast<LONG>(m_mode)};
        for (int i = 0; i < kQueryResults; ++i)
            results[i].SetValue(CComVariant(values[i]));
    } catch (CException *e) {
        e->Delete();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HostViewFactory ProgWinViewFactory(IUnknown *selectList)
{
    CComPtr<IUnknown> list(selectList);
    return [list](IUnknown **view, CHostView **object) {
        *view = nullptr;
        *object = nullptr;
        CComObject<CHostProgWinView> *window = nullptr;
        HRESULT hr = CComObject<CHostProgWinView>::CreateInstance(&window);
        if (FAILED(hr))
            return hr;
        window->SetSelectList(list);
        hr = window->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(view));
        if (SUCCEEDED(hr))
            *object = window;
        return hr;
    };
}

} // namespace QelHost
