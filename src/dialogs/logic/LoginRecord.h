#pragma once
// The 654-byte record the main window hands to the password-box component. Its layout is shared
// with the line's components byte for byte; what the texts mean is the component's business (the
// names below are what the stand-in component writes). Texts are zero-terminated GBK.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/TextCodec.h"

namespace kova {

#pragma pack(push, 1)
struct LoginRecord {
    char user[50]{};
    char name[50]{};
    char role[50]{};
    std::int32_t status = -1;  // set to kLoginRefused by the tool when the box was refused
    char time[30]{};
    char note[470]{};
};
#pragma pack(pop)

static_assert(sizeof(LoginRecord) == 654);
static_assert(offsetof(LoginRecord, user) == 0);
static_assert(offsetof(LoginRecord, name) == 50);
static_assert(offsetof(LoginRecord, role) == 100);
static_assert(offsetof(LoginRecord, status) == 150);
static_assert(offsetof(LoginRecord, time) == 154);
static_assert(offsetof(LoginRecord, note) == 184);

inline constexpr std::int32_t kLoginRefused = 1000;

// Stores UTF-8 text as GBK, cut so that the terminating zero still fits and no character is split.
template <std::size_t N>
void setLoginText(char (&field)[N], std::string_view utf8) {
    const std::string gbk = utf8ToGbk(utf8);
    const std::string_view cut = cutGbkBytes(gbk, N - 1);
    std::size_t i = 0;
    for (; i < cut.size(); ++i) {
        field[i] = cut[i];
    }
    for (; i < N; ++i) {
        field[i] = '\0';
    }
}

// The field's text up to its zero (or its full width when a component left none), as UTF-8.
template <std::size_t N>
std::string loginText(const char (&field)[N]) {
    std::size_t length = 0;
    while (length < N && field[length] != '\0') {
        ++length;
    }
    return gbkToUtf8(std::string_view(field, length));
}

}  // namespace kova
