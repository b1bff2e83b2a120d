// kovaini: the line's GBK ini profile files from the command line, for technicians and scripts.
// Every read and write goes through the same ini layer the tool uses.

#include <charconv>
#include <cstddef>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ToolOptions.h"
#include "platform/IniFile.h"

namespace {

constexpr int kOk = kova::tool::kExitOk;
constexpr int kWriteFailed = kova::tool::kExitFailed;

constexpr std::size_t kDefaultBufferSize = 256;

constexpr std::string_view kUsage =
    "Usage: kovaini get FILE SECTION KEY [--default TEXT] [--size N]\n"
    "   or: kovaini getint FILE SECTION KEY [--default N]\n"
    "   or: kovaini set FILE SECTION KEY VALUE\n"
    "   or: kovaini --help | --version\n";

constexpr std::string_view kHelp =
    "\n"
    "Reads and writes the KOVA line's ini profile files with the rules the line's programs use:\n"
    "section and key names match without regard to ASCII letter case, and only the line a\n"
    "write affects changes; every other byte of the file stays as it was.\n"
    "\n"
    "  get     prints the value and a newline. A missing file, section or key prints the\n"
    "          default (--default, else empty) without its trailing spaces. The text is cut to\n"
    "          at most N-1 GBK bytes without splitting a character (--size, default 256).\n"
    "  getint  prints the integer the value begins with (sign and decimal digits; 0 when there\n"
    "          are none). A missing key, or one with an empty value, prints the default\n"
    "          (--default, else 0).\n"
    "  set     writes one key, creating the file, the section and the key as needed. A value,\n"
    "          key or section with a line break or NUL, a key with \"=\" or beginning with \"[\" "
    "or\n"
    "          \";\", or a character GBK cannot hold is refused and the file left untouched.\n"
    "          So is any write to a read-only file: one without a write permission bit, or in\n"
    "          a directory this user cannot write (root included).\n"
    "\n"
    "FILE is a Windows-style path (D:\\config\\Calib.ini; drive X: is $KOVA_DRIVE_X, else\n"
    "$KOVA_DRIVES/x) or a host path. Arguments and output are UTF-8; the file stays GBK (UTF-8\n"
    "when it starts with a UTF-8 byte-order mark). Options may stand anywhere; \"--\" ends them,\n"
    "so a value may begin with \"-\".\n"
    "\n"
    "Exit status: 0 success, 1 the write was refused or failed (the reason on standard error),\n"
    "2 usage error.\n";

struct Arguments {
    std::vector<std::string> positional;
    std::optional<std::string> defaultValue;
    std::optional<std::string> size;
};

int usageError(const std::string& message) {
    return kova::tool::usageError("kovaini", message, kUsage);
}

// Options may stand anywhere; "--" ends them.
const kova::tool::Program kProgram{"kovaini", {{"--help"}, {"--default", "--size"}}, kUsage, kHelp};

Arguments argumentsOf(kova::tool::Options& options) {
    Arguments out;
    out.positional = std::move(options.positional);
    out.defaultValue = options.value("--default");
    out.size = options.value("--size");
    return out;
}

template <typename Number>
std::optional<Number> parseNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

int run(const Arguments& args) {
    const std::string& command = args.positional[0];
    const std::size_t expected = command == "set" ? 5 : 4;
    if (command != "get" && command != "getint" && command != "set") {
        return usageError("unknown command " + command);
    }
    if (args.positional.size() != expected) {
        return usageError(command + " takes " + std::to_string(expected - 1) + " arguments");
    }
    if (args.size && command != "get") {
        return usageError("--size applies only to get");
    }
    if (args.defaultValue && command == "set") {
        return usageError("--default does not apply to set");
    }
    const kova::IniFile file(args.positional[1]);
    const std::string& section = args.positional[2];
    const std::string& key = args.positional[3];

    if (command == "get") {
        std::size_t size = kDefaultBufferSize;
        if (args.size) {
            const std::optional<std::size_t> parsed = parseNumber<std::size_t>(*args.size);
            if (!parsed) {
                return usageError("--size needs a non-negative whole number, not " + *args.size);
            }
            size = *parsed;
        }
        std::cout << file.readString(section, key, args.defaultValue.value_or(""), size) << '\n';
        return kOk;
    }
    if (command == "getint") {
        int fallback = 0;
        if (args.defaultValue) {
            const std::optional<int> parsed = parseNumber<int>(*args.defaultValue);
            if (!parsed) {
                return usageError("--default needs a whole number, not " + *args.defaultValue);
            }
            fallback = *parsed;
        }
        std::cout << file.readInt(section, key, fallback) << '\n';
        return kOk;
    }
    const kova::IniWriteResult result = file.writeString(section, key, args.positional[4]);
    if (!result) {
        std::cerr << "kovaini: " << result.reason << '\n';
        return kWriteFailed;
    }
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    return kova::tool::runProgram(kProgram, argc, argv, [](kova::tool::Options& options) {
        if (options.positional.empty()) {
            return usageError("no command given");
        }
        return run(argumentsOf(options));
    });
}
