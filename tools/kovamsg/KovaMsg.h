#pragma once
// kovamsg: lists, stands in for and messages the titled windows of the line's programs.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WindowFrame.h"

namespace kova {

enum class KovaMsgVerb { Help, Version, List, Listen, Post, Send, CopyData };

struct KovaMsgCommand {
    KovaMsgVerb verb = KovaMsgVerb::Help;
    std::vector<std::string> titles;  // listen: all; others: the first
    WindowMessage message;            // post, send, copydata
    bool hex = false;                 // listen: also print each block in hex
    std::chrono::milliseconds timeout{2000};
    // copydata: the block comes from a text (GBK, with its zero byte) or a file, optionally
    // zero-padded; the length word defaults to the block's size.
    std::string text;
    std::string file;
    bool haveText = false;
    long long pad = -1;
    long long length = -1;
    std::string error;  // a usage error
};

KovaMsgCommand parseKovaMsgArguments(const std::vector<std::string>& args);
std::string kovaMsgUsage();

// Decimal, or hexadecimal after "0x"; a sign only where `allowNegative`. False when the text is
// not wholly a number of that range.
bool parseMessageNumber(std::string_view text, bool allowNegative, std::int64_t& out);

// copydata: fills the block and length word from the text, file and padding; false with the reason.
bool buildCopyData(KovaMsgCommand& command, std::string& error);

// The line `listen` prints for one message: title, kind and fields separated by tabs; for
// copy-data the block's text up to its zero byte in UTF-8, and the whole block in hex if asked.
std::string describeMessage(std::string_view title, const WindowMessage& message, bool hex);

}  // namespace kova
