// What the receiver of a command owes when the sender hands its values over (options bit
// 31 or 30; variantarray.h gives the convention): once the command has succeeded, the
// receiver owns the input and the output's first contents, so it frees the input and
// every first content of the output that it did not give back. A command that fails
// leaves everything with the sender.
#pragma once

#include <afx.h>

#include <vector>

class CCommandHandOver {
public:
    // Notes the first contents of `out` (NULL: none) before the command runs.
    CCommandHandOver(DWORD options, const VARIANT *out);
    CCommandHandOver(const CCommandHandOver &) = delete;
    CCommandHandOver &operator=(const CCommandHandOver &) = delete;

    static BOOL IsHandOver(DWORD options);

    // After the results have been written into `out`: frees what the receiver owns when
    // the values were handed over and `hr` is a success.
    void Settle(HRESULT hr, VARIANT *in, const VARIANT *out);

private:
    BOOL m_bHandOver;
    std::vector<VARIANT> m_firstContents; // bitwise copies, freed only by Settle
};
