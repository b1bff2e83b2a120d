#pragma once
// The frame that carries one window message between processes. Little-endian, no padding:
//   u32 magic "KWM1", u32 kind (1 send, 2 post), u32 msg, u64 wParam, i64 lParam,
//   u64 dwData, u32 cbData, u32 size, then `size` bytes (at most 65536).
// dwData and cbData are the copy-data message's data word and length word exactly as the sender
// set them; `size` is the length of the block that follows. They differ where the length word
// carries a command code and no block goes with it. A send is answered with one i64.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kova {

inline constexpr std::uint32_t kFrameMagic = 0x314D574B;  // "KWM1"
inline constexpr std::size_t kFrameHeaderSize = 44;
inline constexpr std::size_t kMaxFrameData = 65536;
inline constexpr std::size_t kFrameResultSize = 8;

// Message numbers as on Windows.
inline constexpr std::uint32_t kCloseMessage = 16;
inline constexpr std::uint32_t kCopyDataMessage = 0x004A;

enum class FrameKind : std::uint32_t { Send = 1, Post = 2 };

struct WindowMessage {
    FrameKind kind = FrameKind::Post;
    std::uint32_t msg = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
    std::uint64_t dwData = 0;
    std::uint32_t cbData = 0;
    std::string data;  // the copy-data block, raw bytes
};

// The frame of a message; empty when its block exceeds kMaxFrameData.
std::string encodeFrame(const WindowMessage& message);

std::string encodeResult(std::int64_t result);
std::int64_t decodeResult(const char (&bytes)[kFrameResultSize]);

// Collects the bytes of one connection and cuts them into frames.
class FrameReader {
  public:
    enum class Status { NeedMore, Frame, Malformed };

    void append(std::string_view bytes);
    // Takes the next complete frame out of the buffer. Malformed (bad magic or kind, block over
    // the limit) is final: the connection is to be dropped.
    Status next(WindowMessage& out);
    bool empty() const { return buffer_.size() == offset_; }

  private:
    std::string buffer_;
    std::size_t offset_ = 0;
    bool malformed_ = false;
};

}  // namespace kova
