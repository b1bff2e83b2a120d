#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace kova {
namespace {

// GBK bytes of a few characters used below.
const std::string kZhongGbk = "\xD6\xD0";  // 中
const std::string kYuanGbk = "\x88\x41";   // 圓: trail byte 'A'
const std::string kQinGbk = "\x88\x61";    // a character whose trail byte is 'a'

TEST(TextCodecTest, RoundTripsChineseAndAscii) {
    const std::string text = "通道3 工位 数字输出";
    const std::string gbk = utf8ToGbk(text);
    EXPECT_EQ(gbk.size(), 2 * 8 + 3);
    EXPECT_EQ(gbkToUtf8(gbk), text);
    EXPECT_EQ(utf8ToGbk("中"), kZhongGbk);
    EXPECT_EQ(gbkToUtf8(kZhongGbk), "中");
}

TEST(TextCodecTest, TrailBytesThatLookLikeAsciiStayPartOfTheCharacter) {
    const std::string yuan = gbkToUtf8(kYuanGbk);
    const std::string other = gbkToUtf8(kQinGbk);
    EXPECT_EQ(yuan.find('A'), std::string::npos);
    EXPECT_NE(yuan, other);
    EXPECT_FALSE(equalsIgnoreAsciiCase(yuan, other));
    EXPECT_EQ(utf8ToGbk(yuan), kYuanGbk);
    // '[' (0x5B), ']' (0x5D) and '\' (0x5C) as trail bytes are one character with their lead.
    for (const std::string pair : {"\x81\x5B", "\x81\x5D", "\x81\x5C"}) {
        const std::string u = gbkToUtf8(pair);
        EXPECT_EQ(u.find_first_of("[]\\"), std::string::npos) << u;
        EXPECT_EQ(utf8ToGbk(u), pair);
    }
}

TEST(TextCodecTest, InvalidInputNeverCrashes) {
    EXPECT_EQ(gbkToUtf8("\x80"), "€");
    EXPECT_EQ(gbkToUtf8("\xFF"), "\xEF\xBF\xBD");    // not a lead byte
    EXPECT_EQ(gbkToUtf8("a\xD6"), "a\xEF\xBF\xBD");  // lead byte at the end
    EXPECT_EQ(gbkToUtf8("\xD6\x30"),
              "\xEF\xBF\xBD"
              "0");                                 // lead followed by a non-trail
    EXPECT_EQ(utf8ToGbk("a\xC3"), "a?");            // truncated UTF-8
    EXPECT_EQ(utf8ToGbk("\xF0\x9F\x98\x80"), "?");  // outside GBK
    EXPECT_EQ(utf8ToGbk("€"), "\x80");
    EXPECT_FALSE(isGbkEncodable("\xF0\x9F\x98\x80"));
    EXPECT_FALSE(isGbkEncodable("\xC3"));
    EXPECT_TRUE(isGbkEncodable("工位 abc"));
    EXPECT_EQ(utf8ToGbk(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(TextCodecTest, CutsToByteLimitsWithoutSplittingCharacters) {
    EXPECT_EQ(gbkLength("a中b"), 4u);
    EXPECT_EQ(gbkLength("\xF0\x9F\x98\x80"), 1u);  // no GBK form counts as one byte
    EXPECT_EQ(cutToGbkBytes("a中b", 2), "a");
    EXPECT_EQ(cutToGbkBytes("a中b", 3), "a中");
    EXPECT_EQ(cutToGbkBytes("a中b", 9), "a中b");
    EXPECT_EQ(cutToGbkBytes("中", 0), "");
    EXPECT_EQ(cutGbkBytes("a" + kZhongGbk + "b", 2), "a");
    EXPECT_EQ(cutGbkBytes("a" + kZhongGbk + "b", 3), "a" + kZhongGbk);
    EXPECT_EQ(cutGbkBytes("\xD6", 1), "\xD6");  // a lone lead byte is one character
}

TEST(TextCodecTest, CaseFoldingTouchesOnlyAsciiLetters) {
    EXPECT_TRUE(equalsIgnoreAsciiCase("Di0Data", "di0data"));
    EXPECT_TRUE(equalsIgnoreAsciiCase("通道A", "通道a"));
    EXPECT_FALSE(equalsIgnoreAsciiCase("[", "{"));
    EXPECT_FALSE(equalsIgnoreAsciiCase("ab", "abc"));
    EXPECT_EQ(asciiLower("AbC通道Z"), "abc通道z");
}

}  // namespace
}  // namespace kova
