// The canonical frame address of a function from a ".debug_frame" as gcc writes it for
// ARM: the CIE's rule at the entry, then the FDE's advances; what this reader cannot read
// gives no rules rather than wrong ones.
#include "dwarfcallframes.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

typedef std::vector<std::tuple<DWORD, DWORD, DWORD, LONG>> Rules; // begin, end, register, offset

Rules Read(const std::vector<BYTE> &frames, DWORD low, DWORD high)
{
    Rules rules;
    for (const DwarfCfaRule &rule : ReadDwarfCfaRules(frames.data(), frames.size(), false, 4, low, high))
        rules.emplace_back(rule.begin, rule.end, rule.registerNumber, rule.offset);
    return rules;
}

// CIE: version 1, no augmentation, code alignment 2, data alignment -4, return address
// r14, CFA = r13 + 0. FDE for 0x1000..0x1020: push (CFA r13 + 8), then r7 as frame pointer.
std::vector<BYTE> Frames(BYTE augmentation = 0)
{
    return {0x0c, 0, 0, 0, 0xff, 0xff, 0xff, 0xff, 1, augmentation, 2, 0x7c, 0x0e, 0x0c, 0x0d, 0x00,
            0x14, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x10, 0, 0, 0x20, 0, 0, 0,
            0x41, 0x0e, 0x08, 0x42, 0x0d, 0x07, 0x00, 0x00};
}

TEST(DwarfCallFrames, TheRulesOfTheFunctionsPiecesFollowItsPrologue)
{
    EXPECT_EQ(Read(Frames(), 0x1000, 0x1020),
              (Rules{{0x1000, 0x1002, 13, 0}, {0x1002, 0x1006, 13, 8}, {0x1006, 0x1020, 7, 8}}));
    EXPECT_EQ(Read(Frames(), 0x1004, 0x1010), (Rules{{0x1004, 0x1006, 13, 8}, {0x1006, 0x1010, 7, 8}}));
    EXPECT_EQ(Read(Frames(), 0x2000, 0x2010), Rules{});
    // An augmented CIE ("z...") has data this reader cannot interpret.
    std::vector<BYTE> augmented = Frames('z');
    augmented.insert(augmented.begin() + 10, 0);
    augmented[0] = 0x0d;
    EXPECT_EQ(Read(augmented, 0x1000, 0x1020), Rules{});
    // Cut anywhere, the table gives its rules whole or none, and never reads past its end.
    const std::vector<BYTE> whole = Frames();
    for (size_t size = 0; size < whole.size(); ++size) {
        const std::vector<BYTE> cut(whole.begin(), whole.begin() + size);
        EXPECT_EQ(Read(cut, 0x1000, 0x1020), Rules{}) << size;
    }
}

} // namespace
