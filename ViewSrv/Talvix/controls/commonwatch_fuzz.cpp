// Fuzz target of the locals tree as the symbol server's variable code drives it: the input
// is a run of IQelCommonWatch calls (item numbers the tree gave, or any others), locals
// answers of any shape, format commands, expansions and stops, on scripted variable
// objects. Afterwards every object must be back to the one reference its maker holds: a
// reference kept or dropped twice, a read past an answer's arrays or a crash is the fault
// looked for.
#include "localscontrol.h"
#include "talvixresources.h"
#include "watchtesting.h"

#include <tagtransfer.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

QEL_DEFINE_MODULE_RESOURCES(TalvixModuleResources())

namespace {

class Input {
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool More() const { return m_at < m_size; }
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    LONG Word()
    {
        DWORD value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | Byte();
        return static_cast<LONG>(value);
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

class Popup : public CWnd {
public:
    BOOL Make()
    {
        return CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, 0, 0, 240, 160, nullptr, nullptr);
    }
};

// An item number: one the tree gave out, or any number at all.
LONG PickItem(Input &input, const std::vector<LONG> &given)
{
    uint8_t choice = input.Byte();
    if (choice < 200 && !given.empty())
        return given[choice % given.size()];
    return choice < 230 ? 0 : input.Word();
}

// A locals answer with as many texts and numbers as the input says, in the transfer form
// or another one.
void MakeAnswer(Input &input, VARIANT *names, VARIANT *values)
{
    ULONG textEntries = input.Byte() % 6, numberEntries = input.Byte() % 6;
    ULONG textsPer = (input.Byte() % 4) + 1, numbersPer = (input.Byte() % 10) + 1;
    SAFEARRAYBOUND textBounds[2] = {{textsPer, 0}, {textEntries, 0}};
    SAFEARRAYBOUND numberBounds[2] = {{numbersPer, 0}, {numberEntries, 0}};
    SAFEARRAY *texts = SafeArrayCreate(VT_BSTR, 2, textBounds);
    SAFEARRAY *numbers = SafeArrayCreate(VT_I4, 2, numberBounds);
    if (texts != nullptr) {
        BSTR *slot = static_cast<BSTR *>(texts->pvData);
        for (ULONG i = 0; i < textsPer * textEntries; ++i) {
            char name[8] = {'v', static_cast<char>('a' + input.Byte() % 26), 0};
            slot[i] = CComBSTR(name).Detach();
        }
    }
    if (numbers != nullptr) {
        LONG *slot = static_cast<LONG *>(numbers->pvData);
        for (ULONG i = 0; i < numbersPer * numberEntries; ++i)
            slot[i] = input.Byte() % 8;
    }
    MakeTransferVariant(texts, names);
    MakeTransferVariant(numbers, values);
}

void Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input input(data, size);
    CComObject<CScriptedDebugServer> *server = nullptr;
    CComObject<CTreeForwarder> *forwarder = nullptr;
    CComObject<CScriptedDebugServer>::CreateInstance(&server);
    CComObject<CTreeForwarder>::CreateInstance(&forwarder);
    server->AddRef();
    forwarder->AddRef();
    Popup parent;
    parent.Make();
    {
        CLocalsControl tree;
        forwarder->tree = &tree;
        tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT, 0x00E00000, CRect(0, 0, 240, 160), &parent,
                    4711, nullptr);
        tree.SetRedraw(TRUE);
        tree.InitControl();
        tree.InitServer(static_cast<IOleCommandTarget *>(server), nullptr, static_cast<IQelCommonWatch *>(forwarder));
        IQelCommonWatch *watch = forwarder;
        std::vector<LONG> given;
        for (int step = 0; step < 64 && input.More(); ++step) {
            switch (input.Byte() % 10) {
            case 0: {
                LONG item = PickItem(input, given);
                LONG type = input.Byte();
                CComPtr<IQelCommVariableObj> variable = input.Byte() % 2 ? tree.NewVariableObject() : nullptr;
                if (watch->InsertItem(nullptr, type, input.Byte() % 2, variable, &item) == S_OK)
                    given.push_back(item);
                break;
            }
            case 1:
                watch->CalculateItem(PickItem(input, given), input.Byte() % 4, input.Byte(), input.Byte());
                break;
            case 2:
                watch->SetItemText(PickItem(input, given));
                break;
            case 3: {
                CComBSTR text;
                watch->GetItemText(PickItem(input, given), &text);
                break;
            }
            case 4:
                watch->DeleteItem(PickItem(input, given));
                break;
            case 5: {
                CComVariant out;
                LONG function = input.Byte() % 6;
                LONG argument = function == 2 || function == 4 ? PickItem(input, given) : input.Byte() % 8;
                CComPtr<IQelCommVariableObj> variable = input.Byte() % 3 == 0 ? tree.NewVariableObject() : nullptr;
                watch->InsertItemBatch(function, nullptr, input.Byte(), argument, variable, &out);
                if (V_VT(&out) == (VT_ARRAY | VT_I4))
                    for (LONG i = 0; i < static_cast<LONG>(V_ARRAY(&out)->rgsabound[0].cElements); ++i)
                        given.push_back(static_cast<LONG *>(V_ARRAY(&out)->pvData)[i]);
                break;
            }
            case 6: {
                VARIANT names{}, values{};
                MakeAnswer(input, &names, &values);
                tree.OnLocalsAnswer(names, values);
                FreeTransferVariant(&names);
                FreeTransferVariant(&values);
                break;
            }
            case 7:
                tree.SetContextItem(tree.ItemOfId(PickItem(input, given)));
                tree.SendMessage(WM_COMMAND, IDM_WATCH_FIRST_FORMAT + input.Byte() % 30, 0);
                break;
            case 8:
                tree.Expand(tree.ItemOfId(PickItem(input, given)), input.Byte() % 2 ? TVE_EXPAND : TVE_COLLAPSE);
                break;
            default:
                tree.OnTargetStateChange(input.Byte() % 4, input.Byte() % 4);
                break;
            }
            Pump();
        }
        QelPaintPending();
        tree.ReleaseServer();
        for (auto &variable : server->made)
            if (variable->m_dwRef != 1)
                std::abort();
        tree.DestroyWindow();
        tree.ExitControl();
    }
    parent.DestroyWindow();
    forwarder->Release();
    server->Release();
    return 0;
}
