#include "stgtext.h"

#include <new>
#include <vector>

CStgName::CStgName(LPCSTR name) : m_null(name == nullptr)
{
    if (m_null)
        return;
    int count = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
    if (count <= 1)
        return;
    m_name.resize(static_cast<size_t>(count));
    MultiByteToWideChar(CP_ACP, 0, name, -1, m_name.data(), count);
    m_name.resize(static_cast<size_t>(count - 1));
}

HRESULT QelStgReadText(IStream *stream, int size, CString *out)
{
    if (stream == nullptr || out == nullptr)
        return E_POINTER;
    if (size < 1)
        return E_INVALIDARG;
    try {
        // One character less than the buffer holds: the platform's reader read `size`
        // characters and put the terminator behind them, one byte past the buffer.
        std::vector<OLECHAR> wide(static_cast<size_t>(size - 1) + 1);
        ULONG got = 0;
        HRESULT hr = stream->Read(wide.data(), static_cast<ULONG>(size - 1) * sizeof(OLECHAR), &got);
        if (FAILED(hr))
            return hr;
        size_t count = got / sizeof(OLECHAR);
        if (count == 0)
            return S_FALSE;
        size_t length = 0;
        while (length < count && wide[length] != 0)
            length++;
        wide[length] = 0;
        *out = wide.data();
        return S_OK;
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
}

HRESULT QelStgWriteText(IStream *stream, LPCSTR text, DWORD flags)
{
    if (stream == nullptr || text == nullptr)
        return E_POINTER;
    int count = MultiByteToWideChar(CP_ACP, flags, text, -1, nullptr, 0);
    if (count <= 0)
        return E_INVALIDARG;
    try {
        std::vector<OLECHAR> wide(static_cast<size_t>(count));
        MultiByteToWideChar(CP_ACP, flags, text, -1, wide.data(), count);
        ULONG bytes = static_cast<ULONG>(count) * sizeof(OLECHAR);
        ULONG written = 0;
        HRESULT hr = stream->Write(wide.data(), bytes, &written);
        if (FAILED(hr))
            return hr;
        return written == bytes ? S_OK : STG_E_MEDIUMFULL;
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
}
