#include "qelhostsfr.h"

#include "hostreports.h"
#include "qelhostsession.h"

#include <controllerinfoholder.h>
#include <qelsymbol.h>
#include <sfrlists.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct AddressLookup {
    ULONG value;
    LONG bit; // -1: the register's name, else the name of the bit
    LONG space;
};

struct SfrOptions {
    const char *controller = nullptr;
    const char *directory = nullptr;
    std::vector<AddressLookup> lookups;
};

bool ParseNumber(const char *text, ULONG &value)
{
    char *end = nullptr;
    errno = 0;
    unsigned long long number = std::strtoull(text, &end, 0);
    if (*text == '\0' || *text == '-' || *end != '\0' || errno != 0 || number > 0xFFFFFFFFull)
        return false;
    value = static_cast<ULONG>(number);
    return true;
}

bool ParseOptions(int argc, char **argv, SfrOptions &options)
{
    options.controller = argv[0];
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        ULONG value = 0, bit = 0, space = 0;
        if (option == "--controller-directory" && i + 1 < argc) {
            options.directory = argv[++i];
        } else if (option == "--address" && i + 2 < argc && ParseNumber(argv[i + 1], value) &&
                   ParseNumber(argv[i + 2], space)) {
            options.lookups.push_back({value, -1, static_cast<LONG>(space)});
            i += 2;
        } else if (option == "--bit" && i + 3 < argc && ParseNumber(argv[i + 1], value) &&
                   ParseNumber(argv[i + 2], bit) && bit < 32 && ParseNumber(argv[i + 3], space)) {
            options.lookups.push_back({value, static_cast<LONG>(bit), static_cast<LONG>(space)});
            i += 3;
        } else {
            return false;
        }
    }
    return true;
}

bool SetControllerDirectory(const char *directory)
{
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Controller Database", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr);
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(directory),
                                static_cast<DWORD>(std::strlen(directory) + 1));
        RegCloseKey(key);
    }
    if (result != ERROR_SUCCESS)
        std::fprintf(stderr, "qelhost: the controller directory cannot be set (%ld)\n", static_cast<long>(result));
    return result == ERROR_SUCCESS;
}

// Tabs and line ends inside a text would break the line format.
std::string Cell(LPCSTR text)
{
    std::string cell = text != nullptr ? text : "";
    for (char &c : cell) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return cell;
}

ULONG ListHandle(IQelControllerInfo *controller, const char *name)
{
    ULONG handle = 0xFFFFFFFF;
    controller->SFRegisterAddress(CComBSTR(name), &handle);
    return handle;
}

// The derivative whose database the engine read, from its tables.
void PrintDerivative(IQelControllerInfo *controller)
{
    CSfrDerivativeReference derivative(ListHandle(controller, "_QUICK_HACK_DERIVATIVE_"));
    if (!!derivative)
        std::printf("derivative\t%s\t%s\n", Cell(derivative->Name).c_str(), Cell(derivative->DatabasePath).c_str());
}

void PrintRegisters(IQelControllerInfo *controller)
{
    CSfrRegisterListReference registers(ListHandle(controller, "_QUICK_HACK_ALL_"));
    CSfrBlockListReference blocks(ListHandle(controller, "_QUICK_HACK_BLOCKS_"));
    std::printf("count\tregisters\t%d\ncount\tblocks\t%d\n", !registers ? 0 : registers->GetSize(),
                !blocks ? 0 : blocks->GetSize());
    for (int i = 0; !registers == false && i < registers->GetSize(); ++i) {
        const _SpecialFunctionRegisterTag &entry = (*registers.Get())[i];
        std::printf("register\t%s\t%u\t%u\t0x%X\t0x%X\t0x%X\t%s\t%s\t%u\t%u\t%s\n", Cell(entry.Name).c_str(),
                    entry.Type, entry.Width, entry.NamedBitMask, entry.ReadOnlyMask, entry.HWModBitMask,
                    Cell(entry.ResetValue).c_str(), Cell(entry.Manual).c_str(), entry.Page, entry.SFRBlockIndex,
                    Cell(entry.Description).c_str());
        for (int a = 0; a < entry.Addresses.GetSize(); ++a)
            std::printf("address\t%u\t0x%X\n", entry.Addresses[a].AddressMode, entry.Addresses[a].AddressValue);
        for (int f = 0; f < entry.Fields.GetSize(); ++f) {
            const SpecialFunctionRegisterFieldTag &field = entry.Fields[f];
            std::printf("field\t%s\t%u\t%u\t%s\n", Cell(field.Name).c_str(), field.Offset, field.Width,
                        Cell(field.Description).c_str());
            for (int v = 0; v < field.Values.GetSize(); ++v)
                std::printf("value\t%s\t%u\n", Cell(field.Values[v].Name).c_str(), field.Values[v].Value);
        }
    }
    for (int i = 0; !blocks == false && i < blocks->GetSize(); ++i) {
        const _SpecialFunctionRegisterBlockTag &block = (*blocks.Get())[i];
        std::printf("block\t%u\t%s\t%s\n", block.SFRBlockIndex, Cell(block.Name).c_str(),
                    Cell(block.Description).c_str());
    }
}

