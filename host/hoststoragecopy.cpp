#include "hoststoragecopy.h"

#include <atlbase.h>

#include <string>
#include <vector>

namespace QelHost {

namespace {

constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kMake = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

HRESULT CopyStream(IStorage *from, IStorage *to, const OLECHAR *name)
{
    CComPtr<IStream> source, target;
    HRESULT hr = from->OpenStream(name, nullptr, kRead, 0, &source);
    if (SUCCEEDED(hr))
        hr = to->CreateStream(name, kMake, 0, 0, &target);
    std::vector<char> buffer(65536);
    while (SUCCEEDED(hr)) {
        ULONG got = 0, written = 0;
        hr = source->Read(buffer.data(), static_cast<ULONG>(buffer.size()), &got);
        if (FAILED(hr) || got == 0)
            break;
        hr = target->Write(buffer.data(), got, &written);
        if (SUCCEEDED(hr) && written != got)
            hr = STG_E_MEDIUMFULL;
    }
    return FAILED(hr) ? hr : S_OK;
}

} // namespace

HRESULT CopyStorage(IStorage *from, IStorage *to)
{
    if (from == nullptr || to == nullptr)
        return E_POINTER;
    CComPtr<IEnumSTATSTG> elements;
    HRESULT hr = from->EnumElements(0, nullptr, 0, &elements);
    STATSTG stat;
    while (SUCCEEDED(hr) && elements->Next(1, &stat, nullptr) == S_OK) {
        std::u16string name = stat.pwcsName;
        CoTaskMemFree(stat.pwcsName);
        if (stat.type == STGTY_STREAM) {
            hr = CopyStream(from, to, name.c_str());
            continue;
        }
        CComPtr<IStorage> source, target;
        hr = from->OpenStorage(name.c_str(), nullptr, kRead, nullptr, 0, &source);
        if (SUCCEEDED(hr))
            hr = to->CreateStorage(name.c_str(), kMake, 0, 0, &target);
        if (SUCCEEDED(hr))
            hr = CopyStorage(source, target);
    }
    return hr;
}

} // namespace QelHost
