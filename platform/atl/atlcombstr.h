// CComBSTR: a BSTR that frees itself.
#pragma once

#include <ole2.h>

class CComBSTR {
public:
    CComBSTR() : m_str(nullptr) {}
    // A BSTR of `length` characters, zeros when `text` is NULL.
    CComBSTR(int length, LPCOLESTR text = nullptr) : m_str(SysAllocStringLen(text, length)) {}
    CComBSTR(LPCOLESTR text) : m_str(text == nullptr ? nullptr : SysAllocString(text)) {}
    // ANSI text, converted through code page 1252.
    CComBSTR(LPCSTR text);
    CComBSTR(const CComBSTR &other) : m_str(other.Copy()) {}
    CComBSTR(CComBSTR &&other) noexcept : m_str(other.m_str) { other.m_str = nullptr; }
    ~CComBSTR() { SysFreeString(m_str); }

    CComBSTR &operator=(const CComBSTR &other);
    CComBSTR &operator=(CComBSTR &&other) noexcept;
    CComBSTR &operator=(LPCOLESTR text);
    CComBSTR &operator=(LPCSTR text);

    operator BSTR() const { return m_str; }
    // For out arguments: the string must be empty, or it would be lost.
    BSTR *operator&()
    {
        Empty();
        return &m_str;
    }
    bool operator!() const { return m_str == nullptr; }
    // Equal texts, compared by their lengths and characters (zeros inside count).
    bool operator==(const CComBSTR &other) const;
    bool operator!=(const CComBSTR &other) const { return !(*this == other); }

    unsigned int Length() const { return SysStringLen(m_str); }
    BSTR Copy() const { return m_str == nullptr ? nullptr : SysAllocStringLen(m_str, Length()); }
    HRESULT CopyTo(BSTR *out) const;
    void Attach(BSTR other)
    {
        if (other != m_str) {
            SysFreeString(m_str);
            m_str = other;
        }
    }
    BSTR Detach()
    {
        BSTR s = m_str;
        m_str = nullptr;
        return s;
    }
    void Empty()
    {
        SysFreeString(m_str);
        m_str = nullptr;
    }

    HRESULT Append(LPCOLESTR text, int length);
    HRESULT Append(LPCOLESTR text);
    HRESULT Append(const CComBSTR &other) { return Append(other.m_str, static_cast<int>(other.Length())); }
    HRESULT Append(LPCSTR text);
    HRESULT Append(char ch);
    HRESULT AppendBSTR(BSTR other) { return Append(other, static_cast<int>(SysStringLen(other))); }
    CComBSTR &operator+=(const CComBSTR &other)
    {
        Append(other);
        return *this;
    }
    CComBSTR &operator+=(LPCOLESTR text)
    {
        Append(text);
        return *this;
    }

    // ASCII letters only, as the texts of this system are.
    HRESULT ToLower();
    HRESULT ToUpper();

    BSTR m_str;
};
