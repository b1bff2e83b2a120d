#include "platform/WindowFrame.h"

#include <gtest/gtest.h>

#include "platform/WindowDirectory.h"

namespace kova {
namespace {

WindowMessage copyData(std::uint64_t dwData, std::uint32_t cbData, std::string block) {
    WindowMessage m;
    m.kind = FrameKind::Send;
    m.msg = kCopyDataMessage;
    m.dwData = dwData;
    m.cbData = cbData;
    m.data = std::move(block);
    return m;
}

std::string header(std::uint32_t magic, std::uint32_t kind, std::uint32_t size) {
    std::string frame = encodeFrame(WindowMessage{});
    for (int i = 0; i < 4; ++i) {
        frame[i] = static_cast<char>(magic >> (8 * i));
        frame[4 + i] = static_cast<char>(kind >> (8 * i));
        frame[40 + i] = static_cast<char>(size >> (8 * i));
    }
    return frame;
}

TEST(WindowFrameTest, FieldsSitAtTheirOffsetsLittleEndian) {
    WindowMessage m = copyData(0x0102030405060708ULL, 1244, "ab");
    m.wParam = 0x1112131415161718ULL;
    m.lParam = -2;
    const std::string f = encodeFrame(m);
    ASSERT_EQ(f.size(), kFrameHeaderSize + 2);
    EXPECT_EQ(f.substr(0, 4), "KWM1");
    EXPECT_EQ(f[4], '\x01');  // kind: send
    EXPECT_EQ(f.substr(8, 4), std::string("\x4A\0\0\0", 4));
    EXPECT_EQ(f[12], '\x18');  // wParam, lowest byte first
    EXPECT_EQ(f[19], '\x11');
    EXPECT_EQ(f[20], '\xFE');  // lParam -2: FE FF .. FF
    EXPECT_EQ(f.substr(21, 7), std::string(7, '\xFF'));
    EXPECT_EQ(f[28], '\x08');                                    // dwData
    EXPECT_EQ(f.substr(36, 4), std::string("\xDC\x04\0\0", 4));  // cbData 1244
    EXPECT_EQ(f.substr(40, 4), std::string("\x02\0\0\0", 4));    // size of the block
    EXPECT_EQ(f.substr(44), "ab");
}

TEST(WindowFrameTest, ReaderReassemblesFramesFedInAnyPieces) {
    WindowMessage first = copyData(4, 1224, std::string(1224, '\0'));
    first.data[0] = 'A';
    WindowMessage second;
    second.msg = 1073;
    second.lParam = -7;
    const std::string bytes = encodeFrame(first) + encodeFrame(second);

    for (std::size_t piece : {std::size_t{1}, std::size_t{7}, bytes.size()}) {
        FrameReader reader;
        std::vector<WindowMessage> got;
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            reader.append(std::string_view(bytes).substr(at, piece));
            WindowMessage m;
            while (reader.next(m) == FrameReader::Status::Frame) {
                got.push_back(m);
            }
        }
        ASSERT_EQ(got.size(), 2u) << "pieces of " << piece;
        EXPECT_EQ(got[0].kind, FrameKind::Send);
        EXPECT_EQ(got[0].cbData, 1224u);
        EXPECT_EQ(got[0].dwData, 4u);
        EXPECT_EQ(got[0].data, first.data);
        EXPECT_EQ(got[1].kind, FrameKind::Post);
        EXPECT_EQ(got[1].msg, 1073u);
        EXPECT_EQ(got[1].lParam, -7);
        EXPECT_TRUE(got[1].data.empty());
        EXPECT_TRUE(reader.empty());
    }
}

TEST(WindowFrameTest, MalformedHeadersAreFinalAndTheLargestBlockIsNot) {
    struct Case {
        const char* what;
        std::string bytes;
        FrameReader::Status expected;
    };
    const Case cases[] = {
        {"bad magic", header(0x314D574C, 1, 0), FrameReader::Status::Malformed},
        {"kind 0", header(kFrameMagic, 0, 0), FrameReader::Status::Malformed},
        {"kind 3", header(kFrameMagic, 3, 0), FrameReader::Status::Malformed},
        {"block over the limit", header(kFrameMagic, 1, kMaxFrameData + 1),
         FrameReader::Status::Malformed},
        {"largest block, not yet complete", header(kFrameMagic, 2, kMaxFrameData),
         FrameReader::Status::NeedMore},
        {"header cut short", header(kFrameMagic, 1, 0).substr(0, 43),
         FrameReader::Status::NeedMore},
    };
    for (const Case& c : cases) {
        FrameReader reader;
        reader.append(c.bytes);
        WindowMessage m;
        EXPECT_EQ(reader.next(m), c.expected) << c.what;
        if (c.expected == FrameReader::Status::Malformed) {
            // Good bytes after a bad frame do not revive the connection.
            reader.append(encodeFrame(WindowMessage{}));
            EXPECT_EQ(reader.next(m), FrameReader::Status::Malformed) << c.what;
        }
    }
    WindowMessage tooLarge;
    tooLarge.data.assign(kMaxFrameData + 1, 'x');
    EXPECT_TRUE(encodeFrame(tooLarge).empty());
}

TEST(WindowFrameTest, ResultsRoundTrip) {
    for (std::int64_t r : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{1} << 40}) {
        const std::string bytes = encodeResult(r);
        char raw[kFrameResultSize];
        ASSERT_EQ(bytes.size(), sizeof raw);
        std::copy(bytes.begin(), bytes.end(), raw);
        EXPECT_EQ(decodeResult(raw), r);
    }
}

