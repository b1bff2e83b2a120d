#pragma once
// The password box's own users file: a GBK ini file, one section per login name.
//
//   [demo]
//   Password=kova
//   Name=演示技术员
//   Role=标定员
//   Note=free text
//
// Login names match without regard to ASCII case, passwords exactly. A user without a password,
// or with an empty one, can never log in.

#include <optional>
#include <string>
#include <string_view>

namespace kova::passwordbox {

struct UserEntry {
    std::string user;  // as typed
    std::string name;
    std::string role;
    std::string note;
};

// The user's entry when the file lists the user with exactly this non-empty password.
std::optional<UserEntry> checkLogin(const std::string& usersFile, std::string_view user,
                                    std::string_view password);

}  // namespace kova::passwordbox
