#include "platform/TextCodec.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>

namespace kova {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kEuro = 0x20AC;

bool isLead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}
bool isTrail(unsigned char c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// Both directions as tables built once from iconv: conversions are then lock-free, cheap and
// safe from any thread.
struct GbkTables {
    // Indexed by (lead << 8 | trail); 0 = unassigned.
    std::array<char16_t, 0x10000> decode{};
    // Indexed by the BMP code point; 0 = no GBK form, else the GBK bytes (single byte < 0x100).
    std::array<std::uint16_t, 0x10000> encode{};
};

// What iconv_open gives when it cannot convert.
iconv_t iconvFailed() {
    return reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr): iconv's own value
}

iconv_t openDecoder() {
    iconv_t cd = iconv_open("UTF-16LE", "CP936");
    if (cd == iconvFailed()) {
        cd = iconv_open("UTF-16LE", "GBK");
    }
    return cd;
}

char16_t decodeWithIconv(iconv_t cd, const char* in, std::size_t len) {
    char buf[8];
    char* inPtr = const_cast<char*>(in);
    std::size_t inLeft = len;
    char* outPtr = buf;
    std::size_t outLeft = sizeof buf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
        inLeft != 0 || sizeof buf - outLeft != 2) {
        return 0;
    }
    return static_cast<char16_t>(static_cast<unsigned char>(buf[0]) |
                                 (static_cast<unsigned char>(buf[1]) << 8));
}

const GbkTables& tables() {
    static const std::unique_ptr<GbkTables> t = [] {
        auto result = std::make_unique<GbkTables>();
        for (char32_t c = 0; c < 0x80; ++c) {
            result->encode[c] = static_cast<std::uint16_t>(c);
        }
        result->encode[kEuro] = 0x80;
        iconv_t cd = openDecoder();
        if (cd == iconvFailed()) {
            return result;  // only ASCII then; every other byte decodes as U+FFFD
        }
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) {
                    continue;
                }
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                const char16_t u = decodeWithIconv(cd, pair, 2);
                if (u == 0 || (u >= 0xD800 && u <= 0xDFFF)) {
                    continue;
                }
                const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
                result->decode[code] = u;
                if (result->encode[u] == 0) {
                    result->encode[u] = code;
                }
            }
        }
        iconv_close(cd);
        return result;
    }();
    return *t;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 character at pos; returns its length and sets c (U+FFFD and length 1 for an
// invalid sequence).
std::size_t nextUtf8(std::string_view s, std::size_t pos, char32_t& c, bool& valid) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    valid = true;
    if (b0 < 0x80) {
        c = b0;
        return 1;
    }
    std::size_t len = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        c = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        c = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        c = b0 & 0x07;
        min = 0x10000;
    } else {
        valid = false;
        c = kReplacement;
        return 1;
    }
    if (pos + len > s.size()) {
        valid = false;
        c = kReplacement;
        return 1;
    }
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) {
            valid = false;
            c = kReplacement;
            return 1;
        }
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        valid = false;
        c = kReplacement;
        return 1;
    }
    return len;
}

// GBK bytes of one code point, 0 when it has none.
std::uint16_t gbkOf(char32_t c) {
    return c < 0x10000 ? tables().encode[c] : 0;
}

}  // namespace

std::string utf8ToGbk(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t c = 0;
        bool valid = true;
        pos += nextUtf8(utf8, pos, c, valid);
        const std::uint16_t g = valid ? gbkOf(c) : 0;
        if (c == 0 && valid) {
            out += '\0';
        } else if (g == 0) {
            out += '?';
        } else if (g < 0x100) {
            out += static_cast<char>(g);
        } else {
            out += static_cast<char>(g >> 8);
            out += static_cast<char>(g & 0xFF);
        }
    }
    return out;
}

std::string gbkToUtf8(std::string_view gbk) {
    const GbkTables& t = tables();
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    for (std::size_t pos = 0; pos < gbk.size();) {
        const auto b = static_cast<unsigned char>(gbk[pos]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++pos;
        } else if (b == 0x80) {
            appendUtf8(out, kEuro);
            ++pos;
        } else if (isLead(b) && pos + 1 < gbk.size() &&
                   isTrail(static_cast<unsigned char>(gbk[pos + 1]))) {
            const char16_t u = t.decode[b << 8 | static_cast<unsigned char>(gbk[pos + 1])];
            appendUtf8(out, u != 0 ? char32_t{u} : kReplacement);
            pos += 2;
        } else {
            appendUtf8(out, kReplacement);
            ++pos;
        }
    }
    return out;
}

bool isGbkEncodable(std::string_view utf8) {
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t c = 0;
        bool valid = true;
        pos += nextUtf8(utf8, pos, c, valid);
        if (!valid || (c != 0 && gbkOf(c) == 0)) {
            return false;
        }
    }
    return true;
}

std::size_t gbkLength(std::string_view utf8) {
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t c = 0;
        bool valid = true;
        pos += nextUtf8(utf8, pos, c, valid);
        n += (valid && gbkOf(c) >= 0x100) ? 2 : 1;
    }
    return n;
}

std::string_view cutToGbkBytes(std::string_view utf8, std::size_t maxBytes) {
    std::size_t n = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t c = 0;
        bool valid = true;
        const std::size_t len = nextUtf8(utf8, pos, c, valid);
        const std::size_t bytes = (valid && gbkOf(c) >= 0x100) ? 2 : 1;
        if (n + bytes > maxBytes) {
            break;
        }
        n += bytes;
        pos += len;
    }
    return utf8.substr(0, pos);
}

std::size_t gbkCharLength(std::string_view gbk, std::size_t pos) {
    if (pos + 1 < gbk.size() && isLead(static_cast<unsigned char>(gbk[pos])) &&
        isTrail(static_cast<unsigned char>(gbk[pos + 1]))) {
        return 2;
    }
    return 1;
}

std::string_view cutGbkBytes(std::string_view gbk, std::size_t maxBytes) {
    std::size_t pos = 0;
    while (pos < gbk.size()) {
        const std::size_t len = gbkCharLength(gbk, pos);
        if (pos + len > maxBytes) {
            break;
        }
        pos += len;
    }
    return gbk.substr(0, pos);
}

bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') {
            x += 'a' - 'A';
        }
        if (y >= 'A' && y <= 'Z') {
            y += 'a' - 'A';
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        if (ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch + ('a' - 'A'));
        }
    }
    return out;
}

}  // namespace kova
