#include "KovaMsg.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <limits>

#include "platform/HostPath.h"
#include "platform/TextCodec.h"

namespace kova {
namespace {

bool parseInto(std::string_view text, bool allowNegative, std::int64_t low, std::int64_t high,
               std::int64_t& out) {
    std::int64_t value = 0;
    if (!parseMessageNumber(text, allowNegative, value) || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

// Reads MSG [WPARAM LPARAM] from args[at...].
bool parseMessageFields(const std::vector<std::string>& args, std::size_t at,
                        KovaMsgCommand& command) {
    const std::size_t count = args.size() - at;
    if (count != 1 && count != 3) {
        command.error = "expected MSG, or MSG WPARAM LPARAM";
        return false;
    }
    std::int64_t msg = 0;
    std::int64_t wParam = 0;
    std::int64_t lParam = 0;
    const std::int64_t max32 = std::numeric_limits<std::uint32_t>::max();
    if (!parseInto(args[at], false, 0, max32, msg)) {
        command.error = "MSG is not a message number: " + args[at];
        return false;
    }
    if (count == 3 &&
        (!parseInto(args[at + 1], false, 0, std::numeric_limits<std::int64_t>::max(), wParam) ||
         !parseMessageNumber(args[at + 2], true, lParam))) {
        command.error = "WPARAM and LPARAM must be numbers";
        return false;
    }
    command.message.msg = static_cast<std::uint32_t>(msg);
    command.message.wParam = static_cast<std::uint64_t>(wParam);
    command.message.lParam = lParam;
    return true;
}

bool parseCopyData(const std::vector<std::string>& args, std::size_t at, KovaMsgCommand& command) {
    std::vector<std::string> positional;
    for (std::size_t i = at; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--text" || a == "--file" || a == "--pad" || a == "--length";
        if (takesValue && i + 1 == args.size()) {
            command.error = a + " needs a value";
            return false;
        }
        std::int64_t number = 0;
        if (a == "--text") {
            command.text = args[++i];
            command.haveText = true;
        } else if (a == "--file") {
            command.file = args[++i];
        } else if (a == "--pad" || a == "--length") {
            if (!parseInto(args[++i], false, 0, std::numeric_limits<std::uint32_t>::max(),
                           number)) {
                command.error = a + " needs a byte count";
                return false;
            }
            (a == "--pad" ? command.pad : command.length) = number;
        } else {
            positional.push_back(a);
        }
    }
    std::int64_t dwData = 0;
    if (positional.size() != 2 || !parseMessageNumber(positional[1], false, dwData)) {
        command.error = "expected TITLE DWDATA";
        return false;
    }
    const int sources = (command.haveText ? 1 : 0) + (command.file.empty() ? 0 : 1);
    if (sources > 1 || (sources == 0 && command.length < 0)) {
        command.error = "give one of --text and --file (or only --length for no block)";
        return false;
    }
    command.titles = {positional[0]};
    command.message.msg = kCopyDataMessage;
    command.message.dwData = static_cast<std::uint64_t>(dwData);
    return true;
}

}  // namespace

std::string kovaMsgUsage() {
    return "Usage: kovamsg COMMAND ...\n"
           "   or: kovamsg --help | --version\n"
           "Lists and messages the titled windows of the line's programs.\n"
           "  list                          the windows present (titles in lower case)\n"
           "  listen [--hex] TITLE...       own these windows, print every message, answer 0\n"
           "  post TITLE MSG [WPARAM LPARAM]   posts the message, waits for no answer\n"
           "  send [--timeout MS] TITLE MSG [WPARAM LPARAM]   prints the result\n"
           "  copydata [--timeout MS] TITLE DWDATA (--text T | --file F) [--pad N] [--length N]\n"
           "        sends copy-data: T in GBK with its zero byte, or F's bytes; --pad fills the\n"
           "        block with zeros to N bytes; --length sets the length word (default: the\n"
           "        block's size; alone it sends no block)\n"
           "Numbers are decimal or 0x hexadecimal. Exit status: 0 done, 1 not delivered, 2 "
           "usage.\n";
}

bool parseMessageNumber(std::string_view text, bool allowNegative, std::int64_t& out) {
    bool negative = false;
    if (allowNegative && !text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    const auto max = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (magnitude > max + (negative ? 1 : 0)) {
        return false;
    }
    out =
        negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

KovaMsgCommand parseKovaMsgArguments(const std::vector<std::string>& input) {
    KovaMsgCommand command;
    std::vector<std::string> args;
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (input[i] == "--help" || input[i] == "-h") {
            command.verb = KovaMsgVerb::Help;
            return command;
        }
        if (input[i] == "--version") {
            command.verb = KovaMsgVerb::Version;
            return command;
        }
        if (input[i] == "--hex") {
            command.hex = true;
        } else if (input[i] == "--timeout") {
            std::int64_t ms = 0;
            if (i + 1 == input.size() || !parseInto(input[i + 1], false, 1, 600000, ms)) {
                command.error = "--timeout needs milliseconds (1 to 600000)";
                return command;
            }
            command.timeout = std::chrono::milliseconds(ms);
            ++i;
        } else {
            args.push_back(input[i]);
        }
    }
    if (args.empty()) {
        command.error = "no command given";
        return command;
    }
    const std::string& verb = args[0];
    if (verb == "list" && args.size() == 1) {
        command.verb = KovaMsgVerb::List;
    } else if (verb == "listen" && args.size() >= 2) {
        command.verb = KovaMsgVerb::Listen;
        command.titles.assign(args.begin() + 1, args.end());
    } else if ((verb == "post" || verb == "send") && args.size() >= 3) {
        command.verb = verb == "post" ? KovaMsgVerb::Post : KovaMsgVerb::Send;
        command.titles = {args[1]};
        parseMessageFields(args, 2, command);
    } else if (verb == "copydata") {
        command.verb = KovaMsgVerb::CopyData;
        parseCopyData(args, 1, command);
    } else {
        command.error = "unknown command or wrong arguments: " + verb;
    }
    return command;
}

bool buildCopyData(KovaMsgCommand& command, std::string& error) {
    std::string block;
    if (command.haveText) {
        block = utf8ToGbk(command.text);
        block += '\0';
    } else if (!command.file.empty()) {
        std::ifstream in(hostPath(command.file), std::ios::binary);
        if (!in) {
            error = "cannot read " + command.file;
            return false;
        }
        block.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (command.pad >= 0 && static_cast<std::size_t>(command.pad) > block.size()) {
        block.resize(static_cast<std::size_t>(command.pad), '\0');
    }
    if (block.size() > kMaxFrameData) {
        error = "block over " + std::to_string(kMaxFrameData) + " bytes";
        return false;
    }
    command.message.cbData = command.length >= 0 ? static_cast<std::uint32_t>(command.length)
                                                 : static_cast<std::uint32_t>(block.size());
    command.message.data = std::move(block);
    return true;
}

std::string describeMessage(std::string_view title, const WindowMessage& message, bool hex) {
    std::string line(title);
    line += message.kind == FrameKind::Send ? "\tsend" : "\tpost";
    line += "\tmsg=" + std::to_string(message.msg);
    line += "\twParam=" + std::to_string(message.wParam);
    line += "\tlParam=" + std::to_string(message.lParam);
    if (message.msg == kCopyDataMessage) {
        line += "\tdwData=" + std::to_string(message.dwData);
        line += "\tcbData=" + std::to_string(message.cbData);
        line += "\tsize=" + std::to_string(message.data.size());
        const std::string_view block = message.data;
        line += "\ttext=" + gbkToUtf8(block.substr(0, block.find('\0')));
        if (hex) {
            static const char digits[] = "0123456789abcdef";
            line += "\thex=";
            for (unsigned char c : block) {
                line += digits[c >> 4];
                line += digits[c & 0x0F];
            }
        }
    }
    return line;
}

}  // namespace kova
