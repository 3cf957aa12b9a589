// Fuzz target of the file-load commands: commands 1, 2, 7 and 8 with argument lists that
// the input decodes, on a symbol server double that finishes every load with a status the
// input chooses, with the profile's switches the input sets. Every command must end
// cleanly, whatever the types, counts and texts; every dialog is left by its Cancel, as
// no user answers it.
//
// The input, byte by byte: a switch byte (bit 0 MULTIPROGRAM, 1 AUTORELOAD, 2 SERVICE, 3
// IgnoreProgramFromWsp, 4 the host forbids boxes), a status byte for the loads, then
// commands: a command byte (1, 2, 7 or 8 by its value modulo 4), a count of values (its
// value modulo 8) and per value a type byte and its payload: a number in 4 bytes, or a
// text of a length byte and that many bytes.
#include "fileloadmenuitem.h"
#include "windowsresources.h"
#include "windowsstrings.h"

#include <debugserver.h>
#include <hostcfgprofile.h>
#include <oletarcmdcaller.h>
#include <qelsymbol.h>
#include <qelsymbsrv.h>
#include <symbolservertesting.h>

#include <testing/messagepump.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Made when the binding asks for it, since the counts are no constants of this file.
const QEL_MODULE_RESOURCES &FuzzResources()
{
    static const QEL_MODULE_RESOURCES resources = {g_WindowsStrings, g_WindowsStringCount, g_WindowsResources,
                                                   g_WindowsResourceCount};
    return resources;
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(FuzzResources())

namespace {

// The owner as the handler reaches it: the symbol server (its request methods are the
// double's, its commands go to the handler, as the symbol server's handler list passes
// them), with its own storage and no partners.
class CFuzzOwner : public IQelSymbSrv, public IOleCommandTarget {
public:
    CFuzzOwner(CTestSymbolServer *symbols, IStorage *storage) : m_symbols(symbols), m_storage(storage) {}

    void SetHandler(CFileLoadMenuItem *handler) { m_handler = handler; }

    STDMETHODIMP QueryInterface(REFIID iid, void **ppv) override
    {
        if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IQelSymbSrv) || IsEqualGUID(iid, IID_IDispatch))
            *ppv = static_cast<IQelSymbSrv *>(this);
        else if (IsEqualGUID(iid, IID_IOleCommandTarget))
            *ppv = static_cast<IOleCommandTarget *>(this);
        else
            return m_symbols->QueryInterface(iid, ppv);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetVersion(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP GetErrorInfo(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP Init(IUnknown *, IUnknown *) override { return E_NOTIMPL; }
    STDMETHODIMP RestoreSettings() override { return E_NOTIMPL; }
    STDMETHODIMP Cleanup() override { return E_NOTIMPL; }
    STDMETHODIMP StoreSettings() override { return E_NOTIMPL; }
    STDMETHODIMP Synchronize(tagSynchronizeFunction function, IUnknown **ppUnknown) override
    {
        *ppUnknown = nullptr;
        // As the symbol server answers: its own storage comes without a reference.
        if (function == SYF_GET_MASTER_DEBUGGER) {
            *ppUnknown = static_cast<IQelSymbSrv *>(this);
            (*ppUnknown)->AddRef();
        } else if (function == SYF_GET_OWN_STORAGE) {
            *ppUnknown = m_storage;
        }
        return S_OK;
    }
    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD *, OLECMDTEXT *) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out) override
    {
        HRESULT hr = OLECMDERR_E_NOTSUPPORTED;
        if (m_handler && ++m_depth < 4)
            m_handler->Exec(group, id, options, in, out, &hr);
        --m_depth;
        return hr;
    }

private:
    CTestSymbolServer *m_symbols;
    IStorage *m_storage;
    CFileLoadMenuItem *m_handler = nullptr;
    int m_depth = 0;
};

class Input {
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_at >= m_size; }
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    uint32_t Number()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<uint32_t>(Byte()) << (8 * i);
        return value;
    }
    std::string Text()
    {
        size_t length = Byte();
        std::string text;
        while (length-- > 0 && !Empty())
            text += static_cast<char>(Byte());
        return text;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

CComVariant Value(Input &input)
{
    CComVariant value;
    switch (input.Byte() % 7) {
    case 0:
        value.vt = VT_UI4;
        value.ulVal = input.Number();
        break;
    case 1:
        value = static_cast<LONG>(input.Number());
        break;
    case 2:
        value = input.Text().c_str();
        break;
    case 3:
        value.vt = VT_BOOL;
        value.boolVal = static_cast<VARIANT_BOOL>(input.Number());
        break;
    case 4:
        value.vt = VT_UNKNOWN;
        value.punkVal = nullptr;
        break;
    case 5: {
        // A few names, as command 3 and the breakpoint lists carry them.
        size_t count = input.Byte() % 4;
        value.parray = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(count));
        if (value.parray) {
            value.vt = VT_ARRAY | VT_BSTR;
            for (LONG i = 0; i < static_cast<LONG>(count); ++i) {
                CComBSTR name(input.Text().c_str());
                SafeArrayPutElement(value.parray, &i, name.m_str);
            }
        }
        break;
    }
    default:
        break;
    }
    return value;
}

