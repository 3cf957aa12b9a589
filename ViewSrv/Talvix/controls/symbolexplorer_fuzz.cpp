// Fuzz target of the symbol explorer's interface: SignalBreakpoints with the two VARIANTs
// that the input describes (any type, dimensions, bounds and contents, BSTRs of any bytes),
// then SignalLoadingPrgFile with the input's numbers, then every text the tree shows. The
// arrays stay the fuzzer's, which frees them afterwards: a double free or a read past an
// array is the fault looked for.
#include "symbolexplorer.h"
#include "talvixresources.h"

#include <cstdint>
#include <cstring>
#include <vector>

QEL_DEFINE_MODULE_RESOURCES(TalvixModuleResources())

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

void ReadEveryText(HWND tree, HTREEITEM item)
{
    for (; item != nullptr; item = reinterpret_cast<HTREEITEM>(
                                SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        char text[16] = "";
        TVITEMA fields = {};
        fields.mask = TVIF_TEXT;
        fields.hItem = item;
        fields.pszText = text;
        fields.cchTextMax = sizeof text;
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&fields));
        if (std::memchr(text, 0, sizeof text) == nullptr)
            __builtin_trap();
        ReadEveryText(tree, reinterpret_cast<HTREEITEM>(
                                SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static HWND parent = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 200, 300, nullptr, nullptr, nullptr, nullptr);
    CComObject<CQelSymbolExplorer> *explorer = nullptr;
    if (FAILED(CComObject<CQelSymbolExplorer>::CreateInstance(&explorer)))
        return 0;
    CComPtr<IQelSymbolExplorer> hold(explorer);
    RECT rect{0, 0, 200, 300};
    if (explorer->CreateControlWindow(parent, rect) == nullptr)
        return 0;
    Input input(data, size);
    for (int call = 0; call < 3; ++call) {
        VARIANT names, values;
        MakeVariant(input, names);
        MakeVariant(input, values);
        explorer->SignalBreakpoints(names, values);
        VariantClear(&names);
        VariantClear(&values);
    }
    explorer->SignalLoadingPrgFile(static_cast<LONG>(input.Word()), static_cast<LONG>(input.Word()));
    ReadEveryText(explorer->GetTreeWindow(), reinterpret_cast<HTREEITEM>(
                                                 SendMessageA(explorer->GetTreeWindow(), TVM_GETNEXTITEM, TVGN_ROOT, 0)));
    explorer->DestroyWindow();
    return 0;
}
