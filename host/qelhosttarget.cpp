#include "qelhosttarget.h"

#include "hosttarget.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using QelHost::CHostTarget;
using QelHost::MemoryPort;
using QelHost::TargetPreset;

int Usage()
{
    std::fprintf(stderr, "usage: qelhost target FILE [--core CORE] [--preset arm|c16x|tricore] [--pc ADDR] "
                         "[ADDR LEN]...\n");
    return 2;
}

// A 32-bit number in decimal or with "0x" in hex, nothing else around it.
bool ParseNumber(const char *text, uint32_t *value)
{
    int base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
    }
    if (*text == '\0')
        return false;
    uint64_t number = 0;
    for (; *text != '\0'; ++text) {
        int digit;
        if (*text >= '0' && *text <= '9')
            digit = *text - '0';
        else if (base == 16 && *text >= 'a' && *text <= 'f')
            digit = *text - 'a' + 10;
        else if (base == 16 && *text >= 'A' && *text <= 'F')
            digit = *text - 'A' + 10;
        else
            return false;
        number = number * base + digit;
        if (number > UINT32_MAX)
            return false;
    }
    *value = static_cast<uint32_t>(number);
    return true;
}

bool ParsePreset(const char *text, TargetPreset *preset)
{
    const std::pair<const char *, TargetPreset> names[] = {
        {"arm", TargetPreset::Arm}, {"c16x", TargetPreset::C16x}, {"tricore", TargetPreset::TriCore}};
    for (const auto &[name, value] : names) {
        if (std::strcmp(text, name) == 0) {
            *preset = value;
            return true;
        }
    }
    return false;
}

void PrintRange(CHostTarget *target, uint32_t address, uint32_t length)
{
    uint64_t at = address;
    const uint64_t end = at + length;
    while (at < end) {
        std::printf("0x%08X:", static_cast<unsigned>(at));
        const uint64_t lineEnd = std::min(end, at + 16);
        for (; at < lineEnd; ++at) {
            BYTE byte = 0;
            if (target->ReadMemory(MemoryPort::Host, static_cast<DWORD>(at), 1, &byte))
                std::printf(" %02X", byte);
            else
                std::printf(" --");
        }
        std::printf("\n");
    }
}

} // namespace

int ShowTarget(int argc, char **argv)
{
    if (argc < 1)
        return Usage();
    const char *program = argv[0];
    const char *core = nullptr;
    bool presetGiven = false, pcGiven = false;
    TargetPreset preset = TargetPreset::Arm;
    uint32_t pc = 0;
    std::vector<std::pair<uint32_t, uint32_t>> ranges;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--core") == 0 && i + 1 < argc) {
            core = argv[++i];
        } else if (std::strcmp(argv[i], "--preset") == 0 && i + 1 < argc) {
            if (!ParsePreset(argv[++i], &preset))
                return Usage();
            presetGiven = true;
        } else if (std::strcmp(argv[i], "--pc") == 0 && i + 1 < argc) {
            if (!ParseNumber(argv[++i], &pc))
                return Usage();
            pcGiven = true;
        } else if (i + 1 < argc) {
            uint32_t address = 0, length = 0;
            if (!ParseNumber(argv[i], &address) || !ParseNumber(argv[i + 1], &length) ||
                uint64_t(address) + length > (uint64_t(1) << 32))
                return Usage();
            ranges.emplace_back(address, length);
            ++i;
        } else {
            return Usage();
        }
    }

    CComObject<CHostTarget> *made = nullptr;
    if (FAILED(CComObject<CHostTarget>::CreateInstance(&made))) {
        std::fprintf(stderr, "qelhost: the target cannot be made\n");
        return 1;
    }
    CComPtr<IQelTargetAccess> hold(made);
    CHostTarget *target = made;
    std::string reason;
    if (!target->LoadProgram(program, &reason)) {
        std::fprintf(stderr, "qelhost: %s\n", reason.c_str());
        return 1;
    }
    if (presetGiven)
        target->SetPreset(preset);
    if (core != nullptr && !target->LoadCore(core, &reason)) {
        std::fprintf(stderr, "qelhost: %s\n", reason.c_str());
        return 1;
    }
    if (pcGiven)
        target->SetPc(pc);

    const std::vector<std::string> names = target->RegisterNames();
    for (size_t id = 0; id < names.size(); ++id) {
        ULONG value = 0;
        target->RegisterValue(static_cast<LONG>(id), &value);
        std::printf("%s 0x%08X\n", names[id].c_str(), static_cast<unsigned>(value));
    }
    ULONG current = 0;
    if (target->GetPc(&current))
        std::printf("PC 0x%08X\n", static_cast<unsigned>(current));
    else
        std::printf("PC none\n");
    for (const auto &[address, length] : ranges)
        PrintRange(target, address, length);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
