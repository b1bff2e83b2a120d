#pragma once
// Who runs the process, as the host knows them.

#include <string>

namespace kova {

// The login name of the process's user: the account's name, else $USER, else "".
std::string processUserName();

}  // namespace kova
