#include "ddeframes.h"

#include <cstring>

namespace qelwin::dde {

namespace {

class Writer {
public:
    void U8(uint8_t value) { bytes_.push_back(value); }
    void U32(uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            bytes_.push_back(static_cast<uint8_t>(value >> shift));
    }
    void Bytes(const void *data, size_t size)
    {
        U32(static_cast<uint32_t>(size));
        const auto *begin = static_cast<const uint8_t *>(data);
        bytes_.insert(bytes_.end(), begin, begin + size);
    }
    std::vector<uint8_t> Framed()
    {
        Writer framed;
        framed.U32(static_cast<uint32_t>(bytes_.size()));
        framed.bytes_.insert(framed.bytes_.end(), bytes_.begin(), bytes_.end());
        return std::move(framed.bytes_);
    }

private:
    std::vector<uint8_t> bytes_;
};

class Reader {
public:
    Reader(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    bool U8(uint8_t *value)
    {
        if (size_ - offset_ < 1)
            return false;
        *value = data_[offset_++];
        return true;
    }
    bool U32(uint32_t *value)
    {
        if (size_ - offset_ < 4)
            return false;
        *value = 0;
        for (int i = 0; i < 4; ++i)
            *value |= static_cast<uint32_t>(data_[offset_ + i]) << (8 * i);
        offset_ += 4;
        return true;
    }
    bool Bytes(size_t limit, const uint8_t **begin, size_t *length)
    {
        uint32_t size = 0;
        if (!U32(&size) || size > limit || size > size_ - offset_)
            return false;
        *begin = data_ + offset_;
        *length = size;
        offset_ += size;
        return true;
    }
    bool Text(std::string *text)
    {
        const uint8_t *begin = nullptr;
        size_t length = 0;
        if (!Bytes(kMaxNameLength, &begin, &length))
            return false;
        text->assign(reinterpret_cast<const char *>(begin), length);
        return true;
    }
    bool AtEnd() const { return offset_ == size_; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t offset_ = 0;
};

} // namespace

std::vector<uint8_t> EncodeFrame(const Frame &frame)
{
    Writer out;
    out.U8(static_cast<uint8_t>(frame.kind));
    switch (frame.kind) {
    case FrameKind::Connect:
        out.U32(frame.processId);
        out.U32(frame.instance);
        out.Bytes(frame.service.data(), frame.service.size());
        out.Bytes(frame.topic.data(), frame.topic.size());
        out.U8(frame.hasContext ? 1 : 0);
        if (frame.hasContext) {
            const CONVCONTEXT &c = frame.context;
            for (uint32_t field : {c.cb, c.wFlags, c.wCountryID, static_cast<UINT>(c.iCodePage), c.dwLangID,
                                   c.dwSecurity, c.qos.Length, static_cast<DWORD>(c.qos.ImpersonationLevel)})
                out.U32(field);
            out.U8(c.qos.ContextTrackingMode);
            out.U8(c.qos.EffectiveOnly);
        }
        break;
    case FrameKind::ConnectReply:
        out.U8(frame.accepted ? 1 : 0);
        break;
    case FrameKind::Execute:
        out.U32(frame.transaction);
        out.Bytes(frame.data.data(), frame.data.size());
        break;
    case FrameKind::ExecuteReply:
        out.U32(frame.transaction);
        out.U32(frame.flags);
        break;
    }
    return out.Framed();
}

bool DecodePayload(const uint8_t *payload, size_t size, Frame *frame)
{
    Reader in(payload, size);
    uint8_t kind = 0;
    if (!in.U8(&kind))
        return false;
    *frame = Frame();
    frame->kind = static_cast<FrameKind>(kind);
    uint8_t flag = 0;
    switch (frame->kind) {
    case FrameKind::Connect: {
        if (!in.U32(&frame->processId) || !in.U32(&frame->instance) || !in.Text(&frame->service) ||
            !in.Text(&frame->topic) || !in.U8(&flag) || flag > 1)
            return false;
        frame->hasContext = flag == 1;
        if (frame->hasContext) {
            CONVCONTEXT &c = frame->context;
            uint32_t codePage = 0, level = 0;
            if (!in.U32(&c.cb) || !in.U32(&c.wFlags) || !in.U32(&c.wCountryID) || !in.U32(&codePage) ||
                !in.U32(&c.dwLangID) || !in.U32(&c.dwSecurity) || !in.U32(&c.qos.Length) || !in.U32(&level) ||
                !in.U8(&c.qos.ContextTrackingMode) || !in.U8(&c.qos.EffectiveOnly))
                return false;
            c.iCodePage = static_cast<int>(codePage);
            c.qos.ImpersonationLevel = static_cast<int>(level);
        }
        break;
    }
    case FrameKind::ConnectReply:
        if (!in.U8(&flag) || flag > 1)
            return false;
        frame->accepted = flag == 1;
        break;
    case FrameKind::Execute: {
        const uint8_t *data = nullptr;
        size_t length = 0;
        if (!in.U32(&frame->transaction) || !in.Bytes(kMaxExecuteData, &data, &length))
            return false;
        frame->data.assign(data, data + length);
        break;
    }
    case FrameKind::ExecuteReply:
        if (!in.U32(&frame->transaction) || !in.U32(&frame->flags))
            return false;
        break;
    default:
        return false;
    }
    return in.AtEnd();
}

void FrameReader::Append(const uint8_t *bytes, size_t size)
{
    if (malformed_)
        return;
    // What has been cut off goes before the buffer grows again.
    if (start_ > 0 && start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    } else if (start_ > kMaxFramePayload) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    buffer_.insert(buffer_.end(), bytes, bytes + size);
}

FrameReader::Status FrameReader::Next(Frame *frame)
{
    if (malformed_)
        return Status::Malformed;
    size_t available = buffer_.size() - start_;
    if (available < 4)
        return Status::NeedMore;
    const uint8_t *head = buffer_.data() + start_;
    uint32_t length = static_cast<uint32_t>(head[0]) | static_cast<uint32_t>(head[1]) << 8 |
                      static_cast<uint32_t>(head[2]) << 16 | static_cast<uint32_t>(head[3]) << 24;
    // Refused before its bytes come, so a partner cannot make the buffer grow without end.
    if (length > kMaxFramePayload) {
        malformed_ = true;
        return Status::Malformed;
    }
    if (available - 4 < length)
        return Status::NeedMore;
    if (!DecodePayload(head + 4, length, frame)) {
        malformed_ = true;
        return Status::Malformed;
    }
    start_ += 4 + length;
    return Status::Complete;
}

} // namespace qelwin::dde
