// Test inputs of the ELF reader: the sample ARM programs of testdata/elf, and helpers
// that damage a copy of one in a chosen place.
#pragma once

#include <testing/buildpaths.h>
#include <windows.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string ElfSamplePath(const char *name)
{
    return std::string(kQelSourceDir) + "/testdata/elf/" + name;
}

inline std::vector<BYTE> ReadElfSample(const char *name)
{
    std::ifstream in(ElfSamplePath(name), std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes a value of `size` bytes at `offset` in the byte order of the file's EI_DATA.
inline void PatchElf(std::vector<BYTE> &file, size_t offset, uint32_t value, int size)
{
    bool bigEndian = file[5] == 2;
    for (int i = 0; i < size; ++i) {
        int shift = bigEndian ? 8 * (size - 1 - i) : 8 * i;
        file[offset + i] = static_cast<BYTE>(value >> shift);
    }
}

// The place of field `fieldOffset` of section header `index`.
inline size_t ElfSectionField(const std::vector<BYTE> &file, unsigned index, unsigned fieldOffset)
{
    uint32_t shoff = file[5] == 2 ? (file[32] << 24 | file[33] << 16 | file[34] << 8 | file[35])
                                  : (file[35] << 24 | file[34] << 16 | file[33] << 8 | file[32]);
    return shoff + 40u * index + fieldOffset;
}

// A copy of a changed program file in a temporary file, removed with the object.
class DamagedElf {
public:
    explicit DamagedElf(const std::vector<BYTE> &file)
    {
        int fd = mkstemp(m_name);
        if (fd >= 0) {
            if (write(fd, file.data(), file.size()) != static_cast<ssize_t>(file.size()))
                m_name[0] = '\0';
            close(fd);
        }
    }
    ~DamagedElf() { remove(m_name); }
    const char *Name() const { return m_name; }

private:
    char m_name[32] = "/tmp/qeldamagedXXXXXX";
};
