#include "platform/WindowFrame.h"

namespace kova {
namespace {

template <typename T>
void put(std::string& out, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        out += static_cast<char>(static_cast<std::uint64_t>(value) >> (8 * i) & 0xFF);
    }
}

template <typename T>
T get(std::string_view in, std::size_t at) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        v |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    }
    return static_cast<T>(v);
}

}  // namespace

std::string encodeFrame(const WindowMessage& message) {
    if (message.data.size() > kMaxFrameData) {
        return {};
    }
    std::string out;
    out.reserve(kFrameHeaderSize + message.data.size());
    put(out, kFrameMagic);
    put(out, static_cast<std::uint32_t>(message.kind));
    put(out, message.msg);
    put(out, message.wParam);
    put(out, message.lParam);
    put(out, message.dwData);
    put(out, message.cbData);
    put(out, static_cast<std::uint32_t>(message.data.size()));
    out += message.data;
    return out;
}

std::string encodeResult(std::int64_t result) {
    std::string out;
    put(out, result);
    return out;
}

std::int64_t decodeResult(const char (&bytes)[kFrameResultSize]) {
    return get<std::int64_t>(std::string_view(bytes, kFrameResultSize), 0);
}

void FrameReader::append(std::string_view bytes) {
    if (offset_ > 0 && offset_ == buffer_.size()) {
        buffer_.clear();
        offset_ = 0;
    }
    buffer_.append(bytes);
}

FrameReader::Status FrameReader::next(WindowMessage& out) {
    if (malformed_) {
        return Status::Malformed;
    }
    const std::string_view rest = std::string_view(buffer_).substr(offset_);
    if (rest.size() < kFrameHeaderSize) {
        return Status::NeedMore;
    }
    const auto kind = get<std::uint32_t>(rest, 4);
    const auto size = get<std::uint32_t>(rest, 40);
    if (get<std::uint32_t>(rest, 0) != kFrameMagic ||
        (kind != static_cast<std::uint32_t>(FrameKind::Send) &&
         kind != static_cast<std::uint32_t>(FrameKind::Post)) ||
        size > kMaxFrameData) {
        malformed_ = true;
        return Status::Malformed;
    }
    if (rest.size() < kFrameHeaderSize + size) {
        return Status::NeedMore;
    }
    out.kind = static_cast<FrameKind>(kind);
    out.msg = get<std::uint32_t>(rest, 8);
    out.wParam = get<std::uint64_t>(rest, 12);
    out.lParam = get<std::int64_t>(rest, 20);
    out.dwData = get<std::uint64_t>(rest, 28);
    out.cbData = get<std::uint32_t>(rest, 36);
    out.data.assign(rest.substr(kFrameHeaderSize, size));
    offset_ += kFrameHeaderSize + size;
    if (offset_ == buffer_.size()) {
        buffer_.clear();
        offset_ = 0;
    }
    return Status::Frame;
}

}  // namespace kova
