#include "atliface.h"

#include "atlcoclass.h"
#include "atlcomobject.h"
#include "atlregistrar.h"
#include "atlthreadmodel.h"

#include <string>

namespace {

// A wide text in ANSI (code page 1252); false when it does not convert.
bool ToAnsi(LPCOLESTR wide, std::string *text)
{
    text->clear();
    if (wide == nullptr)
        return false;
    int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return false;
    text->resize(size);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text->data(), size, nullptr, nullptr);
    text->resize(size - 1);
    return true;
}

class CRegistrarObject : public CComObjectRootEx<CComMultiThreadModel>, public IRegistrar {
public:
    BEGIN_COM_MAP(CRegistrarObject)
        COM_INTERFACE_ENTRY(IRegistrar)
    END_COM_MAP()

    STDMETHODIMP AddReplacement(LPCOLESTR key, LPCOLESTR item) override
    {
        std::string name, text;
        if (!ToAnsi(key, &name) || !ToAnsi(item, &text))
            return E_INVALIDARG;
        return m_registrar.AddReplacement(name.c_str(), text.c_str());
    }
    STDMETHODIMP ClearReplacements() override { return m_registrar.ClearReplacements(); }
    // Resources are found by number here, as the system names them.
    STDMETHODIMP ResourceRegisterSz(LPCOLESTR, LPCOLESTR, LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP ResourceUnregisterSz(LPCOLESTR, LPCOLESTR, LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP FileRegister(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP FileUnregister(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP StringRegister(LPCOLESTR data) override { return RunText(data, TRUE); }
    STDMETHODIMP StringUnregister(LPCOLESTR data) override { return RunText(data, FALSE); }
    STDMETHODIMP ResourceRegister(LPCOLESTR resFileName, UINT nID, LPCOLESTR szType) override
    {
        return RunResource(resFileName, nID, szType, TRUE);
    }
    STDMETHODIMP ResourceUnregister(LPCOLESTR resFileName, UINT nID, LPCOLESTR szType) override
    {
        return RunResource(resFileName, nID, szType, FALSE);
    }

private:
    HRESULT RunText(LPCOLESTR data, BOOL bRegister)
    {
        std::string script;
        if (!ToAnsi(data, &script))
            return E_INVALIDARG;
        return m_registrar.Run(script.data(), script.size(), bRegister);
    }

    HRESULT RunResource(LPCOLESTR resFileName, UINT id, LPCOLESTR szType, BOOL bRegister)
    {
        std::string path, type;
        if (!ToAnsi(resFileName, &path) || !ToAnsi(szType, &type))
            return E_INVALIDARG;
        HMODULE module = GetModuleHandleA(path.c_str());
        if (module == nullptr)
            return HRESULT_FROM_WIN32(GetLastError());
        return bRegister ? m_registrar.ResourceRegister(module, id, type.c_str())
                         : m_registrar.ResourceUnregister(module, id, type.c_str());
    }

    CRegObject m_registrar;
};

} // namespace

HRESULT QelAtlCreateRegistrar(void *pv, REFIID riid, LPVOID *ppv)
{
    return CComCreator<CComObject<CRegistrarObject>>::CreateInstance(pv, riid, ppv);
}
