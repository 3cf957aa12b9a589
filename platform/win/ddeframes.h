// The frames of a DDE conversation on its socket (inside this layer only).
//
// A frame is its payload's length (32 bits, little-endian) and the payload: a kind byte
// and the kind's fields, numbers as 32 bits little-endian and texts and data as a length
// and the bytes. The partner may be another process, so every length is checked against
// what is left before it is used: a frame longer than kMaxFramePayload, with fields
// beyond its end, bytes left over or an unknown kind is malformed and ends the
// conversation.
#pragma once

#include "ddeml.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qelwin::dde {

// Room for an execute string of 64 KiB and the rest of its frame.
constexpr size_t kMaxFramePayload = 65536 + 256;
constexpr size_t kMaxExecuteData = 65536;
constexpr size_t kMaxNameLength = 255;

enum class FrameKind : uint8_t { Connect = 1, ConnectReply = 2, Execute = 3, ExecuteReply = 4 };

struct Frame {
    FrameKind kind = FrameKind::Connect;
    // Connect: who asks (for the same-instance flag), for what, with what context.
    uint32_t processId = 0;
    uint32_t instance = 0;
    std::string service;
    std::string topic;
    bool hasContext = false;
    CONVCONTEXT context = {};
    // ConnectReply
    bool accepted = false;
    // Execute and ExecuteReply
    uint32_t transaction = 0;
    std::vector<uint8_t> data;
    uint32_t flags = 0;
};

// The frame with its length in front.
std::vector<uint8_t> EncodeFrame(const Frame &frame);
// False when the payload is not one well-formed frame.
bool DecodePayload(const uint8_t *payload, size_t size, Frame *frame);

// Collects the bytes read from a socket and cuts them into frames.
class FrameReader {
public:
    enum class Status { NeedMore, Complete, Malformed };
    void Append(const uint8_t *bytes, size_t size);
    // The next whole frame in `*frame` (Complete); Malformed stays so.
    Status Next(Frame *frame);

private:
    std::vector<uint8_t> buffer_;
    size_t start_ = 0;
    bool malformed_ = false;
};

} // namespace qelwin::dde
