// Hands arbitrary VARIANT arguments, most of them arrays near the shapes the methods
// take, to a communication variable object in an arbitrary order: CreateVariable,
// AddMembers, SetRegisterMap, SetLifetimes, GetDisplayFormats, with refreshes, expansion
// and item strings in between, on the host's simulated target and recording tree. What
// callers rely on: no crash, no read outside an array, no leak, and an answer for every
// call.
#include "commvariableobj.h"

#include <debugserver.h>
#include <hostwatchtree.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr DWORD kRam = 0x20000000;

class Input {
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_at >= m_size; }
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    LONG Long()
    {
        DWORD value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | Byte();
        return static_cast<LONG>(value);
    }
    // Small numbers, places in the target's memory and anything.
    LONG Number()
    {
        uint8_t kind = Byte();
        if (kind < 96)
            return kind % 24;
        if (kind < 160)
            return static_cast<LONG>(kRam + Byte() * 4u);
        return Long();
    }
    std::string Text()
    {
        static const char alphabet[] = "ab%sdx[]*.-> 0";
        std::string text;
        for (int n = Byte() % 6; n > 0; --n)
            text += alphabet[Byte() % (sizeof alphabet - 1)];
        return text;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

// The arguments of one run: arrays are destroyed at its end, in whichever form they went.
class Arguments {
public:
    ~Arguments()
    {
        for (SAFEARRAY *array : m_arrays)
            SafeArrayDestroy(array);
    }

    // An argument near the shape (`perEntry`, entries) of `element` (perEntry 0: one
    // dimension), or something else.
    VARIANT Make(Input &in, VARTYPE element, ULONG perEntry)
    {
        VARIANT v;
        VariantInit(&v);
        uint8_t kind = in.Byte() % 16;
        if (kind == 0)
            return v;
        if (kind == 1) {
            v.vt = VT_I4;
            v.lVal = in.Long();
            return v;
        }
        if (kind == 2)
            element = element == VT_I4 ? VT_BSTR : VT_I4;
        std::vector<SAFEARRAYBOUND> bounds;
        if (kind < 12) {
            if (perEntry != 0)
                bounds.push_back({perEntry, 0});
            bounds.push_back({in.Byte() % 8u, 0});
        } else {
            for (int d = 1 + in.Byte() % 3; d > 0; --d)
                bounds.push_back({in.Byte() % 10u, in.Byte() % 5 == 0 ? static_cast<LONG>(in.Byte() % 3) : 0});
        }
        SAFEARRAY *array = SafeArrayCreate(element, static_cast<UINT>(bounds.size()), bounds.data());
        if (array == nullptr)
            return v;
        m_arrays.push_back(array);
        void *data = nullptr;
        SafeArrayAccessData(array, &data);
        ULONG count = 1;
        for (const SAFEARRAYBOUND &bound : bounds)
            count *= bound.cElements;
        for (ULONG i = 0; i < count; ++i) {
            if (element == VT_BSTR) {
                std::string text = in.Text();
                std::u16string wide(text.begin(), text.end());
                static_cast<BSTR *>(data)[i] = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
            } else {
                static_cast<LONG *>(data)[i] = in.Number();
            }
        }
        SafeArrayUnaccessData(array);
        v.vt = static_cast<VARTYPE>(VT_ARRAY | element | (in.Byte() % 3 == 0 ? VT_BYREF : 0));
        v.parray = array;
        return v;
    }

private:
    std::vector<SAFEARRAY *> m_arrays;
};

struct Host {
    CComPtr<IUnknown> owner;
    Host()
    {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        QelHost::CreateDebugServer(QelHost::ControllerConfig(), &owner);
        auto *host = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(owner.p));
        host->Target()->SetPreset(QelHost::TargetPreset::Arm);
        host->Target()->MapMemory(kRam, 0x400);
        for (DWORD at = 0; at < 0x400; at += 4) {
            DWORD word = at * 0x9E3779B1u;
            host->Target()->WriteMemory(QelHost::MemoryPort::Host, kRam + at, 4, reinterpret_cast<BYTE *>(&word));
        }
        host->Target()->SetPc(0x100);
    }
};

LONG AnyItem(Input &in, QelHost::CHostWatchTree *tree)
{
    const auto items = tree->Items();
    size_t pick = in.Byte() % (items.size() + 2);
    if (pick == 0)
        return 0;
    if (pick > items.size())
        return in.Long();
    auto at = items.begin();
    std::advance(at, pick - 1);
    return at->first;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Host host;
    // The debug server records every command; each input starts a new record.
    static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host.owner.p))
        ->SetCommands(std::make_shared<QelHost::HostCommands>());
    Input in(data, size);
    Arguments arguments;
    CComObject<QelHost::CHostWatchTree> *made = nullptr;
    CComObject<QelHost::CHostWatchTree>::CreateInstance(&made);
    CComPtr<QelHost::CHostWatchTree> tree(made);
    {
        CComPtr<IUnknown> unknown;
        CreateCommVariableObject(&unknown);
        CComQIPtr<IQelCommVariableObj> object(unknown);
        CComQIPtr<IQelUniCommStub> stub(unknown);
        stub->SetOwner(host.owner);
        for (int steps = 0; !in.Empty() && steps < 64; ++steps) {
            switch (in.Byte() % 8) {
            case 0: {
                VARIANT names = arguments.Make(in, VT_BSTR, 3), values = arguments.Make(in, VT_I4, 9);
                object->CreateVariable(in.Byte() % 4, names, values, tree, 0);
                break;
            }
            case 1: {
                VARIANT names = arguments.Make(in, VT_BSTR, 2), values = arguments.Make(in, VT_I4, 6);
                object->AddMembers(AnyItem(in, tree), names, values);
                break;
            }
            case 2: {
                VARIANT numbers = arguments.Make(in, VT_I4, 0), names = arguments.Make(in, VT_BSTR, 0);
                object->SetRegisterMap(numbers, names);
                break;
            }
            case 3: {
                // Lifetimes name their entries first: (entries, 6).
                VARIANT numbers = arguments.Make(in, VT_I4, 0);
                object->SetLifetimes(numbers);
                break;
            }
            case 4: {
                CComVariant names, values;
                object->GetDisplayFormats(AnyItem(in, tree), &names, &values);
                break;
            }
            case 5:
                stub->Refresh(in.Byte() & 1);
                object->UpdateItemText(0);
                tree->RunPending();
                break;
            case 6:
                object->SetExpanded(AnyItem(in, tree), 1);
                object->SetDisplayFormat(AnyItem(in, tree), in.Byte() % 5);
                break;
            default: {
                const LONG item = AnyItem(in, tree);
                for (LONG code : {0, 1, 10, 100, 101, 102}) {
                    CComBSTR text;
                    object->GetItemString(item, code, &text);
                }
                LONG state = 0;
                object->GetDisplayState(item, &state);
                break;
            }
            }
        }
    }
    for (LONG root : tree->Children(0))
        tree->DeleteItem(root);
    return 0;
}
