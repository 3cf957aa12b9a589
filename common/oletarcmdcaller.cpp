#include "oletarcmdcaller.h"

#include "safearrayvariant.h"

#include <atlbase.h>

#include <climits>
#include <cstring>

namespace {

// Bit 31 or bit 30 of the options: the receiver takes the arguments over.
constexpr DWORD kHandOverOptions = 0xC0000000;
constexpr DWORD kHandOver = 0x80000000;

// The VARIANT in which a list travels: none for no element, the element's own value for
// one, an array of bitwise copies of the values for more. The values stay the list's;
// the array, unless handed over, is destroyed with its entries forgotten.
class TravellingList {
public:
    explicit TravellingList(CVariantArray *list) : m_array(VT_VARIANT, 0)
    {
        VariantInit(&m_variant);
        if (!list || list->GetSize() == 0)
            return;
        m_present = true;
        if (list->GetSize() == 1) {
            m_variant = list->GetAt(0).GetValue();
            return;
        }
        if (!m_array.FromArray(*list))
            AfxThrowMemoryException();
        m_variant = *m_array.GetVariant();
        m_container = m_array.GetArray();
    }
    TravellingList(const TravellingList &) = delete;
    TravellingList &operator=(const TravellingList &) = delete;

    VARIANT *Get() { return m_present ? &m_variant : nullptr; }
    // Whether the VARIANT still holds the array that was sent.
    bool HoldsSentArray() const { return m_container && (m_variant.vt & VT_ARRAY) && m_variant.parray == m_container; }
    // The array belongs to someone else now.
    void HandOver() { m_array.Forget(); }

private:
    CSafeArrayVariant m_array;
    VARIANT m_variant;
    SAFEARRAY *m_container = nullptr;
    bool m_present = false;
};

// The elements of `out` whose values came back as they went out (the receiver left them)
// pass their ownership on to the results that hold them.
void KeepReturnedValues(CVariantArray &out, VARIANT &result)
{
    auto disown = [&out](const VARIANT &value) {
        for (int i = 0; i < out.GetSize(); ++i) {
            if (out[i].IsOwned() && IsSameVariantValue(out[i].GetValue(), value))
                out[i].Disown();
        }
    };
    CSafeArrayVariant array(&result, TRUE);
    if (!array.IsValid()) {
        disown(result);
        return;
    }
    if (auto *entries = static_cast<VARIANT *>(array.AccessData())) {
        for (int i = 0, count = array.GetCount(); i < count; ++i)
            disown(entries[i]);
        array.UnaccessData();
    }
}

} // namespace

HRESULT COleTarCmdCaller::Exec(DWORD id, CVariantArray *in, CVariantArray *out, DWORD options)
{
    if (!m_target)
        return E_POINTER;
    CComPtr<IOleCommandTarget> target;
    HRESULT hr = m_target->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void **>(&target));
    if (hr == E_NOINTERFACE || (SUCCEEDED(hr) && !target))
        return E_NOINTERFACE;
    if (FAILED(hr))
        _com_issue_error(hr);

    TravellingList input(in);
    TravellingList output(out);
    hr = target->Exec(m_group, id, options, input.Get(), output.Get());
    if (SUCCEEDED(hr) && (options & kHandOverOptions)) {
        input.HandOver();
        output.HandOver();
        if (in)
            in->DetachAll();
        if (out)
            out->DetachAll();
    }
    if (out && output.Get()) {
        VARIANT *result = output.Get();
        KeepReturnedValues(*out, *result);
        // Taking the results over destroys the array that holds them, which may be the
        // one that was sent.
        if (output.HoldsSentArray())
            output.HandOver();
        out->FromVariant(result, TRUE);
    }
    return hr;
}

HRESULT COleTarCmdCaller::ExecHandOver(DWORD id, CVariantArray *in, CVariantArray *out, DWORD options)
{
    return Exec(id, in, out, options | kHandOver);
}

HRESULT COleTarCmdCaller::ExecForResult(DWORD id, CVariantArray *in, IUnknown **result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    try {
        CVariantArray out(1);
        HRESULT hr = Exec(id, in, &out, 0);
        if (FAILED(hr) || out.GetSize() < 1 || out[0].GetValue().vt != VT_UNKNOWN || !out[0].GetValue().punkVal)
            return E_INVALIDARG;
        *result = out[0].Detach().punkVal;
        return S_OK;
    } catch (const _com_error &) {
        return E_INVALIDARG;
    } catch (CException *e) {
        e->Delete();
        return E_INVALIDARG;
    }
}

HRESULT COleTarCmdCaller::RequestCommVariable(DWORD value, LPCSTR name, IUnknown **result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    try {
        CVariantArray in(name ? 2 : 1);
        VARIANT number;
        VariantInit(&number);
        number.vt = VT_UI4;
        number.ulVal = value;
        in[0].SetValue(number);
        if (name)
            in[1].SetString(name);
        return ExecForResult(200, &in, result);
    } catch (CException *e) {
        e->Delete();
        return E_INVALIDARG;
    }
}

HRESULT COleTarCmdCaller::ExecForObject(DWORD id, IUnknown **result)
{
    return ExecForResult(id, nullptr, result);
}

void COleTarCmdCaller::OleCmdTextToString(const OLECMDTEXT *text, CString &out)
{
    out.Empty();
    if (!text)
        return;
    // The structure is as long as its buffer says; nothing past that is read.
    const WCHAR *chars = text->rgwz;
    ULONG count = text->cwActual < text->cwBuf ? text->cwActual : text->cwBuf;
    ULONG length = 0;
    while (length < count && length < INT_MAX && chars[length] != 0)
        ++length;
    if (length == 0)
        return;
    int bytes = WideCharToMultiByte(CP_ACP, 0, chars, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return;
    LPSTR buffer = out.GetBuffer(bytes);
    WideCharToMultiByte(CP_ACP, 0, chars, static_cast<int>(length), buffer, bytes, nullptr, nullptr);
    out.ReleaseBuffer(bytes);
}

BSTR COleTarCmdCaller::AnsiToBstr(LPCSTR text, int length)
{
    if (!text)
        return nullptr;
    if (length < 0) {
        size_t all = strlen(text);
        if (all > INT_MAX)
            return nullptr;
        length = static_cast<int>(all);
    }
    int wide = length > 0 ? MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0) : 0;
    if (length > 0 && wide <= 0)
        return nullptr;
    BSTR string = SysAllocStringLen(nullptr, static_cast<UINT>(wide));
    if (string && wide > 0)
        MultiByteToWideChar(CP_ACP, 0, text, length, string, wide);
    return string;
}