void SetSwitch(QelHost::CHostCfgProfile *profile, const char16_t *entry, bool on)
{
    profile->SetItem(u"System", entry, CComVariant(on));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool started = SUCCEEDED(CoInitializeEx(nullptr, 0));
    if (!started || size < 2)
        return 0;
    Input input(data, size);
    CComPtr<IUnknown> host;
    if (FAILED(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &host)))
        return 0;
    auto *hostObject = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host.p));
    CComPtr<IUnknown> profileObject;
    hostObject->GetProfile(&profileObject);
    auto *profile = static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profileObject.p));
    CComObject<CTestSymbolServer> *symbols = nullptr;
    if (FAILED(CComObject<CTestSymbolServer>::CreateInstance(&symbols)))
        return 0;
    CComPtr<IUnknown> keepSymbols(symbols->GetUnknown());
    symbols->SetHost(host);
    CComPtr<IStorage> storage;
    if (FAILED(StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage)))
        return 0;

    uint8_t switches = input.Byte();
    SetSwitch(profile, u"MULTIPROGRAM", switches & 1);
    SetSwitch(profile, u"AUTORELOAD", switches & 2);
    SetSwitch(profile, u"SERVICE", switches & 4);
    SetSwitch(profile, u"IgnoreProgramFromWsp", switches & 8);
    hostObject->SetNoMessageBoxes((switches & 16) ? 1 : 0);
    symbols->Answers().statusByCode[2000] = input.Byte() % 8;

    CFuzzOwner owner(symbols, storage);
    {
        CStorage settings(storage);
        CFileLoadMenuItem handler;
        owner.SetHandler(&handler);
        handler.SetServerInterface(static_cast<IQelSymbSrv *>(&owner));
        handler.Connect(nullptr, &settings);
        static const DWORD kCommands[] = {1, 2, 7, 8};
        for (int round = 0; round < 16 && !input.Empty(); ++round) {
            DWORD id = kCommands[input.Byte() % 4];
            int count = input.Byte() % 8;
            try {
                CVariantArray in(count), out(1);
                for (int i = 0; i < count; ++i)
                    in[i].SetValue(Value(input));
                COleTarCmdCaller(static_cast<IQelSymbSrv *>(&owner), &CLSID_QelSymbol)
                    .Exec(id, count > 0 ? &in : nullptr, &out, 0);
            } catch (const _com_error &) {
            } catch (CException *e) {
                e->Delete();
            }
            symbols->WaitUntilIdle();
            QelPumpMessagesUntil([] { return false; }, 2);
        }
        handler.Disconnect();
        owner.SetHandler(nullptr);
    }
    symbols->SetHost(nullptr);
    return 0;
}
