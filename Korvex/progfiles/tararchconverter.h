// CTarArchConverter: floating-point values between the loaded program's memory order and
// the host's.
//
// The Tasking C16x compiler lays a float or a double into target memory with its 16-bit
// words in the opposite order; every other compiler's values read as they stand. The
// converter learns which compiler built the program from the type of the program's
// information object, which the symbol server hands out through IQelSymbol2. It only looks
// at the compiler family, never at the target itself.
#pragma once

#include <ole2.h>

class CTarArchConverter {
public:
    // Attaches to `pSymbolServer` at once (see Attach).
    CTarArchConverter(IUnknown *pSymbolServer, int nProgramId);

    // Keeps `pSymbolServer`, without a reference of its own (the caller keeps the server
    // alive while it uses the converter), and learns the architecture of program
    // `nProgramId` from it; FALSE for no server, which leaves values as they stand.
    BOOL Attach(IUnknown *pSymbolServer, int nProgramId);
    // Asks the server for the information type of program `nProgramId` (-1 stands for 1).
    // A server without IQelSymbol2, without programs or without that program leaves the
    // type of a program whose values need no conversion.
    void QueryArchitecture(int nProgramId);

    // TRUE when the program is a Tasking C16x program.
    BOOL IsSwappedWordOrder() const;

    // The value with its two 16-bit halves exchanged for a Tasking C16x program, else as
    // it stands; its own inverse, so the one call serves reading and writing.
    float ConvertFloat(const float *pValue) const;
    // The value with the order of its four 16-bit units reversed for a Tasking C16x
    // program, else as it stands; its own inverse as well.
    double ConvertDouble(const double *pValue) const;

private:
    IUnknown *m_pSymbolServer; // not counted
    GUID m_InfoType;           // the program's GetInfoTypeGuid answer
};
