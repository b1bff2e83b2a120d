#pragma once
// The comma lists of "DevOrder", "AllTD_A", "AllTD_Dout" and "AllTD_Din".

#include <string>
#include <string_view>
#include <vector>

namespace kova {

// Every token ends with ","; text after the last "," is ignored and two commas in a row give an
// empty token, which is kept. A token longer than 49 GBK bytes is cut to 49 without splitting a
// character.
std::vector<std::string> splitList(std::string_view text);

}  // namespace kova
