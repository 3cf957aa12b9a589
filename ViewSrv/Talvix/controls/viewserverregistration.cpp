#include "viewserverregistration.h"

#include "talvixids.h"
#include "talvixscripts.h"
#include "talvixstrings.h"

#include <atlbase.h>
#include <atliface.h>
#include <qelsymbol.h>

#include <new>
#include <string>
#include <vector>

const ViewServerDescriptor g_SymbolExplorerDescriptor = {
    IDR_VIEWSERVER, &CLSID_QelSymbolExplorer, &CLSID_QelSymbol, &LIBID_TALVIXLib, 1, IDS_SYMBOLEXPLORER_TEXTS,
    262, 202, -1, 5, 7, 5, 1, 0, 1, 0, 0, 0};

CString ViewServerTextPart(const CString &texts, int index)
{
    int start = 0;
    for (int part = 0; part < index; part++) {
        int separator = texts.Find('\n', start);
        if (separator < 0)
            return CString();
        start = separator + 1;
    }
    int end = texts.Find('\n', start);
    return texts.Mid(start, end < 0 ? texts.GetLength() - start : end - start);
}

CString ViewServerModuleName(const char *modulePath)
{
    char full[1024] = {};
    LPSTR filePart = nullptr;
    DWORD length = GetFullPathNameA(modulePath, sizeof full, full, &filePart);
    if (length == 0 || length > sizeof full - 2 || filePart == nullptr)
        return CString();
    std::string name(filePart);
    name = name.substr(0, name.find('.'));
    if (name.compare(0, 3, "lib") == 0)
        name.erase(0, 3);
    return CString(name.c_str());
}

namespace {

// The replacements of one control, in the order the registrar is given them.
class Replacements {
public:
    void Add(const char *name, const CString &text) { m_items.emplace_back(name, Wide(text)); }
    void AddNumber(const char *name, LONG value) { Add(name, Format("%d", value)); }
    void AddUnsigned(const char *name, DWORD value) { Add(name, Format("%u", value)); }
    // A GUID that cannot be written as text is left out.
    void AddGuid(const char *name, const GUID *guid)
    {
        OLECHAR text[39];
        if (guid != nullptr && StringFromGUID2(*guid, text, 39) == 39)
            m_items.emplace_back(name, std::u16string(text));
    }

    HRESULT GiveTo(IRegistrar *registrar) const
    {
        for (const auto &[name, text] : m_items) {
            HRESULT hr = registrar->AddReplacement(Wide(CString(name)).c_str(), text.c_str());
            if (FAILED(hr))
                return hr;
        }
        return S_OK;
    }

    static std::u16string Wide(const CString &text)
    {
        int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        std::u16string wide(size > 0 ? size : 1, u'\0');
        if (size > 0)
            MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
        wide.resize(wide.size() - 1);
        return wide;
    }

private:
    static CString Format(const char *format, auto value)
    {
        CString text;
        text.Format(format, value);
        return text;
    }

    std::vector<std::pair<const char *, std::u16string>> m_items;
};

HRESULT Register(const ViewServerDescriptor *descriptor, BOOL bRegister, IRegistrar *registrar)
{
    char modulePath[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(AfxGetInstanceHandle(), modulePath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return E_FAIL;
    Replacements items;
    items.Add("Module", modulePath);
    items.AddGuid("CLSID", descriptor->clsid);
    items.AddGuid("DBGSRV_CLSID", descriptor->dbgSrvId);
    items.AddGuid("TYPELIB_CLSID", descriptor->typeLibId);
    CString server = ViewServerModuleName(modulePath);
    if (!server.IsEmpty())
        items.Add("SERVER", server);

    // A text set that does not load leaves its keywords unreplaced: the script then fails.
    CString texts;
    BOOL haveTexts = texts.LoadString(descriptor->textSetId);
    auto addPart = [&](const char *name, int index) {
        if (haveTexts)
            items.Add(name, ViewServerTextPart(texts, index));
    };
    items.AddNumber("NO", descriptor->progIdVersion);
    addPart("DESCRIPTION", 0);
    addPart("DOC_TITLE", 2);
    items.AddNumber("ICON_ID", descriptor->iconId);
    items.AddNumber("BITMAP_ID", descriptor->bitmapId);
    addPart("VIEWSERV_NAME", 1);
    addPart("MENU_ITEM", 3);
    addPart("TOOLTIP_ITEM", 4);
    items.AddNumber("ACCELERATOR", descriptor->accelerator);
    items.AddUnsigned("TOOLBAR", descriptor->toolBarCategory);
    items.AddUnsigned("VIEWCAT", descriptor->viewCategory);
    items.AddUnsigned("MENUCAT", descriptor->menuCategory);
    items.AddNumber("MULTIINSTANCE", descriptor->multiInstance);
    items.AddNumber("SHOWDIRECT", descriptor->showDirect);
    items.AddNumber("FRAMETYPE", descriptor->frameType);
    items.AddNumber("CX", descriptor->cx);
    items.AddNumber("CY", descriptor->cy);
    HRESULT hr = items.GiveTo(registrar);
    if (FAILED(hr))
        return hr;

    std::u16string path = Replacements::Wide(modulePath);
    return bRegister ? registrar->ResourceRegister(path.c_str(), descriptor->scriptId, u"REGISTRY")
                     : registrar->ResourceUnregister(path.c_str(), descriptor->scriptId, u"REGISTRY");
}

} // namespace

HRESULT RegisterViewServer(const ViewServerDescriptor *descriptor, BOOL bRegister)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CComPtr<IRegistrar> registrar;
    HRESULT hr = CoCreateInstance(CLSID_Registrar, nullptr, CLSCTX_INPROC_SERVER, IID_IRegistrar,
                                  reinterpret_cast<void **>(&registrar));
    if (FAILED(hr))
        return hr;
    try {
        return Register(descriptor, bRegister, registrar);
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT ViewServerTextSetPart(UINT textSetId, int index, BSTR *out)
{
    if (out == nullptr)
        return E_INVALIDARG;
    CString texts;
    if (!texts.LoadString(textSetId))
        return E_INVALIDARG;
    *out = ViewServerTextPart(texts, index).AllocSysString();
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

BOOL IsViewArrowKey(const MSG *message)
{
    return message->message == WM_KEYDOWN && (message->wParam == VK_LEFT || message->wParam == VK_RIGHT ||
                                              message->wParam == VK_UP || message->wParam == VK_DOWN);
}
