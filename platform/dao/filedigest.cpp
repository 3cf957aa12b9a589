#include "filedigest.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace qeldao {

namespace {

// SQLite's header: fields that a commit changes without changing what the file holds.
const size_t kHeaderSize = 100;
const size_t kChangeCounter = 24, kUserVersion = 60, kApplicationId = 68, kVersionValidFor = 92;

const uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
const uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
const uint64_t kPrime3 = 0x165667B19E3779F9ULL;

uint64_t RotateLeft(uint64_t value, int bits)
{
    return (value << bits) | (value >> (64 - bits));
}

uint64_t Round(uint64_t lane, uint64_t word)
{
    return RotateLeft(lane + word * kPrime2, 31) * kPrime1;
}

uint32_t BigEndian32(const unsigned char *bytes)
{
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
}

// Four lanes over 32-byte stripes, so that the multiplications of one stripe overlap.
class Digester {
public:
    void Add(const unsigned char *bytes, size_t length)
    {
        m_length += length;
        size_t at = 0;
        if (m_pending > 0) {
            size_t take = std::min(length, sizeof m_stripe - m_pending);
            std::memcpy(m_stripe + m_pending, bytes, take);
            m_pending += take;
            at = take;
            if (m_pending < sizeof m_stripe)
                return;
            Stripe(m_stripe);
            m_pending = 0;
        }
        for (; at + sizeof m_stripe <= length; at += sizeof m_stripe)
            Stripe(bytes + at);
        m_pending = length - at;
        std::memcpy(m_stripe, bytes + at, m_pending);
    }

    uint64_t Finish()
    {
        std::memset(m_stripe + m_pending, 0, sizeof m_stripe - m_pending);
        if (m_pending > 0)
            Stripe(m_stripe);
        uint64_t h = RotateLeft(m_lanes[0], 1) + RotateLeft(m_lanes[1], 7) + RotateLeft(m_lanes[2], 12) +
                     RotateLeft(m_lanes[3], 18) + m_length;
        h ^= h >> 33;
        h *= kPrime2;
        h ^= h >> 29;
        h *= kPrime3;
        h ^= h >> 32;
        return h != 0 ? h : 1;
    }

private:
    void Stripe(const unsigned char *bytes)
    {
        for (int lane = 0; lane < 4; ++lane) {
            uint64_t word;
            std::memcpy(&word, bytes + 8 * lane, sizeof word);
            m_lanes[lane] = Round(m_lanes[lane], word);
        }
    }

    uint64_t m_lanes[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
    unsigned char m_stripe[32];
    size_t m_pending = 0;
    uint64_t m_length = 0;
};

} // namespace

bool ReadFileDigest(int fd, FileDigest *digest)
{
    std::vector<unsigned char> buffer(1 << 20);
    Digester digester;
    uint64_t offset = 0;
    for (;;) {
        ssize_t got = pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        unsigned char *bytes = buffer.data();
        size_t length = static_cast<size_t>(got);
        if (offset == 0) {
            if (length < kHeaderSize)
                return false;
            digest->stored = (uint64_t(BigEndian32(bytes + kUserVersion)) << 32) | BigEndian32(bytes + kApplicationId);
            for (size_t field : {kChangeCounter, kUserVersion, kApplicationId, kVersionValidFor})
                std::memset(bytes + field, 0, 4);
        }
        digester.Add(bytes, length);
        offset += length;
    }
    if (offset < kHeaderSize)
        return false;
    digest->computed = digester.Finish();
    return true;
}

int32_t DigestHigh(uint64_t digest)
{
    return static_cast<int32_t>(static_cast<uint32_t>(digest >> 32));
}

int32_t DigestLow(uint64_t digest)
{
    return static_cast<int32_t>(static_cast<uint32_t>(digest));
}

} // namespace qeldao
