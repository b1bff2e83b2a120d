#pragma once
// The command line of the small programs: options may stand anywhere, "--" ends them, and an
// option with a value takes it as "--name=value" or as the next argument.

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kova::tool {

// The exit statuses every program shares.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Every program takes "--version" besides the options of its rules.
inline constexpr std::string_view kVersionFlag = "--version";

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

// Prints "program: message" and the usage to standard error; returns kExitUsage.
int usageError(std::string_view program, std::string_view message, std::string_view usage);

// What the command line alone decides: with "--help" the usage and the help are printed, with
// "--version" the version text (calib/ProgramVersion.h), and the program ends with kExitOk (even
// after a fault further on); a fault ends it as a usage error. Nothing when the program goes on.
std::optional<int> exitBeforeRunning(std::string_view program, const Options& options,
                                     const std::string& error, std::string_view usage,
                                     std::string_view helpText);

// What a program is on the command line.
struct Program {
    std::string_view name;
    OptionRules rules;
    std::string_view usage;
    std::string_view helpText;
};

// A program's whole run: reads the command line, ends as exitBeforeRunning decides, and else
// returns what `run` returns on the options read. A run that succeeded but could not write its
// output (a closed pipe, a full disk) has failed after all: kExitFailed.
int runProgram(const Program& program, int argc, char** argv,
               const std::function<int(Options&)>& run);

}  // namespace kova::tool
