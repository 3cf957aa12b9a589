// The input of the add-on's fuzz targets, read from the front; past its end every read
// gives 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class FuzzInput {
public:
    FuzzInput(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool AtEnd() const { return m_at >= m_size; }
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    uint32_t Word()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | Byte();
        return value;
    }
    // A text of up to 39 bytes.
    std::string Text()
    {
        std::string text;
        for (size_t length = Byte() % 40; length > 0 && !AtEnd(); --length)
            text.push_back(static_cast<char>(Byte()));
        return text;
    }

private:
    const uint8_t *m_data;
    size_t m_size, m_at = 0;
};
