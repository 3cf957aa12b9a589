#include "atlcombstr.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The UTF-16 form of ANSI text; NULL text stays NULL.
BSTR AllocFromAnsi(LPCSTR text)
{
    if (text == nullptr)
        return nullptr;
    int count = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (count <= 0)
        return nullptr;
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(count - 1));
    if (result != nullptr)
        MultiByteToWideChar(CP_ACP, 0, text, -1, result, count);
    return result;
}

UINT TextLength(LPCOLESTR text)
{
    UINT n = 0;
    while (text[n] != 0)
        n++;
    return n;
}

} // namespace

CComBSTR::CComBSTR(LPCSTR text) : m_str(AllocFromAnsi(text)) {}

CComBSTR &CComBSTR::operator=(const CComBSTR &other)
{
    if (other.m_str != m_str)
        Attach(other.Copy());
    return *this;
}

CComBSTR &CComBSTR::operator=(CComBSTR &&other) noexcept
{
    if (this != std::addressof(other)) {
        Empty();
        m_str = other.m_str;
        other.m_str = nullptr;
    }
    return *this;
}

CComBSTR &CComBSTR::operator=(LPCOLESTR text)
{
    if (text != m_str)
        Attach(text == nullptr ? nullptr : SysAllocString(text));
    return *this;
}

CComBSTR &CComBSTR::operator=(LPCSTR text)
{
    Attach(AllocFromAnsi(text));
    return *this;
}

bool CComBSTR::operator==(const CComBSTR &other) const
{
    UINT n = Length();
    if (n != other.Length())
        return false;
    return n == 0 || std::equal(m_str, m_str + n, other.m_str);
}

HRESULT CComBSTR::CopyTo(BSTR *out) const
{
    if (out == nullptr)
        return E_POINTER;
    *out = Copy();
    if (*out == nullptr && m_str != nullptr)
        return E_OUTOFMEMORY;
    return S_OK;
}

HRESULT CComBSTR::Append(LPCOLESTR text, int length)
{
    if (length < 0)
        return E_INVALIDARG;
    if (length == 0)
        return S_OK;
    if (text == nullptr)
        return E_INVALIDARG;
    UINT old = Length();
    // Copied first: `text` may lie inside the string that is replaced.
    std::vector<OLECHAR> joined;
    joined.reserve(old + static_cast<UINT>(length));
    if (m_str != nullptr)
        joined.assign(m_str, m_str + old);
    joined.insert(joined.end(), text, text + length);
    BSTR result = SysAllocStringLen(joined.data(), static_cast<UINT>(joined.size()));
    if (result == nullptr)
        return E_OUTOFMEMORY;
    Attach(result);
    return S_OK;
}

HRESULT CComBSTR::Append(LPCOLESTR text)
{
    if (text == nullptr)
        return S_OK;
    return Append(text, static_cast<int>(TextLength(text)));
}

HRESULT CComBSTR::Append(LPCSTR text)
{
    if (text == nullptr)
        return S_OK;
    CComBSTR wide(text);
    if (!wide && *text != 0)
        return E_OUTOFMEMORY;
    return Append(wide);
}

HRESULT CComBSTR::Append(char ch)
{
    char text[2] = {ch, 0};
    if (ch == 0) {
        OLECHAR zero = 0;
        return Append(&zero, 1);
    }
    return Append(static_cast<LPCSTR>(text));
}

HRESULT CComBSTR::ToLower()
{
    for (UINT i = 0, n = Length(); i < n; i++) {
        if (m_str[i] >= u'A' && m_str[i] <= u'Z')
            m_str[i] = static_cast<OLECHAR>(m_str[i] - u'A' + u'a');
    }
    return S_OK;
}

HRESULT CComBSTR::ToUpper()
{
    for (UINT i = 0, n = Length(); i < n; i++) {
        if (m_str[i] >= u'a' && m_str[i] <= u'z')
            m_str[i] = static_cast<OLECHAR>(m_str[i] - u'a' + u'A');
    }
    return S_OK;
}
