// For the fuzz targets of Talvix's interfaces: the input read as bytes, words and texts,
// and VARIANTs of any type, dimensions and bounds made from it.
#pragma once

#include <afx.h>
#include <ole2.h>

#include <cstdint>
#include <cstring>

namespace {

class Input {
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    DWORD Word()
    {
        DWORD value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | Byte();
        return value;
    }
    CString Text()
    {
        size_t length = Byte() % 48;
        CString text;
        for (size_t i = 0; i < length; ++i)
            text += static_cast<char>(Byte());
        return text;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

const VARTYPE kElementTypes[] = {VT_BSTR, VT_I4, VT_UI4, VT_I2, VT_UI1, VT_VARIANT, VT_R8, VT_INT};

// A VARIANT as the input tells it: a plain value, or an array of up to two dimensions.
void MakeVariant(Input &input, VARIANT &v)
{
    VariantInit(&v);
    uint8_t kind = input.Byte();
    if (kind % 5 == 0) {
        V_VT(&v) = VT_I4;
        V_I4(&v) = static_cast<LONG>(input.Word());
        return;
    }
    VARTYPE element = kElementTypes[input.Byte() % (sizeof kElementTypes / sizeof kElementTypes[0])];
    UINT dims = 1 + kind % 2;
    SAFEARRAYBOUND bounds[2] = {{input.Byte() % 9u, static_cast<LONG>(input.Byte() % 3)}, {input.Byte() % 5u, 0}};
    SAFEARRAY *array = SafeArrayCreate(element, dims, bounds);
    if (array == nullptr)
        return;
    ULONG count = bounds[0].cElements * (dims == 2 ? bounds[1].cElements : 1);
    void *data = nullptr;
    if (count > 0 && SUCCEEDED(SafeArrayAccessData(array, &data))) {
        for (ULONG i = 0; i < count; ++i) {
            if (element == VT_BSTR)
                static_cast<BSTR *>(data)[i] = input.Text().AllocSysString();
            else if (element == VT_VARIANT)
                VariantInit(&static_cast<VARIANT *>(data)[i]);
            else
                std::memset(static_cast<BYTE *>(data) + i * SafeArrayGetElemsize(array), input.Byte(),
                            SafeArrayGetElemsize(array));
        }
        SafeArrayUnaccessData(array);
    }
    V_VT(&v) = static_cast<VARTYPE>(VT_ARRAY | element);
    V_ARRAY(&v) = array;
}

} // namespace
