#include "led/LedProtocol.h"

#include <gtest/gtest.h>

#include "platform/TextCodec.h"

namespace kova {
namespace {

TEST(LedProtocolTest, SetupTextsAreCutToNineBytesAtACharacterBoundary) {
    const struct {
        const char* given;
        const char* kept;
    } cases[] = {
        {"ABCDEFGHIJK", "ABCDEFGHI"},
        {"一二三四五", "一二三四"},  // 10 bytes: the fifth character does not fit whole
        {"A一二三四", "A一二三四"},  // exactly 9 bytes
        {"", ""},
    };
    for (const auto& c : cases) {
        const LedSetupRecord record = packLedSetup({c.given, -1, 0, 7, c.given});
        EXPECT_EQ(record[9], 0) << "text 1 keeps its zero byte";
        EXPECT_EQ(record[31], 0) << "text 2 keeps its zero byte";
        const LedSetup back =
            unpackLedSetup(std::string_view(reinterpret_cast<const char*>(record.data()), 32));
        EXPECT_EQ(back.text1, c.kept) << c.given;
        EXPECT_EQ(back.text2, c.kept) << c.given;
        EXPECT_EQ(back.value1, -1);
        EXPECT_EQ(back.value3, 7);
    }
}

TEST(LedProtocolTest, TextBlocksAreAlways1224BytesWithTheTextCutWhole) {
    std::string longText;
    for (int i = 0; i < 612; ++i) {
        longText += "屏";  // 1224 GBK bytes: one character too many
    }
    const struct {
        std::string text;
        std::size_t keptBytes;
    } cases[] = {{"", 0}, {"12.5", 4}, {longText, 1222}, {"A" + longText, 1223}};
    for (const auto& c : cases) {
        const std::string block = ledTextBlock(c.text);
        ASSERT_EQ(block.size(), 1224u);
        EXPECT_EQ(block.find('\0'), c.keptBytes);
        EXPECT_EQ(block.find_first_not_of('\0', c.keptBytes), std::string::npos);
        EXPECT_EQ(block.substr(0, c.keptBytes), utf8ToGbk(c.text).substr(0, c.keptBytes));
    }
}

TEST(LedProtocolTest, ServersTellCommandsByTheLengthWordOfCopyData) {
    const struct {
        std::uint32_t msg;
        std::uint32_t lengthWord;
        LedCommand command;
    } cases[] = {
        {kCopyDataMessage, 1234, LedCommand::Init},  {kCopyDataMessage, 1264, LedCommand::Close},
        {kCopyDataMessage, 1244, LedCommand::Clear}, {kCopyDataMessage, 1224, LedCommand::Write},
        {kCopyDataMessage, 4, LedCommand::Other},    {1073, 1224, LedCommand::Other},
    };
    for (const auto& c : cases) {
        WindowMessage m = ledMessage(0, c.lengthWord, {});
        m.msg = c.msg;
        EXPECT_EQ(decodeLedMessage(m).command, c.command) << c.msg << " " << c.lengthWord;
    }
    // A block without a zero byte, or shorter than its size, still reads safely.
    EXPECT_EQ(decodeLedMessage(ledMessage(4, 1224, utf8ToGbk("屏幕"))).text, "屏幕");
    EXPECT_EQ(decodeLedMessage(ledMessage(32, 1234, "AB")).setup.text1, "AB");
    EXPECT_EQ(decodeLedMessage(ledMessage(32, 1234, "AB")).setup.value1, 0);
}

}  // namespace
}  // namespace kova
