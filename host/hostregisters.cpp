#include "hostregisters.h"

namespace QelHost {

namespace {

std::vector<std::string> Numbered(const char *prefix, int count)
{
    std::vector<std::string> names;
    for (int n = 0; n < count; ++n)
        names.push_back(prefix + std::to_string(n));
    return names;
}

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> names;
    for (const auto &part : parts)
        names.insert(names.end(), part.begin(), part.end());
    return names;
}

const std::vector<std::string> &PresetNames(TargetPreset preset)
{
    static const std::vector<std::string> arm = Joined({Numbered("R", 16), {"CPSR"}});
    static const std::vector<std::string> c16x = Joined(
        {Numbered("R", 16), Numbered("RL", 8), Numbered("RH", 8), Numbered("DPP", 4), {"CP", "SP", "PSW", "IP", "CSP"}});
    static const std::vector<std::string> tricore = Joined({Numbered("D", 16), Numbered("A", 16), {"PC"}});
    switch (preset) {
    case TargetPreset::C16x: return c16x;
    case TargetPreset::TriCore: return tricore;
    case TargetPreset::Arm: break;
    }
    return arm;
}

// Ids of the C16x registers that the program counter and the pointer forms use.
enum : LONG {
    kC16xFirstLow = 16,
    kC16xFirstHigh = 24,
    kC16xDpp0 = 32,
    kC16xIp = 39,
    kC16xCsp = 40,
};
constexpr LONG kArmPc = 15;
constexpr LONG kTriCorePc = 32;

} // namespace

HostRegisters::HostRegisters(TargetPreset preset) : m_preset(preset), m_values(PresetNames(preset).size(), 0) {}

const std::vector<std::string> &HostRegisters::Names() const
{
    return PresetNames(m_preset);
}

LONG HostRegisters::Find(const std::string &name) const
{
    const auto &names = Names();
    for (size_t id = 0; id < names.size(); ++id)
        if (names[id] == name)
            return static_cast<LONG>(id);
    return -1;
}

bool HostRegisters::Read(LONG id, ULONG *value) const
{
    if (id < 0 || static_cast<size_t>(id) >= m_values.size())
        return false;
    if (m_preset == TargetPreset::C16x && id >= kC16xFirstLow && id < kC16xDpp0) {
        bool high = id >= kC16xFirstHigh;
        ULONG word = Value(id - (high ? kC16xFirstHigh : kC16xFirstLow));
        *value = (high ? word >> 8 : word) & 0xFF;
        return true;
    }
    *value = Value(id);
    return true;
}

bool HostRegisters::Write(LONG id, ULONG value)
{
    if (id < 0 || static_cast<size_t>(id) >= m_values.size())
        return false;
    if (m_preset != TargetPreset::C16x) {
        m_values[static_cast<size_t>(id)] = value;
        return true;
    }
    if (id >= kC16xFirstLow && id < kC16xDpp0) {
        bool high = id >= kC16xFirstHigh;
        ULONG &word = m_values[static_cast<size_t>(id - (high ? kC16xFirstHigh : kC16xFirstLow))];
        word = high ? (word & 0x00FF) | ((value & 0xFF) << 8) : (word & 0xFF00) | (value & 0xFF);
        return true;
    }
    m_values[static_cast<size_t>(id)] = value & 0xFFFF;
    return true;
}

ULONG HostRegisters::Pc() const
{
    switch (m_preset) {
    case TargetPreset::C16x: return (Value(kC16xCsp) << 16) | Value(kC16xIp);
    case TargetPreset::TriCore: return Value(kTriCorePc);
    case TargetPreset::Arm: break;
    }
    return Value(kArmPc) & ~ULONG(1);
}

void HostRegisters::SetPc(ULONG pc)
{
    switch (m_preset) {
    case TargetPreset::C16x:
        Write(kC16xCsp, pc >> 16);
        Write(kC16xIp, pc);
        return;
    case TargetPreset::TriCore: Write(kTriCorePc, pc); return;
    case TargetPreset::Arm: Write(kArmPc, pc); return;
    }
}

bool HostRegisters::PointerToLinear(LONG kind, ULONG high, ULONG low, ULONG *linear) const
{
    if (kind < 0 || kind > 4)
        return false;
    if (m_preset != TargetPreset::C16x) {
        *linear = (high << 16) | (low & 0xFFFF);
        return true;
    }
    switch (kind) {
    case 0: // near data: the page of one of the four data page pointers
        *linear = (Value(kC16xDpp0 + static_cast<LONG>((low & 0xFFFF) >> 14)) << 14) | (low & 0x3FFF);
        return true;
    case 1: *linear = (high << 14) + (low & 0x3FFF); return true;
    case 3: *linear = (Value(kC16xCsp) << 16) | low; return true;
    default: *linear = (high << 16) | low; return true;
    }
}

} // namespace QelHost
