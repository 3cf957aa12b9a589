// Helpers for the tests of the HEX reader and writer: a memory image as plain values.
#pragma once

#include "sectionlist.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace SectionList {

// Each section's start and bytes (empty for a section without bytes), in address order.
typedef std::map<DWORD, std::vector<BYTE>> Image;

inline Image ImageOf(CSectionList &list)
{
    Image image;
    for (CSection *s = list.First(); s != nullptr; s = list.Next()) {
        std::vector<BYTE> &bytes = image[s->GetStart()];
        if (s->HasData())
            bytes.assign(s->GetData(), s->GetData() + s->GetLength());
    }
    return image;
}

inline std::vector<BYTE> Counting(size_t count, BYTE first = 0)
{
    std::vector<BYTE> bytes(count);
    for (size_t i = 0; i < count; i++)
        bytes[i] = static_cast<BYTE>(first + i);
    return bytes;
}

} // namespace SectionList