TEST(WindowDirectoryTest, KeysFoldOnlyAsciiLetters) {
    EXPECT_EQ(windowKey("LED0"), "6c656430");
    EXPECT_EQ(windowKey("led0"), windowKey("LED0"));
    EXPECT_EQ(windowKey("标定"), "e6a087e5ae9a");  // UTF-8 bytes, unchanged
    EXPECT_NE(windowKey("Ä"), windowKey("ä"));
    EXPECT_EQ(windowKey(""), "");
}

TEST(WindowDirectoryTest, LongTitlesKeepAPrefixAndAHashOfTheWhole) {
    const std::string hundred(100, 'a');
    std::string whole;
    for (int i = 0; i < 100; ++i) {
        whole += "61";
    }
    EXPECT_EQ(windowKey(hundred), whole);  // 200 digits: kept whole
    // The hash is FNV-1a 64 of the folded title, 101 times "a", worked out separately.
    const std::string key = windowKey(hundred + "A");
    EXPECT_EQ(key, whole + "-35feac92c3f8efc8");
    EXPECT_EQ(key, windowKey(hundred + "a"));  // letter case still does not count
    EXPECT_NE(key, windowKey(hundred + "b"));  // the hash tells titles with one prefix apart
    const auto parsed = parseWindowSocketName(key + ".17.0.sock");
    ASSERT_TRUE(parsed.has_value());
    EXPECT_TRUE(parsed->shortened);
    EXPECT_EQ(parsed->key, key);
    EXPECT_EQ(parsed->title, hundred);
    for (const std::string& bad :
         {key.substr(0, 216), key.substr(0, 216) + "g", hundred + hundred + "616"}) {
        EXPECT_FALSE(parseWindowSocketName(bad + ".17.0.sock").has_value()) << bad;
    }
}

TEST(WindowDirectoryTest, SocketNamesParseOnlyInTheirOwnForm) {
    const auto parsed = parseWindowSocketName(windowKey("Kova") + ".4242.3.sock");
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->title, "kova");
    EXPECT_EQ(parsed->pid, 4242);
    ASSERT_TRUE(parseWindowSocketName(".17.0.sock").has_value());  // the empty title
    EXPECT_EQ(parseWindowSocketName(".17.0.sock")->title, "");
    for (const char* bad :
         {"6b6f7661.4242.3", "6b6f766.1.2.sock", "6b6f7661.x.2.sock", "6b6f7661.1..sock",
          "6B6F7661.1.2.sock", "zz.1.2.sock", ".bind.99.0", "6b6f7661.1.sock"}) {
        EXPECT_FALSE(parseWindowSocketName(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace kova
