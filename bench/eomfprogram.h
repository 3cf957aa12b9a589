// A synthetic EOMF program of many modules for the benchmarks: each module a C module
// with its source file, code and data, two procedures (one with parameters, a nested
// block and locals), lines, globals and statics, over a few shared types.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qelbench {

class EomfProgramWriter {
public:
    // Writes the program of `modules` modules to `path`; false when it cannot be written.
    static bool Write(const std::string &path, int modules)
    {
        EomfProgramWriter writer;
        writer.Build(modules);
        FILE *file = std::fopen(path.c_str(), "wb");
        if (file == nullptr)
            return false;
        const bool written = std::fwrite(writer.m_bytes.data(), 1, writer.m_bytes.size(), file) == writer.m_bytes.size();
        return std::fclose(file) == 0 && written;
    }

private:
    using Bytes = std::vector<uint8_t>;

    static void Word(Bytes &b, unsigned v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
    static void Dword(Bytes &b, unsigned v) { Word(b, v & 0xFFFF), Word(b, v >> 16); }
    static void Name(Bytes &b, const std::string &s)
    {
        b.push_back(uint8_t(s.size()));
        b.insert(b.end(), s.begin(), s.end());
    }
    static void Index(Bytes &b, unsigned v)
    {
        if (v < 128)
            b.push_back(uint8_t(v));
        else
            b.insert(b.end(), {uint8_t(0x80 | (v >> 8)), uint8_t(v)});
    }
    // Base address 0, or a 64 KB segment.
    static void Base(Bytes &b, unsigned segment) { b.insert(b.end(), {0, 0}), Word(b, segment); }
    static void Symbol(Bytes &b, const std::string &name, unsigned value, uint8_t info, unsigned type)
    {
        Name(b, name);
        Word(b, value);
        b.push_back(info);
        Index(b, type);
    }

    void Record(uint8_t type, const Bytes &body)
    {
        const size_t at = m_bytes.size();
        m_bytes.push_back(type);
        Word(m_bytes, unsigned(body.size() + 1));
        m_bytes.insert(m_bytes.end(), body.begin(), body.end());
        uint8_t sum = 0;
        for (size_t i = at; i < m_bytes.size(); ++i)
            sum = uint8_t(sum + m_bytes[i]);
        m_bytes.push_back(uint8_t(-sum));
    }

    void Build(int modules)
    {
        Bytes b;
        Name(b, "BENCH");
        Record(0x82, b);
        b.clear();
        Name(b, "CODE");
        Name(b, "DATA");
        Record(0x96, b);
        // One code section of 64 bytes and one data section of 16 bytes per module.
        const unsigned codeLength = 64u * unsigned(modules), dataLength = 16u * unsigned(modules);
        b = {0x80, 0x00};
        Word(b, 0x01), Word(b, 0x0000), Dword(b, codeLength), Index(b, 1), Index(b, 0);
        Record(0xC5, b);
        b = {0x40, 0x00};
        Word(b, 0x20), Word(b, 0x0000), Dword(b, dataLength), Index(b, 2), Index(b, 0);
        Record(0xC5, b);
        for (int m = 0; m < modules; ++m)
            Module(m);
    }

    void Module(int m)
    {
        const std::string n = std::to_string(m);
        const unsigned code = 0x10000u + 64u * unsigned(m), data = 0x200000u + 16u * unsigned(m);
        Bytes b;
        Name(b, "M" + n);
        Record(0x80, b);
        b = {0x00, 0x00};
        for (char c : std::string("C166 V4"))
            b.push_back(uint8_t(c));
        Record(0x88, b);
        b = {0x4B, 0x00};
        for (char c : "m" + n + ".c")
            b.push_back(uint8_t(c));
        Record(0x88, b);
        Record(0xE7, {0x08});
        if (m == 0) {
            // 128: pointer to 129; 129: struct of 130; 130: its members; 131: int [4].
            b = {0x21, 3, 0, 0, 0};
            Word(b, 129);
            Record(0xF0, b);
            b = {0x24, 1};
            Dword(b, 4), Word(b, 130), Name(b, "item");
            Record(0xF0, b);
            b = {0x20};
            Word(b, 2);
            Word(b, 0x44), Dword(b, 0), b.insert(b.end(), {0, 0}), Name(b, "v");
            Word(b, 128), Dword(b, 2), b.insert(b.end(), {0, 0}), Name(b, "next");
            Record(0xF0, b);
            b = {0x22, 1, 0};
            Word(b, 0x44), Dword(b, 4);
            Record(0xF0, b);
        }
        b = {uint8_t(code >> 16)};
        Word(b, code & 0xFFFF), b.push_back(2);
        for (int i = 0; i < 32; ++i)
            b.push_back(uint8_t(0xCC + (i & 1)));
        Record(0xB9, b);
        // f<n>: parameters in R12 and on the stack, a nested block with two locals.
        b.clear();
        Base(b, code >> 16), Name(b, "f" + n), Word(b, code & 0xFFFF), Word(b, 32), b.push_back(0x80);
        b.insert(b.end(), {0, 0}), Index(b, 0x44);
        Record(0xB7, b);
        b = {0x02};
        Index(b, 1);
        Symbol(b, "a", 12, 0x60, 0x44), Symbol(b, "p", 2, 0x70, 128);
        Record(0xB6, b);
        b.clear();
        Base(b, code >> 16), Name(b, ""), Word(b, (code & 0xFFFF) + 4), Word(b, 20), b.push_back(0);
        Record(0xB7, b);
        b = {0x02};
        Index(b, 2);
        Symbol(b, "i", 4, 0x60, 0x44), Symbol(b, "buf", 10, 0xF0, 131);
        Record(0xB6, b);
        Record(0x7C, {});
        Record(0x7C, {});
        // g<n>: no parameters.
        b.clear();
        Base(b, code >> 16), Name(b, "g" + n), Word(b, (code & 0xFFFF) + 32), Word(b, 32), b.push_back(0x80);
        b.insert(b.end(), {0, 0}), Index(b, 0x4A);
        Record(0xB7, b);
        Record(0x7C, {});
        b.clear();
        Base(b, code >> 16);
        for (unsigned line = 0; line < 8; ++line)
            Word(b, 10 + line), Word(b, (code & 0xFFFF) + 8 * line);
        Record(0x94, b);
        b.clear();
        Base(b, data >> 16);
        Symbol(b, "v" + n, data & 0xFFFF, 0x10, 0x44), Symbol(b, "head" + n, (data & 0xFFFF) + 2, 0x10, 128);
        Symbol(b, "f" + n, code & 0xFFFF, 0x20, 0x4D);
        Record(0xB3, b);
        b.clear();
        Base(b, data >> 16);
        Symbol(b, "s" + n, (data & 0xFFFF) + 8, 0x10, 131);
        Record(0xB5, b);
        Record(0x8A, {});
    }

    Bytes m_bytes;
};

} // namespace qelbench
