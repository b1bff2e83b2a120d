#include "led/LedProtocol.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/TextCodec.h"

namespace kova {
namespace {

constexpr std::size_t kText1At = 0;
constexpr std::size_t kValue1At = 10;
constexpr std::size_t kValue2At = 14;
constexpr std::size_t kValue3At = 18;
constexpr std::size_t kText2At = 22;

// The protocol's commands: the length word each travels in, and its name in logs.
struct LedCommandRow {
    LedCommand command;
    std::uint32_t lengthWord;
    std::string_view name;
};

constexpr std::array<LedCommandRow, 4> kLedCommands{{
    {LedCommand::Init, kLedInitCommand, "init"},
    {LedCommand::Close, kLedCloseCommand, "close"},
    {LedCommand::Clear, kLedClearCommand, "clear"},
    {LedCommand::Write, kLedWriteCommand, "write"},
}};

void putText(LedSetupRecord& record, std::size_t at, std::string_view utf8) {
    const std::string gbk = utf8ToGbk(utf8);
    const std::string_view cut = cutGbkBytes(gbk, kLedSetupTextBytes);
    std::memcpy(record.data() + at, cut.data(), cut.size());
}

void putInt(LedSetupRecord& record, std::size_t at, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) {
        record[at + i] = static_cast<unsigned char>(bits >> (8 * i) & 0xFF);
    }
}

std::string getText(const LedSetupRecord& record, std::size_t at) {
    const auto* begin = reinterpret_cast<const char*>(record.data() + at);
    return gbkToUtf8(std::string_view(begin, strnlen(begin, kLedSetupTextBytes + 1)));
}

std::int32_t getInt(const LedSetupRecord& record, std::size_t at) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        bits |= static_cast<std::uint32_t>(record[at + i]) << (8 * i);
    }
    return static_cast<std::int32_t>(bits);
}

}  // namespace

LedSetupRecord packLedSetup(const LedSetup& setup) {
    LedSetupRecord record{};
    putText(record, kText1At, setup.text1);
    putInt(record, kValue1At, setup.value1);
    putInt(record, kValue2At, setup.value2);
    putInt(record, kValue3At, setup.value3);
    putText(record, kText2At, setup.text2);
    return record;
}

LedSetup unpackLedSetup(std::string_view bytes) {
    LedSetupRecord record{};
    std::memcpy(record.data(), bytes.data(), std::min(bytes.size(), record.size()));
    LedSetup setup;
    setup.text1 = getText(record, kText1At);
    setup.value1 = getInt(record, kValue1At);
    setup.value2 = getInt(record, kValue2At);
    setup.value3 = getInt(record, kValue3At);
    setup.text2 = getText(record, kText2At);
    return setup;
}

std::string ledInitBlock(const LedSetupRecord& record) {
    std::string block(kLedInitCommand, '\0');
    std::memcpy(block.data(), record.data(), record.size());
    return block;
}

std::string ledTextBlock(std::string_view utf8) {
    std::string block(kLedWriteCommand, '\0');
    const std::string gbk = utf8ToGbk(utf8);
    const std::string_view cut = cutGbkBytes(gbk, kLedTextBytes);
    std::memcpy(block.data(), cut.data(), cut.size());
    return block;
}

WindowMessage ledMessage(std::uint64_t dataWord, std::uint32_t lengthWord, std::string block) {
    WindowMessage message;
    message.msg = kCopyDataMessage;
    message.dwData = dataWord;
    message.cbData = lengthWord;
    message.data = std::move(block);
    return message;
}

LedRequest decodeLedMessage(const WindowMessage& message) {
    LedRequest request;
    if (message.msg != kCopyDataMessage) {
        return request;
    }
    const auto row =
        std::find_if(kLedCommands.begin(), kLedCommands.end(),
                     [&](const LedCommandRow& r) { return r.lengthWord == message.cbData; });
    if (row == kLedCommands.end()) {
        return request;
    }
    request.command = row->command;
    if (request.command == LedCommand::Init) {
        request.setup = unpackLedSetup(message.data);
    } else if (request.command == LedCommand::Write) {
        const std::string_view block = message.data;
        request.text = gbkToUtf8(block.substr(0, block.find('\0')));
    }
    return request;
}

std::string_view ledCommandName(LedCommand command) {
    const auto row = std::find_if(kLedCommands.begin(), kLedCommands.end(),
                                  [&](const LedCommandRow& r) { return r.command == command; });
    return row == kLedCommands.end() ? "other" : row->name;
}

}  // namespace kova
