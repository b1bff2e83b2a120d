#pragma once
// The check the configuration page makes before it adds a row: a keyword is stored as an ini key
// and as an item of a comma list, so some texts would corrupt the files.

#include <optional>
#include <string>
#include <string_view>

namespace kova {

// Why the keyword cannot be stored, as a message for the operator; nullopt when it can.
std::optional<std::string> keywordRefusal(std::string_view keyword);

}  // namespace kova
