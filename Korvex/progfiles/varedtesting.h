// Test inputs of the VarEd statements: the sample programs of testdata/vared, whose
// ".VarEd_Info" sections the cross assembler made.
#pragma once

#include <testing/buildpaths.h>

#include "elfimage.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The bytes of the ".VarEd_Info" section of the sample `name`, as the file holds them.
inline std::vector<BYTE> VarEdSection(const char *name)
{
    std::ifstream in(std::string(kQelSourceDir) + "/testdata/vared/" + name, std::ios::binary);
    const std::vector<BYTE> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CElfImage image;
    if (!image.Attach(file.data(), file.size()))
        return {};
    const int index = image.FindSection(".VarEd_Info");
    DWORD size = 0;
    const BYTE *data = index < 0 ? nullptr : image.GetSectionData(index, &size);
    return data == nullptr ? std::vector<BYTE>() : std::vector<BYTE>(data, data + size);
}
