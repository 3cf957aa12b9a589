#include "qelhostworkspace.h"

#include <atlbase.h>

#include <cstdio>
#include <filesystem>
#include <vector>

namespace QelHost {

namespace {

constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kMake = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

std::u16string Wide(const std::string &text)
{
    CComBSTR wide(text.c_str());
    return wide.m_str ? std::u16string(wide.m_str, wide.Length()) : std::u16string();
}

std::string Hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

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

// Every element of `from`, its storages with all they hold, into `to`.
HRESULT CopyStorage(IStorage *from, IStorage *to)
{
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

} // namespace

bool LoadWorkspace(const std::string &path, IStorage **root, std::string *error)
{
    *root = nullptr;
    CComPtr<IStorage> memory;
    HRESULT hr = StgCreateDocfile(nullptr, kMake, 0, &memory);
    if (FAILED(hr)) {
        *error = "no storage in memory (" + Hex(hr) + ")";
        return false;
    }
    std::error_code ignored;
    if (std::filesystem::exists(path, ignored)) {
        CComPtr<IStorage> file;
        hr = StgOpenStorage(Wide(path).c_str(), nullptr, kRead, nullptr, 0, &file);
        if (SUCCEEDED(hr))
            hr = CopyStorage(file, memory);
        if (FAILED(hr)) {
            *error = path + " is no workspace (" + Hex(hr) + ")";
            return false;
        }
    }
    *root = memory.Detach();
    return true;
}

bool SaveWorkspace(IStorage *root, const std::string &path, std::string *error)
{
    std::string beside = path + ".new";
    HRESULT hr = S_OK;
    {
        CComPtr<IStorage> file;
        hr = StgCreateDocfile(Wide(beside).c_str(), kMake, 0, &file);
        if (SUCCEEDED(hr))
            hr = CopyStorage(root, file);
        if (SUCCEEDED(hr))
            hr = file->Commit(STGC_DEFAULT);
    }
    std::error_code renamed;
    if (SUCCEEDED(hr))
        std::filesystem::rename(beside, path, renamed);
    if (FAILED(hr) || renamed) {
        std::error_code ignored;
        std::filesystem::remove(beside, ignored);
        *error = "the workspace " + path + " cannot be written (" +
                 (FAILED(hr) ? Hex(hr) : renamed.message()) + ")";
        return false;
    }
    return true;
}

} // namespace QelHost
