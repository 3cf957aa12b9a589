#include "olefont.h"

#include "bstr.h"
#include "windows.h"

#include <atomic>
#include <new>
#include <string>
#include <vector>

namespace {

// Points in the currency type's ten-thousandths, as pixels at 96 dots per inch.
LONG PixelHeight(const CY &size)
{
    const LONGLONG points = size.int64;
    return static_cast<LONG>((points * 96 / 72 + 5000) / 10000);
}

class CFontObject final : public IFont, public IFontDisp {
public:
    explicit CFontObject(const FONTDESC &desc)
        : m_name(desc.lpstrName != nullptr ? desc.lpstrName : u""), m_size(desc.cySize), m_weight(desc.sWeight),
          m_charset(desc.sCharset), m_italic(desc.fItalic), m_underline(desc.fUnderline),
          m_strikethrough(desc.fStrikethrough)
    {
    }
    CFontObject(const CFontObject &) = delete;
    CFontObject &operator=(const CFontObject &) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IFont)
            *ppv = static_cast<IFont *>(this);
        else if (riid == IID_IFontDisp || riid == IID_IDispatch)
            *ppv = static_cast<IFontDisp *>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }

    STDMETHODIMP get_Name(BSTR *pName) override
    {
        if (pName == nullptr)
            return E_POINTER;
        *pName = SysAllocStringLen(m_name.data(), static_cast<UINT>(m_name.size()));
        return *pName != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP put_Name(BSTR name) override
    {
        if (name == nullptr)
            return E_INVALIDARG;
        m_name.assign(name, SysStringLen(name));
        return Changed();
    }
    STDMETHODIMP get_Size(CY *pSize) override { return Get(pSize, m_size); }
    STDMETHODIMP put_Size(CY size) override
    {
        m_size = size;
        return Changed();
    }
    STDMETHODIMP get_Bold(BOOL *pBold) override { return Get(pBold, BOOL(m_weight >= FW_BOLD)); }
    STDMETHODIMP put_Bold(BOOL bold) override
    {
        m_weight = static_cast<SHORT>(bold ? FW_BOLD : FW_NORMAL);
        return Changed();
    }
    STDMETHODIMP get_Italic(BOOL *pItalic) override { return Get(pItalic, m_italic); }
    STDMETHODIMP put_Italic(BOOL italic) override { return Set(m_italic, italic); }
    STDMETHODIMP get_Underline(BOOL *pUnderline) override { return Get(pUnderline, m_underline); }
    STDMETHODIMP put_Underline(BOOL underline) override { return Set(m_underline, underline); }
    STDMETHODIMP get_Strikethrough(BOOL *pStrikethrough) override { return Get(pStrikethrough, m_strikethrough); }
    STDMETHODIMP put_Strikethrough(BOOL strikethrough) override { return Set(m_strikethrough, strikethrough); }
    STDMETHODIMP get_Weight(SHORT *pWeight) override { return Get(pWeight, m_weight); }
    STDMETHODIMP put_Weight(SHORT weight) override { return Set(m_weight, weight); }
    STDMETHODIMP get_Charset(SHORT *pCharset) override { return Get(pCharset, m_charset); }
    STDMETHODIMP put_Charset(SHORT charset) override { return Set(m_charset, charset); }
    STDMETHODIMP get_hFont(HFONT *phFont) override
    {
        if (phFont == nullptr)
            return E_POINTER;
        if (m_font == nullptr) {
            const LOGFONTA font = LogFont();
            m_font = CreateFontIndirectA(&font);
        }
        *phFont = m_font;
        return m_font != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP Clone(IFont **ppFont) override
    {
        if (ppFont == nullptr)
            return E_POINTER;
        *ppFont = new (std::nothrow) CFontObject(*this, 0);
        if (*ppFont == nullptr)
            return E_OUTOFMEMORY;
        (*ppFont)->AddRef();
        return S_OK;
    }

    // The dispatch side has no members.
    STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override { return Get(pctinfo, 0u); }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **ppTInfo) override
    {
        if (ppTInfo == nullptr)
            return E_POINTER;
        *ppTInfo = nullptr;
        return DISP_E_BADINDEX;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    // A copy of the description, with a font of its own to come.
    CFontObject(const CFontObject &other, int)
        : m_name(other.m_name), m_size(other.m_size), m_weight(other.m_weight), m_charset(other.m_charset),
          m_italic(other.m_italic), m_underline(other.m_underline), m_strikethrough(other.m_strikethrough)
    {
    }
    ~CFontObject()
    {
        if (m_font != nullptr)
            DeleteObject(m_font);
        for (HFONT font : m_stale)
            DeleteObject(font);
    }

    template <class V>
    static HRESULT Get(V *out, V value)
    {
        if (out == nullptr)
            return E_POINTER;
        *out = value;
        return S_OK;
    }
    template <class V>
    HRESULT Set(V &member, V value)
    {
        member = value;
        return Changed();
    }
    // The next get_hFont makes the font anew. (An HFONT handed out before stays valid
    // until the object goes, as a caller may have selected it.)
    HRESULT Changed()
    {
        if (m_font != nullptr)
            m_stale.push_back(m_font);
        m_font = nullptr;
        return S_OK;
    }

    LOGFONTA LogFont() const
    {
        LOGFONTA font{};
        font.lfHeight = -PixelHeight(m_size);
        font.lfWeight = m_weight;
        font.lfItalic = m_italic ? 1 : 0;
        font.lfUnderline = m_underline ? 1 : 0;
        font.lfStrikeOut = m_strikethrough ? 1 : 0;
        font.lfCharSet = static_cast<BYTE>(m_charset);
        WideCharToMultiByte(CP_ACP, 0, m_name.c_str(), -1, font.lfFaceName, sizeof font.lfFaceName, nullptr,
                            nullptr);
        font.lfFaceName[sizeof font.lfFaceName - 1] = '\0';
        return font;
    }

    std::atomic<ULONG> m_refs{0};
    std::u16string m_name;
    CY m_size;
    SHORT m_weight;
    SHORT m_charset;
    BOOL m_italic;
    BOOL m_underline;
    BOOL m_strikethrough;
    HFONT m_font = nullptr;
    std::vector<HFONT> m_stale;
};

} // namespace

STDAPI OleCreateFontIndirect(LPFONTDESC pFontDesc, REFIID riid, void **ppvObj)
{
    if (ppvObj == nullptr)
        return E_POINTER;
    *ppvObj = nullptr;
    if (pFontDesc == nullptr)
        return E_POINTER;
    if (pFontDesc->cbSizeofstruct != sizeof(FONTDESC))
        return E_INVALIDARG;
    auto *font = new (std::nothrow) CFontObject(*pFontDesc);
    if (font == nullptr)
        return E_OUTOFMEMORY;
    static_cast<IFont *>(font)->AddRef();
    HRESULT hr = static_cast<IFont *>(font)->QueryInterface(riid, ppvObj);
    static_cast<IFont *>(font)->Release();
    return hr;
}
