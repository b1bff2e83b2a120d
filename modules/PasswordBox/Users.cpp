#include "Users.h"

#include "platform/IniFile.h"

namespace kova::passwordbox {
namespace {
constexpr std::size_t kTextBuffer = 512;
}

std::optional<UserEntry> checkLogin(const std::string& usersFile, std::string_view user,
                                    std::string_view password) {
    if (user.empty() || password.empty()) {
        return std::nullopt;
    }
    const IniFile users(usersFile);
    const std::string stored = users.readString(user, "Password", "", kTextBuffer);
    if (stored.empty() || stored != password) {
        return std::nullopt;
    }
    return UserEntry{std::string(user), users.readString(user, "Name", "", kTextBuffer),
                     users.readString(user, "Role", "", kTextBuffer),
                     users.readString(user, "Note", "", kTextBuffer)};
}

}  // namespace kova::passwordbox
