#pragma once
// The character rules of ini text shared by parsing and lookup: which bytes form a character in
// GBK and in UTF-8, and how names fold when compared without regard to ASCII case.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/IniDocument.h"  // IniEncoding

namespace kova {

bool isValidUtf8(std::string_view s);

// A UTF-8 file's text with every ill-formed byte replaced by U+FFFD.
std::string sanitizeUtf8(std::string_view s);

inline bool isGbkLead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}
inline bool isGbkTrail(unsigned char c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// Eight bytes at a time: values of a calibration list run to hundreds of bytes and are checked on
// every read.
inline bool isAscii(std::string_view s) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, s.data() + i, sizeof word);
        if ((word & kHighBits) != 0) {
            return false;
        }
    }
    return std::all_of(s.begin() + static_cast<std::ptrdiff_t>(i), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A name's bytes with single-byte ASCII letters folded, read front to back; a GBK trail byte
// passes as it is, whatever it looks like.
class FoldedBytes {
  public:
    FoldedBytes(std::string_view text, IniEncoding encoding)
        : text_(text), gbk_(encoding == IniEncoding::Gbk) {}

    unsigned char at(std::size_t i) {
        const auto c = static_cast<unsigned char>(text_[i]);
        if (trailNext_) {
            trailNext_ = false;
            return c;
        }
        if (gbk_ && isGbkLead(c) && i + 1 < text_.size() &&
            isGbkTrail(static_cast<unsigned char>(text_[i + 1]))) {
            trailNext_ = true;
            return c;
        }
        return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
    }

  private:
    std::string_view text_;
    bool gbk_;
    bool trailNext_ = false;
};

}  // namespace kova
