#include "tararchconverter.h"

#include "programinfointerfaces.h"

#include <atlbase.h>
#include <qelsymbol.h>

#include <cstring>

namespace {

// Exchanges the 16-bit units of `value` end for end, keeping the bytes inside each unit.
// The bytes are moved through a buffer: a swapped value may be no valid number of the
// type, and reading another type's object in place would be undefined.
template <class Number>
Number ReverseWords(const Number *value)
{
    static_assert(sizeof(Number) % 2 == 0);
    unsigned char in[sizeof(Number)];
    unsigned char out[sizeof(Number)];
    std::memcpy(in, value, sizeof(Number));
    for (size_t word = 0; word < sizeof(Number) / 2; ++word) {
        size_t from = sizeof(Number) - 2 * (word + 1);
        out[2 * word] = in[from];
        out[2 * word + 1] = in[from + 1];
    }
    Number result;
    std::memcpy(&result, out, sizeof(Number));
    return result;
}

} // namespace

CTarArchConverter::CTarArchConverter(IUnknown *pSymbolServer, int nProgramId)
    : m_pSymbolServer(nullptr), m_InfoType(IID_IProgramInfo)
{
    Attach(pSymbolServer, nProgramId);
}

BOOL CTarArchConverter::Attach(IUnknown *pSymbolServer, int nProgramId)
{
    m_pSymbolServer = pSymbolServer;
    if (pSymbolServer == nullptr) {
        // A converter moved off its server must not go on swapping for the program it
        // described before.
        m_InfoType = IID_IProgramInfo;
        return FALSE;
    }
    QueryArchitecture(nProgramId);
    return TRUE;
}

void CTarArchConverter::QueryArchitecture(int nProgramId)
{
    m_InfoType = IID_IProgramInfo;
    if (m_pSymbolServer == nullptr)
        return;
    CComPtr<IQelSymbol2> programs;
    if (FAILED(m_pSymbolServer->QueryInterface(IID_IQelSymbol2, reinterpret_cast<void **>(&programs))))
        return;
    LONG count = 0;
    if (FAILED(programs->GetProgramCount(&count)) || count == 0)
        return;
    CComPtr<IUnknown> object;
    if (FAILED(programs->GetProgramInfoById(nProgramId == -1 ? 1 : nProgramId, &object)) || object == nullptr)
        return;
    CComPtr<IProgramInfo> info;
    if (FAILED(object->QueryInterface(IID_IProgramInfo, reinterpret_cast<void **>(&info))))
        return;
    GUID type;
    if (SUCCEEDED(info->GetInfoTypeGuid(&type)))
        m_InfoType = type;
}

BOOL CTarArchConverter::IsSwappedWordOrder() const
{
    return m_InfoType == IID_ITaskingC16xInfo;
}

float CTarArchConverter::ConvertFloat(const float *pValue) const
{
    return IsSwappedWordOrder() ? ReverseWords(pValue) : *pValue;
}

double CTarArchConverter::ConvertDouble(const double *pValue) const
{
    return IsSwappedWordOrder() ? ReverseWords(pValue) : *pValue;
}
