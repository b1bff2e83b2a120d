// Reading the line's ini files: every rule with GBK files written here.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "platform/IniFile.h"

namespace kova {
namespace {

using test::gbk;

struct ReadCase {
    const char* rule;
    std::string file;  // bytes as stored
    std::string section;
    std::string key;
    std::string expected;
};

// Each case reads with default "DEF" and a buffer of 256.
class IniProfileTest : public ::testing::Test {
  protected:
    std::string read(const std::string& bytes, const std::string& section, const std::string& key,
                     const std::string& def = "DEF", std::size_t size = 256) {
        test::writeBytes(dir_ / "Calib.ini", bytes);
        return IniFile((dir_ / "Calib.ini").string()).readString(section, key, def, size);
    }
    int readInt(const std::string& bytes, const std::string& section, const std::string& key,
                int def = -77) {
        test::writeBytes(dir_ / "Calib.ini", bytes);
        return IniFile((dir_ / "Calib.ini").string()).readInt(section, key, def);
    }
    test::TempDir dir_;
};

TEST_F(IniProfileTest, ReadsLinesSectionsAndKeysAsTheLinesProgramsDo) {
    const std::vector<ReadCase> cases = {
        {"CRLF", "[S]\r\na=1\r\nb=2\r\n", "S", "b", "2"},
        {"LF", "[S]\na=1\nb=2\n", "S", "b", "2"},
        {"lone CR", "[S]\ra=1\rb=2\r", "S", "b", "2"},
        {"last line without end", "[S]\r\na=1\r\nb=2", "S", "b", "2"},
        {"blank lines", "\r\n  \t\r\n[S]\r\n\r\n \r\nb=2\r\n", "S", "b", "2"},
        {"name to the last ]", "[a[b]c]\r\nk=1\r\n", "a[b]c", "k", "1"},
        {"text after ] ignored", "[Sec] junk\r\nk=1\r\n", "Sec", "k", "1"},
        {"header name trimmed", "  [ \tSp ace\t ]\r\nk=1\r\n", "Sp ace", "k", "1"},
        {"[ without ] ignored", "[S]\r\na=1\r\n[broken\r\nb=2\r\n", "S", "b", "2"},
        {"[ without ] is no section", "[S]\r\n[broken\r\nb=2\r\n", "broken", "b", "DEF"},
        {"before the first header", "a=1\r\n[S]\r\nb=2\r\n", "", "a", "1"},
        {"section \"\" ends at the header", "a=1\r\n[S]\r\nb=2\r\n", "", "b", "DEF"},
        {"[] never found", "[]\r\nk=1\r\n", "", "k", "DEF"},
        {"[ ] never found", "[ ]\r\nk=1\r\n", " ", "k", "DEF"},
        {"comment", "[S]\r\n;a=1\r\n", "S", ";a", "DEF"},
        {"indented comment", "[S]\r\n  ;a=1\r\n", "S", "a", "DEF"},
        {"# is ordinary", "[S]\r\n#a=1\r\n", "S", "#a", "1"},
        {"NUL ends the content", std::string("[S]\r\na=1\0junk\r\n", 15), "S", "a", "1"},
        {"NUL before =", std::string("[S]\r\nb\0=2\r\n", 11), "S", "b", "DEF"},
        {"NUL hides ]", std::string("[T]\r\n[S\0]\r\nb=2\r\n", 16), "T", "b", "2"},
        {"key and value trimmed", "[S]\r\n \tkey one \t= v a l \t\r\n", "S", "key one", "v a l"},
        {"value keeps = and ;", "[S]\r\nk=a=b ;c\r\n", "S", "k", "a=b ;c"},
        {"key is text before the first =", "[S]\r\nk=a=b\r\n", "S", "k=a", "DEF"},
        {"line without = hides later key", "[S]\r\nk\r\nk=1\r\n", "S", "k", "DEF"},
        {"empty value", "[S]\r\nk=\r\n", "S", "k", ""},
        {"empty key", "[S]\r\n=v\r\n", "S", "", "v"},
        {"double quotes", "[S]\r\nk=\"abc\"\r\n", "S", "k", "abc"},
        {"single quotes", "[S]\r\nk='abc'\r\n", "S", "k", "abc"},
        {"quotes after trimming", "[S]\r\nk=  \" x \"  \r\n", "S", "k", " x "},
        {"empty quotes", "[S]\r\nk=\"\"\r\n", "S", "k", ""},
        {"lone quote", "[S]\r\nk=\"\r\n", "S", "k", "\""},
        {"one-sided quote", "[S]\r\nk=\"abc\r\n", "S", "k", "\"abc"},
        {"mismatched quotes", "[S]\r\nk=\"abc'\r\n", "S", "k", "\"abc'"},
        {"inner quote kept", "[S]\r\nk=\"a\"b\"\r\n", "S", "k", "a\"b"},
        {"ASCII case ignored", "[CheckParam]\r\nGao0Data=5\r\n", "checkparam", "GAO0DATA", "5"},
        {"caller's names trimmed", "[S]\r\nk=1\r\n", " \tS ", "\tk ", "1"},
        {"non-ASCII case kept", gbk("[S]\r\nΑ=1\r\n"), "S", "α", "DEF"},
        {"first section wins", "[S]\r\na=1\r\n[s]\r\na=2\r\nb=3\r\n", "S", "b", "DEF"},
        {"first key wins", "[S]\r\na=1\r\nA=2\r\n", "S", "a", "1"},
        {"Chinese names", gbk("[3通道]\r\n单位=毫米\r\n"), "3通道", "单位", "毫米"},
        {"0x80 is the euro sign", "[S]\r\nk=\x80\r\n", "S", "k", "€"},
        {"undecodable byte", "[S]\r\nk=a\xFF\r\n", "S", "k", "a\xEF\xBF\xBD"},
        {"unassigned pair is one character", "[S]\r\nk=\xD7\xFAx\r\n", "S", "k", "\xEF\xBF\xBDx"},
        {"UTF-8 file", "\xEF\xBB\xBF[通道]\r\nk=值\r\n", "通道", "K", "值"},
        {"missing section", "[S]\r\nk=1\r\n", "T", "k", "DEF"},
        {"missing key", "[S]\r\nk=1\r\n", "S", "j", "DEF"},
    };
    for (const ReadCase& c : cases) {
        EXPECT_EQ(read(c.file, c.section, c.key), c.expected) << c.rule;
    }
}

// A GBK trail byte equal to an ASCII letter, "[", "]" or "\" belongs to its character: it is
// never syntax and never folded.
TEST_F(IniProfileTest, TrailBytesAreNeverSyntaxNorFolded) {
    const std::string yuan = "圓";       // 88 41: trail 'A'
    const std::string qin = "坅";        // 88 61: trail 'a'
    const std::string close = "乚";      // 81 5D: trail ']'
    const std::string open = "乕";       // 81 5B: trail '['
    const std::string backslash = "乗";  // 81 5C: trail '\'
    ASSERT_EQ(gbk(yuan), "\x88\x41");
    ASSERT_EQ(gbk(close), "\x81\x5D");

    const std::string keys = gbk("[S]\r\n" + yuan + "=1\r\n" + qin + "=2\r\n");
    EXPECT_EQ(read(keys, "S", yuan), "1");
    EXPECT_EQ(read(keys, "S", qin), "2");

    // The name runs to the last real "]", not to a trail byte equal to it.
    const std::string header = gbk("[a" + close + "]\r\nk=1\r\n");
    EXPECT_EQ(read(header, "a" + close, "k"), "1");
    const std::string onlyTrail = gbk("[T]\r\n[a" + close + "\r\nk=1\r\n");
    EXPECT_EQ(read(onlyTrail, "T", "k"), "1") << "a [ line without a real ] is ignored";
    EXPECT_EQ(read(onlyTrail, "a", "k"), "DEF");

    // A line starting with a character whose trail byte is "[" is a key line, not a header.
    const std::string keyLine = gbk("[S]\r\n" + open + "=1\r\n" + backslash + "=2\r\n");
    EXPECT_EQ(read(keyLine, "S", open), "1");
    EXPECT_EQ(read(keyLine, "S", backslash), "2");
}

TEST_F(IniProfileTest, CutsToTheBufferWithoutSplittingCharacters) {
    const std::string file = gbk("[S]\r\nk=中文abc\r\nu=\xEF\xBF\xBD\r\n");
    struct Cut {
        std::size_t size;
        std::string expected;
    };
    for (const Cut& c : std::vector<Cut>{{0, ""},
                                         {1, ""},
                                         {2, ""},
                                         {3, "中"},
                                         {4, "中"},
                                         {5, "中文"},
                                         {6, "中文a"},
                                         {9, "中文abc"},
                                         {100, "中文abc"}}) {
        EXPECT_EQ(read(file, "S", "k", "DEF", c.size), c.expected) << "size " << c.size;
    }
    // The default is cut the same way, after its trailing spaces go.
    EXPECT_EQ(read(file, "S", "none", "中文  ", 4), "中");
    EXPECT_EQ(read(file, "S", "none", "ab  ", 256), "ab");
    EXPECT_EQ(read(file, "S", "none", "ab\t ", 256), "ab\t");
    EXPECT_EQ(read(file, "S", "none", " ", 256), "");
    // Undecodable bytes read as U+FFFD, which counts as one byte.
    const std::string raw = "[S]\r\nk=\xFF\xFF\xFF\r\n";
    EXPECT_EQ(read(raw, "S", "k", "", 3), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST_F(IniProfileTest, ReadsIntegersByTheirLeadingDigits) {
    struct IntCase {
        std::string value;
        int expected;
    };
    const std::vector<IntCase> cases = {
        {"42", 42},
        {"  -12abc", -12},
        {"+7", 7},
        {"abc", 0},
        {"0x10", 0},
        {"3.9", 3},
        {"\"42\"", 42},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"- 5", 0},
        {"\"\"", -77},
        {"", -77},
    };
    for (const IntCase& c : cases) {
        EXPECT_EQ(readInt("[S]\r\nk=" + c.value + "\r\n", "S", "k"), c.expected) << c.value;
    }
    EXPECT_EQ(readInt("[S]\r\nk\r\n", "S", "k"), -77) << "a line without =";
    EXPECT_EQ(readInt("[S]\r\n", "S", "k"), -77) << "missing key";
}

TEST_F(IniProfileTest, MissingOrUnreadableFileGivesDefaults) {
    const IniFile missing((dir_ / "none" / "Calib.ini").string());
    EXPECT_EQ(missing.readString("S", "k", "def  ", 256), "def");
    EXPECT_EQ(missing.readInt("S", "k", 9), 9);
    const IniFile directory(dir_.path().string());
    EXPECT_EQ(directory.readString("S", "k", "d", 256), "d");
}

}  // namespace
}  // namespace kova
