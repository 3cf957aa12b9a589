// The sample ARM programs of testdata/elf and the values that binutils read from them
// (testdata/elf/expect.py), for the tests of the ELF and DWARF decoding.
#pragma once

#include "elfimage.h"

#include <testing/buildpaths.h>

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace DwarfTesting {

inline std::string SamplePath(const std::string &name)
{
    return std::string(kQelSourceDir) + "/testdata/elf/" + name;
}

inline std::vector<BYTE> ReadFileBytes(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// One line of the expected values, split at its tabs.
using ExpectedLine = std::vector<std::string>;

// The expected lines of a sample whose first field is one of `kinds`, in file order.
inline std::vector<ExpectedLine> Expected(const std::string &sample, std::initializer_list<std::string> kinds)
{
    std::ifstream file(SamplePath(sample + ".expect"));
    std::vector<ExpectedLine> lines;
    std::string line;
    while (std::getline(file, line)) {
        ExpectedLine fields;
        std::string field;
        std::istringstream split(line);
        while (std::getline(split, field, '\t'))
            fields.push_back(field);
        if (!line.empty() && line.back() == '\t')
            fields.push_back("");
        if (!fields.empty() && std::find(kinds.begin(), kinds.end(), fields[0]) != kinds.end())
            lines.push_back(fields);
    }
    return lines;
}

inline unsigned long Number(const std::string &text)
{
    return std::stoul(text, nullptr, 0);
}

// A sample program held in memory with its ELF structures.
struct Sample {
    explicit Sample(const std::string &name) : bytes(ReadFileBytes(SamplePath(name)))
    {
        image.Attach(bytes.data(), bytes.size());
    }
    // The contents of the section of that name; null and 0 when there is none.
    const BYTE *Section(LPCSTR name, size_t *size) const
    {
        int index = image.FindSection(name);
        DWORD length = 0;
        const BYTE *data = index >= 0 ? image.GetSectionData(index, &length) : nullptr;
        *size = length;
        return data;
    }
    std::vector<BYTE> bytes;
    CElfImage image;
};

} // namespace DwarfTesting
