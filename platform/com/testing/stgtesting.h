// Small helpers for tests of structured storage.
#pragma once

#include "ole2.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

constexpr DWORD kStgOpenRW = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kStgOpenRead = STGM_READ | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kStgCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

// A root storage that lives in memory.
inline IStorage *NewMemoryStorage()
{
    IStorage *root = nullptr;
    EXPECT_EQ(StgCreateDocfile(nullptr, kStgCreate, 0, &root), S_OK);
    return root;
}

inline void WriteStream(IStorage *storage, const char16_t *name, const std::string &bytes)
{
    IStream *stream = nullptr;
    ASSERT_EQ(storage->CreateStream(name, kStgCreate, 0, 0, &stream), S_OK);
    ULONG written = 0;
    EXPECT_EQ(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), S_OK);
    EXPECT_EQ(written, bytes.size());
    stream->Release();
}

// The whole stream, read from its start; "<missing>" when it cannot be opened.
inline std::string ReadStream(IStorage *storage, const char16_t *name)
{
    IStream *stream = nullptr;
    if (storage->OpenStream(name, nullptr, kStgOpenRead, 0, &stream) != S_OK)
        return "<missing>";
    std::string bytes;
    char buffer[256];
    ULONG got = 0;
    while (stream->Read(buffer, sizeof buffer, &got) == S_OK && got > 0)
        bytes.append(buffer, got);
    stream->Release();
    return bytes;
}

// The names of the elements, in enumeration order, with 'd' before storages.
inline std::vector<std::u16string> ElementNames(IStorage *storage)
{
    std::vector<std::u16string> names;
    IEnumSTATSTG *elements = nullptr;
    if (storage->EnumElements(0, nullptr, 0, &elements) != S_OK)
        return names;
    STATSTG stat;
    while (elements->Next(1, &stat, nullptr) == S_OK) {
        names.push_back((stat.type == STGTY_STORAGE ? u"d" : u"") + std::u16string(stat.pwcsName));
        CoTaskMemFree(stat.pwcsName);
    }
    elements->Release();
    return names;
}
