// Test support of the communication variable object: its array arguments made from
// plain lists, as a tree or the communication queue hands them over.
#pragma once

#include <afx.h>

#include <initializer_list>
#include <string>
#include <vector>

// A VARIANT that owns what it holds. Arrays are made with every lower bound 0, the
// extents given first dimension first, and filled in storage order.
class CTestArgument {
public:
    CTestArgument() { VariantInit(&m_variant); }
    ~CTestArgument() { VariantClear(&m_variant); }
    CTestArgument(CTestArgument &&other) noexcept : m_variant(other.m_variant) { VariantInit(&other.m_variant); }
    CTestArgument(const CTestArgument &) = delete;
    CTestArgument &operator=(const CTestArgument &) = delete;

    static CTestArgument Numbers(const std::vector<LONG> &values, std::initializer_list<ULONG> extents)
    {
        CTestArgument argument;
        SAFEARRAY *array = Create(VT_I4, extents);
        LONG *data = nullptr;
        SafeArrayAccessData(array, reinterpret_cast<void **>(&data));
        for (size_t i = 0; i < values.size(); ++i)
            data[i] = values[i];
        SafeArrayUnaccessData(array);
        argument.m_variant.vt = VT_ARRAY | VT_I4;
        argument.m_variant.parray = array;
        return argument;
    }
    static CTestArgument Texts(const std::vector<std::string> &texts, std::initializer_list<ULONG> extents)
    {
        CTestArgument argument;
        SAFEARRAY *array = Create(VT_BSTR, extents);
        BSTR *data = nullptr;
        SafeArrayAccessData(array, reinterpret_cast<void **>(&data));
        for (size_t i = 0; i < texts.size(); ++i) {
            std::u16string wide(texts[i].begin(), texts[i].end());
            data[i] = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
        }
        SafeArrayUnaccessData(array);
        argument.m_variant.vt = VT_ARRAY | VT_BSTR;
        argument.m_variant.parray = array;
        return argument;
    }

    // As a VARIANT argument (passed by value; it stays this object's).
    operator VARIANT() const { return m_variant; }
    VARIANT *Get() { return &m_variant; }
    // The array's first lower bound becomes `lower`.
    void Rebase(LONG lower) { m_variant.parray->rgsabound[m_variant.parray->cDims - 1].lLbound = lower; }

private:
    static SAFEARRAY *Create(VARTYPE element, std::initializer_list<ULONG> extents)
    {
        std::vector<SAFEARRAYBOUND> bounds;
        for (ULONG extent : extents)
            bounds.push_back({extent, 0});
        return SafeArrayCreate(element, static_cast<UINT>(bounds.size()), bounds.data());
    }

    VARIANT m_variant;
};