void PrintLookups(IQelControllerInfo *controller, const SfrOptions &options)
{
    for (LONG index = 0; index < 8; ++index) {
        ULONG start = 0, end = 0;
        if (SUCCEEDED(controller->SFRegisterRR(index, &start, &end)))
            std::printf("area\t%ld\t0x%X\t0x%X\n", static_cast<long>(index), start, end);
    }
    CComVariant list;
    if (SUCCEEDED(controller->CreateICRegisterList(&list)) && list.vt == (VT_ARRAY | VT_UI4)) {
        const ULONG *words = static_cast<const ULONG *>(list.parray->pvData);
        for (ULONG i = 0; i + 2 < list.parray->rgsabound[0].cElements; i += 3)
            std::printf("interrupt\t0x%X\t0x%X\t0x%X\n", words[i], words[i + 1], words[i + 2]);
    }
    for (const AddressLookup &lookup : options.lookups) {
        CComBSTR name;
        HRESULT hr = lookup.bit < 0 ? controller->SFRegisterName(lookup.value, lookup.space, &name)
                                    : controller->SFRegisterBit(lookup.value, lookup.bit, lookup.space, &name);
        const std::string text = hr == S_OK ? Cell(CString(name)) : "-";
        if (lookup.bit < 0)
            std::printf("lookup\t0x%X\t%ld\t%s\n", lookup.value, static_cast<long>(lookup.space), text.c_str());
        else
            std::printf("lookup\t0x%X\t%ld\t%ld\t%s\n", lookup.value, static_cast<long>(lookup.bit),
                        static_cast<long>(lookup.space), text.c_str());
    }
}

int Run(const SfrOptions &options)
{
    QelHost::Debugger debugger{"QelSymbol", nullptr, nullptr};
    // The engine's diagnostics (a database it skipped, a value it could not read) go to
    // standard error, as those of a load do.
    auto reports = std::make_shared<QelHost::HostReports>();
    reports->SetEcho(stderr);
    if (!QelHost::MakeDebugger(CLSID_QelSymbol, debugger, reports))
        return 1;
    CComPtr<IStorage> workspace;
    CComObject<QelHost::CHostGuiServer> *gui = nullptr;
    CComPtr<IUnknown> guiServer;
    if (SUCCEEDED(StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &workspace)) &&
        SUCCEEDED(CComObject<QelHost::CHostGuiServer>::CreateInstance(&gui)))
        guiServer = gui;
    int result = 1;
    if (guiServer == nullptr || !QelHost::InitDebugger(debugger, workspace, guiServer)) {
        std::fprintf(stderr, "qelhost: the symbol server did not start\n");
    } else {
        CControllerInfoHolder controller;
        controller = debugger.debugServer;
        HRESULT hr = !controller ? E_NOINTERFACE : controller->LoadSFRegisters(CComBSTR(options.controller));
        std::printf("load\t0x%08X\t%s\n", static_cast<unsigned>(hr), Cell(options.controller).c_str());
        if (!!controller) {
            PrintDerivative(controller);
            PrintRegisters(controller);
            PrintLookups(controller, options);
        }
        result = hr == S_OK ? 0 : 1;
    }
    QelHost::EndDebugger(debugger);
    return result;
}

} // namespace

int ShowControllerRegisters(int argc, char **argv)
{
    SfrOptions options;
    if (argc < 1 || !ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: qelhost sfr NAME|PATH [--controller-directory DIR] [--address VALUE SPACE] "
                             "[--bit VALUE BIT SPACE]\n");
        return 2;
    }
    if (options.directory != nullptr && !SetControllerDirectory(options.directory))
        return 1;
    return QelHost::RunWithKorvex([&] { return Run(options); });
}
