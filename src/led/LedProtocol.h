#pragma once
// The copy-data messages between the LED client and the serial-port server. The command travels
// in the length word; the data blocks have fixed sizes whatever their content.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/WindowFrame.h"

namespace kova {

inline constexpr std::uint32_t kLedInitCommand = 1234;
inline constexpr std::uint32_t kLedCloseCommand = 1264;
inline constexpr std::uint32_t kLedClearCommand = 1244;
inline constexpr std::uint32_t kLedWriteCommand = 1224;

inline constexpr std::uint64_t kLedInitDataWord = 32;
inline constexpr std::uint64_t kLedWriteDataWord = 4;

inline constexpr std::size_t kLedSetupRecordSize = 32;
inline constexpr std::size_t kLedSetupTextBytes = 9;  // each text of the setup record
inline constexpr std::size_t kLedTextBytes = 1223;    // a sent text, without its zero byte

using LedSetupRecord = std::array<unsigned char, kLedSetupRecordSize>;

// The five values of InitLed; texts in UTF-8.
struct LedSetup {
    std::string text1;
    std::int32_t value1 = 0;
    std::int32_t value2 = 0;
    std::int32_t value3 = 0;
    std::string text2;
};

// Little-endian, back to back: text at 0 (10 bytes), integers at 10, 14 and 18, text at 22
// (10 bytes). Texts in GBK, cut to 9 bytes at a character boundary, zero-terminated.
LedSetupRecord packLedSetup(const LedSetup& setup);
// Reads a record; a shorter one counts as zero-padded.
LedSetup unpackLedSetup(std::string_view record);

// 1234 bytes: the record, then zeros.
std::string ledInitBlock(const LedSetupRecord& record);
// 1224 bytes: the text in GBK cut to 1223 bytes at a character boundary, then zeros.
std::string ledTextBlock(std::string_view utf8);

// The copy-data message of a command, as the client sends it.
WindowMessage ledMessage(std::uint64_t dataWord, std::uint32_t lengthWord, std::string block);

enum class LedCommand { Init, Close, Clear, Write, Other };

// What a server makes of a message.
struct LedRequest {
    LedCommand command = LedCommand::Other;
    std::string text;  // Write: the text in UTF-8, up to its zero byte
    LedSetup setup;    // Init
};

LedRequest decodeLedMessage(const WindowMessage& message);
std::string_view ledCommandName(LedCommand command);

}  // namespace kova
