// Fuzz target of the symbol selection dialog's texts from outside: sub-group texts from
// arbitrary scope texts, and the enumeration list from the two VARIANTs that the input
// describes (any type, dimensions and bounds). The dialog works on copies, so the
// fuzzer's own arrays must come back intact and be freed once, by the fuzzer.
#include "selectdialogresources.h"
#include "symbolselectdialog.h"
#include "talvixresources.h"
#include "variantfuzzinput.h"

QEL_DEFINE_MODULE_RESOURCES(TalvixModuleResources())

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input input(data, size);
    CString scope = input.Text();
    CQelSymbolSelectDialog::SubGroupText(scope, false);
    CQelSymbolSelectDialog::SubGroupText(scope, true);

    VARIANT names, values;
    MakeVariant(input, names);
    MakeVariant(input, values);
    {
        CQelSymbolSelectDialog dialog(nullptr);
        dialog.SetMode(ENUMERATION_LISTER);
        dialog.SetInitialValues(names, values);
        if (dialog.Create(IDD_SYMBOL_SELECT, nullptr)) {
            dialog.SendMessage(WM_KICKIDLE, 0, 0);
            dialog.SendMessage(WM_COMMAND, IDOK, 0);
            dialog.DestroyWindow();
        }
    }
    VariantClear(&names);
    VariantClear(&values);
    return 0;
}
