#include "qelhostworkspace.h"

#include "hoststoragecopy.h"

#include <atlbase.h>

#include <cstdio>
#include <filesystem>

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
