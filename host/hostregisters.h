// The registers of the simulated target, by preset: the register file of the controller
// family, the place of its program counter and its pointer forms. A register's host id
// is its index in the preset's list; its name is the one the register maps give it.
//
// Not locked: its owner (CHostTarget) holds its lock around every call.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace QelHost {

enum class TargetPreset { Arm, C16x, TriCore };

class HostRegisters {
public:
    explicit HostRegisters(TargetPreset preset = TargetPreset::Arm);

    TargetPreset Preset() const { return m_preset; }
    // The names in host-id order.
    const std::vector<std::string> &Names() const;
    // The id of a name, -1 when the preset has none of that name.
    LONG Find(const std::string &name) const;
    // FALSE for an id the preset does not have. A write keeps as many bits as the
    // register has; a byte register of the C16x is the low or high byte of its word
    // register.
    bool Read(LONG id, ULONG *value) const;
    bool Write(LONG id, ULONG value);

    // The program counter as the preset keeps it: R15 with bit 0 clear (ARM),
    // (CSP << 16) | IP (C16x), PC (TriCore).
    ULONG Pc() const;
    void SetPc(ULONG pc);

    // The linear address of a pointer of `kind` made of `high` and `low`; FALSE for a
    // kind the preset does not know.
    bool PointerToLinear(LONG kind, ULONG high, ULONG low, ULONG *linear) const;

private:
    ULONG Value(LONG id) const { return m_values[static_cast<size_t>(id)]; }

    TargetPreset m_preset;
    std::vector<ULONG> m_values; // by id; the C16x byte registers' entries stay unused
};

} // namespace QelHost
