// Runs the ELF and DWARF dumps on arbitrary bytes. An input that passes as an ELF file is
// dumped whole; every input is also cut into the sections of a DWARF 1.1 and a DWARF 2
// file (its first bytes give the sizes), so that the decoders see damaged debugging
// information far more often than a random file would pass as ELF. The dump text is
// formatted as for a real dump and dropped. Sanitizers catch what a read outside the
// input, an overflow or a leak would do; a hang shows as a timeout.
//
// fuzz-seeds: testdata/*/*.elf
#include "dwarf1dump.h"
#include "dwarf2dump.h"
#include "dwarflineprogram.h"
#include "elfdump.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// A reader with no file: the dumps run all their decoding and write nowhere, as a load
// without a dump stream does.
class CNoFile : public CQelTargetFile {
public:
    CNoFile() : CQelTargetFile(1, nullptr) {}
    int IsFileType(HANDLE) override { return 0; }
};

// Cuts `count` sections out of the input after a header of one size byte per section.
std::vector<std::pair<const BYTE *, size_t>> Sections(const uint8_t *data, size_t size, size_t count)
{
    std::vector<std::pair<const BYTE *, size_t>> sections;
    size_t header = count < size ? count : size;
    size_t offset = header;
    for (size_t i = 0; i < count; ++i) {
        size_t wanted = i < header ? data[i] * 4 : 0;
        size_t length = i + 1 == count ? size - offset : (wanted < size - offset ? wanted : size - offset);
        sections.emplace_back(length > 0 ? data + offset : nullptr, length);
        offset += length;
    }
    return sections;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CNoFile out;
    CElfImage image;
    if (image.Attach(data, size))
        CElfDumper(out, image).DumpFile();

    auto parts = Sections(data, size, 6);
    for (bool bigEndian : {false, true}) {
        Dwarf2Sections dwarf2;
        dwarf2.info = parts[0].first;
        dwarf2.infoSize = parts[0].second;
        dwarf2.abbrev = parts[1].first;
        dwarf2.abbrevSize = parts[1].second;
        dwarf2.str = parts[2].first;
        dwarf2.strSize = parts[2].second;
        dwarf2.loc = parts[3].first;
        dwarf2.locSize = parts[3].second;
        dwarf2.bigEndian = bigEndian;
        DumpDwarf2Units(out, dwarf2, parts[4].first, parts[4].second);
        for (size_t offset = 0; offset < parts[4].second;) {
            CDwarfLineProgram table;
            table.Read(parts[4].first, parts[4].second, static_cast<DWORD>(offset), bigEndian);
            if (table.GetNextOffset() <= offset)
                abort(); // a walker over the tables would never end
            offset = table.GetNextOffset();
        }
        CString text;
        DecodeDwarf2Location(parts[5].first, parts[5].second, 4, bigEndian, &text);
    }
    Dwarf1Sections dwarf1;
    dwarf1.debug = parts[0].first;
    dwarf1.debugSize = parts[0].second;
    dwarf1.locExt = parts[3].first;
    dwarf1.locExtSize = parts[3].second;
    DumpDwarf1Entries(out, dwarf1);
    DumpDwarf1LineTables(out, parts[4].first, parts[4].second);
    DumpDwarf1SourceInfo(out, parts[5].first, parts[5].second);
    return 0;
}
