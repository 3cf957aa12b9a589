// Fuzz target of the symbol explorer's interface: SignalBreakpoints with the two VARIANTs
// that the input describes (any type, dimensions, bounds and contents, BSTRs of any bytes),
// then SignalLoadingPrgFile with the input's numbers, then every text the tree shows. The
// arrays stay the fuzzer's, which frees them afterwards: a double free or a read past an
// array is the fault looked for.
#include "symbolexplorer.h"
#include "talvixresources.h"
#include "variantfuzzinput.h"

#include <cstdint>
#include <cstring>
#include <vector>

QEL_DEFINE_MODULE_RESOURCES(TalvixModuleResources())

namespace {

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
