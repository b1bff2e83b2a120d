#pragma once
// The command line of the small programs: options may stand anywhere, "--" ends them, and an
// option with a value takes it as "--name=value" or as the next argument.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kova::tool {

struct OptionRules {
    std::vector<std::string_view> flags;   // options without a value: "--help"
    std::vector<std::string_view> valued;  // options with one: "--size"
    // "-5" is an argument, not an option (a program whose arguments may be negative numbers).
    bool negativeNumbersAreArguments = false;
};

struct Options {
    std::vector<std::string> positional;
    std::set<std::string, std::less<>> flags;
    std::map<std::string, std::string, std::less<>> values;

    bool has(std::string_view flag) const { return flags.contains(flag); }
    std::optional<std::string> value(std::string_view name) const;
};

// Reads argv[1..argc) in order and stops at the first unknown option or missing value. Returns
// what is wrong ("unknown option --x", "option --size needs a value"), or "" when all is fine;
// what was read before the fault is kept, so a "--help" ahead of it still counts.
std::string parseOptions(int argc, char** argv, const OptionRules& rules, Options& out);

}  // namespace kova::tool
