// A Tasking program file assembled by hand, field by field, for the reader's tests, and
// helpers to damage it in a chosen place. The rows it must give are worked out from the
// layout in the tests, not taken from the reader.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class TaskingFixture {
public:
    void Half(uint32_t value) { Bytes({value & 0xFF, (value >> 8) & 0xFF}); }
    void Word(uint32_t value) { Bytes({value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF, value >> 24}); }
    void Bytes(std::initializer_list<uint32_t> bytes)
    {
        for (uint32_t b : bytes)
            m_bytes.push_back(static_cast<BYTE>(b));
    }
    void Text(const char *text) { m_bytes.insert(m_bytes.end(), text, text + std::char_traits<char>::length(text) + 1); }
    // A name record: text offset, type word, descriptor, value, extra word.
    void Name(uint32_t text, uint32_t type, uint32_t descriptor, uint32_t value, uint32_t extra)
    {
        Word(text);
        Half(type);
        Half(descriptor);
        Word(value);
        Half(extra);
    }
    void PatchHalf(size_t at, uint32_t value)
    {
        m_bytes[at] = static_cast<BYTE>(value);
        m_bytes[at + 1] = static_cast<BYTE>(value >> 8);
    }
    void PatchWord(size_t at, uint32_t value)
    {
        PatchHalf(at, value & 0xFFFF);
        PatchHalf(at + 2, value >> 16);
    }
    std::vector<BYTE> &Data() { return m_bytes; }

private:
    std::vector<BYTE> m_bytes;
};

// Six sections, one gap, five globals-pass records: 389 bytes.
//
//   offset  what
//        0  header
//       22  section table, 6 x 20
//      142  contents, 26 bytes
//      168  name table, 11 x 14 (5 records, then the 6 section names)
//      322  strings, 45 bytes
//      367  gap table: 8-byte head, 1 x 14
inline TaskingFixture MakeTaskingFixture()
{
    TaskingFixture f;
    // Header.
    f.Half(0x0201); //  0 magic
    f.Bytes({3});   //  2 version 3: a 16-bit name count
    f.Bytes({0x02}); // 3 flags: bit 1, a program
    f.Bytes({0x00}); // 4 flags: bit 2 clear, a program
    f.Bytes({0x00}); // 5 not read
    f.Half(6);      //  6 sections
    f.Half(0);      //  8 relocations
    f.Half(11);     // 10 name count
    f.Word(26);     // 12 contents size
    f.Word(45);     // 16 string size
    f.Bytes({0x7F}); // 20 name count bits 16-23: not read below version 4
    f.Bytes({0x00}); // 21 not read
    // Section table: base, size in memory, file offset, length in file, alignment.
    f.Word(0x100);  f.Word(4);    f.Word(142); f.Word(4);  f.Word(2); // 0 ?INTVECT: a vector fragment
    f.Word(0x104);  f.Word(4);    f.Word(146); f.Word(4);  f.Word(2); // 1 VEC2: the fragment after it
    f.Word(0x1FE);  f.Word(4);    f.Word(150); f.Word(4);  f.Word(2); // 2 __ICALL: reaches past 512
    f.Word(0x23);   f.Word(2);    f.Word(154); f.Word(2);  f.Word(1); // 3 BITS: bit base 0x23
    f.Word(0x4000); f.Word(0x10); f.Word(156); f.Word(12); f.Word(2); // 4 ROM: 16 bytes, 12 in the file
    f.Word(0x8000); f.Word(0x20); f.Word(0);   f.Word(0);  f.Word(2); // 5 __IRET: BSS
    // Contents at 142.
    f.Bytes({0xA0, 0xA1, 0xA2, 0xA3});                                     // ?INTVECT
    f.Bytes({0xB0, 0xB1, 0xB2, 0xB3});                                     // VEC2
    f.Bytes({0xC0, 0xC1, 0xC2, 0xC3});                                     // __ICALL
    f.Bytes({0xD0, 0xD1});                                                 // BITS
    f.Bytes({0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB}); // ROM
    // Name table at 168: text, type word (kind << 8 | class), descriptor, value, extra.
    f.Name(323, 0x0400, 0, 0, 0);      // 0 module "m.c"
    f.Name(323, 0x1D00, 1, 0, 0);      // 1 source file 1 "m.c"
    f.Name(327, 0x1600, 10, 0x23, 0);  // 2 global "g" of type 10 at bit 0x23
    f.Name(322, 0x5C00, 0, 0, 2);      // 3 section 2 (?INTVECT) begins
    f.Name(322, 0x5C00, 0, 0, 6);      // 4 section 6 (ROM) begins
    f.Name(329, 0x7800, 0, 0, 0);      // 5 "?INTVECT", code
    f.Name(338, 0x7800, 0, 0, 0);      // 6 "VEC2", code
    f.Name(343, 0x7800, 0, 0, 0);      // 7 "__ICALL", code
    f.Name(351, 0x7900, 0, 0, 0);      // 8 "BITS", the bit area
    f.Name(356, 0x7A00, 0, 0, 0);      // 9 "ROM", data
    f.Name(360, 0x7A00, 0, 0, 0);      // 10 "__IRET", data
    // Strings at 322.
    f.Text("");         // 322
    f.Text("m.c");      // 323
    f.Text("g");        // 327
    f.Text("?INTVECT"); // 329
    f.Text("VEC2");     // 338
    f.Text("__ICALL");  // 343
    f.Text("BITS");     // 351
    f.Text("ROM");      // 356
    f.Text("__IRET");   // 360, up to 367
    // Gap table at 367: head (not read, record count, not read), then each record.
    f.Word(0);
    f.Half(1);
    f.Half(0);
    f.Word(0);      // not read
    f.Word(0x4004); // start: ROM's bytes 4-7 are not in the file
    f.Word(0x4008); // end
    f.Half(0);      // not read
    return f;
}

// The fixture as version 4 with `extra` records of kind 0x1E (which mean nothing) in front
// of its name table: every text offset moves behind them, and the name count takes its
// bits 16-23 from byte 20.
inline TaskingFixture MakeTaskingFixtureV4(uint32_t extra)
{
    TaskingFixture f = MakeTaskingFixture();
    std::vector<BYTE> &bytes = f.Data();
    const uint32_t shift = 14 * extra, names = 11 + extra;
    TaskingFixture filler;
    for (uint32_t i = 0; i < extra; ++i)
        filler.Name(322 + shift, 0x1E00, 0, 0, 0); // the empty text at the strings' start
    for (size_t record = 168; record < 322; record += 14) {
        const uint32_t text = bytes[record] | bytes[record + 1] << 8 | bytes[record + 2] << 16 | bytes[record + 3] << 24;
        f.PatchWord(record, text + shift);
    }
    bytes.insert(bytes.begin() + 168, filler.Data().begin(), filler.Data().end());
    bytes[2] = 4;
    f.PatchHalf(10, names & 0xFFFF);
    bytes[20] = static_cast<BYTE>(names >> 16);
    return f;
}
