// Writing the line's ini files: where each write goes, byte for byte, what is refused, and that a
// grouped write leaves what the same writes one by one would have left.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "platform/IniFile.h"

namespace kova {
namespace {

using test::gbk;

struct WriteCase {
    const char* rule;
    std::optional<std::string> before;  // nullopt: no file
    std::vector<IniWrite> writes;
    std::string after;
};

class IniWriteTest : public ::testing::Test {
  protected:
    std::string path(const char* name = "Calib.ini") const { return (dir_ / name).string(); }

    void put(const std::optional<std::string>& bytes, const char* name = "Calib.ini") {
        std::filesystem::remove(dir_ / name);
        if (bytes) {
            test::writeBytes(dir_ / name, *bytes);
        }
    }
    std::string bytes(const char* name = "Calib.ini") const { return test::readBytes(dir_ / name); }

    test::TempDir dir_;
};

TEST_F(IniWriteTest, PlacesEachWriteWhereTheLinesProgramsDo) {
    const std::vector<WriteCase> cases = {
        {"missing file", std::nullopt, {{"S", "k", "v"}}, "[S]\r\nk=v\r\n"},
        {"missing file, section \"\"", std::nullopt, {{"", "k", "v"}}, "k=v\r\n"},
        {"replace keeps spelling and line end",
         "[S]\n  Key = old \nz=1",
         {{"s", "KEY", "new"}},
         "[S]\nKey=new\nz=1"},
        {"replace on a last line without end", "[S]\ra=1\rb=2", {{"S", "b", "9"}}, "[S]\ra=1\rb=9"},
        {"line without = replaced",
         "[S]\r\nflag\r\nflag=0\r\n",
         {{"S", "FLAG", "1"}},
         "[S]\r\nflag=1\r\nflag=0\r\n"},
        {"first of duplicate keys",
         "[S]\r\na=1\r\na=2\r\n",
         {{"S", "a", "3"}},
         "[S]\r\na=3\r\na=2\r\n"},
        {"new key before the blank lines",
         "[A]\r\na=1\r\n\r\n\r\n[B]\r\nb=1\r\n",
         {{"A", "c", "3"}},
         "[A]\r\na=1\r\nc=3\r\n\r\n\r\n[B]\r\nb=1\r\n"},
        {"new key after comments and odd lines",
         "[A]\r\na=1\r\n;note\r\nbare\r\n[odd\r\n  \r\n[B]\r\n",
         {{"A", "c", "3"}},
         "[A]\r\na=1\r\n;note\r\nbare\r\n[odd\r\nc=3\r\n  \r\n[B]\r\n"},
        {"new key in a header-only section",
         "[A]\r\n\r\n[B]\r\n",
         {{"A", "c", "3"}},
         "[A]\r\nc=3\r\n\r\n[B]\r\n"},
        {"new key after a last line without end",
         "[A]\r\na=1",
         {{"A", "c", "3"}},
         "[A]\r\na=1\r\nc=3\r\n"},
        {"new key after a lone header without end", "[A]", {{"A", "c", "3"}}, "[A]\r\nc=3\r\n"},
        {"new key keeps LF file's other line ends",
         "[A]\na=1\n",
         {{"A", "c", "3"}},
         "[A]\na=1\nc=3\r\n"},
        {"new key goes into the first section of the name",
         "[A]\r\na=1\r\n[a]\r\nb=1\r\n",
         {{"A", "b", "2"}},
         "[A]\r\na=1\r\nb=2\r\n[a]\r\nb=1\r\n"},
        {"section \"\": after its last line",
         "a=1\r\n\r\n[S]\r\n",
         {{"", "b", "2"}},
         "a=1\r\n\r\nb=2\r\n[S]\r\n"},
        {"section \"\": at the start",
         "[S]\r\nx=1\r\n",
         {{"  ", "b", "2"}},
         "b=2\r\n[S]\r\nx=1\r\n"},
        {"section \"\": after the byte-order mark",
         "\xEF\xBB\xBF[S]\r\n",
         {{"", "b", "2"}},
         "\xEF\xBB\xBF"
         "b=2\r\n[S]\r\n"},
        {"section \"\": file without headers", "a=1", {{"", "b", "2"}}, "a=1\r\nb=2\r\n"},
        {"section \"\" is not []", "[]\r\nk=1\r\n", {{"", "k", "2"}}, "k=2\r\n[]\r\nk=1\r\n"},
        {"new section appended",
         "[A]\r\na=1\r\n\r\n",
         {{"B", "b", "2"}},
         "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n"},
        {"new section after a last line without end",
         "[A]\r\na=1",
         {{"B", "b", "2"}},
         "[A]\r\na=1\r\n[B]\r\nb=2\r\n"},
        {"new section into an empty file", "", {{"B", "b", "2"}}, "[B]\r\nb=2\r\n"},
        {"names written trimmed", std::nullopt, {{" \tS ", " k\t", " v "}}, "[S]\r\nk= v \r\n"},
        {"empty value", "[S]\r\nk=1\r\n", {{"S", "k", ""}}, "[S]\r\nk=\r\n"},
        {"GBK names and values",
         gbk("[3通道]\r\n单位=米\r\n"),
         {{"3通道", "单位", "毫米"}},
         gbk("[3通道]\r\n单位=毫米\r\n")},
        {"trail byte 'a' is not folded",
         gbk("[S]\r\n圓=1\r\n"),
         {{"S", "坅", "2"}},
         gbk("[S]\r\n圓=1\r\n坅=2\r\n")},
        {"trail byte ']' in a section name",
         gbk("[乚]\r\nk=1\r\n"),
         {{"乚", "k", "2"}},
         gbk("[乚]\r\nk=2\r\n")},
        {"euro sign", std::nullopt, {{"S", "k", "€"}}, "[S]\r\nk=\x80\r\n"},
        {"UTF-8 file stays UTF-8",
         "\xEF\xBB\xBF[通道]\r\n",
         {{"通道", "k", "值😀"}},
         "\xEF\xBB\xBF[通道]\r\nk=值😀\r\n"},
        {"quotes written as given", "[S]\r\n", {{"S", "k", "\"a b\""}}, "[S]\r\nk=\"a b\"\r\n"},
        // 锘縜 is EF BB BF 61 in GBK: at the start of the file it would read as a UTF-8 mark.
        {"GBK key like a byte-order mark stays indented",
         gbk("  锘縜=1\r\n[中文]\r\n"),
         {{"", "锘縜", "2"}},
         gbk(" 锘縜=2\r\n[中文]\r\n")},
        {"GBK key like a byte-order mark added at the start",
         gbk("[中文]\r\n"),
         {{"", "锘縜", "2"}},
         gbk(" 锘縜=2\r\n[中文]\r\n")},
    };
    for (const WriteCase& c : cases) {
        put(c.before);
        const IniWriteResult result = IniFile(path()).writeStrings(c.writes);
        EXPECT_TRUE(result) << c.rule << ": " << result.reason;
        EXPECT_EQ(bytes(), c.after) << c.rule;
    }
}

TEST_F(IniWriteTest, ChangesOnlyTheAffectedLineOfAMixedFile) {
    // Every oddity the line's files carry: mixed line ends, NULs, GBK, comments, junk, no end.
    const std::string head = gbk("; 标定\r\n[CHECKPARAM]\r\nMS = 100\n") +
                             std::string("junk\0line\r\r\n\t\r\n", 15) + gbk("[3通道]\r\n");
    const std::string tail = gbk("\r\nVolt=1.000,2.000,\r\n[4通道]\rData=5");
    put(head + "Data = 1.000,\t" + tail);
    ASSERT_TRUE(IniFile(path()).writeString("3通道", "data", "7.500,"));
    EXPECT_EQ(bytes(), head + "Data=7.500," + tail);
}

TEST_F(IniWriteTest, EqualValueLeavesTheFileUntouched) {
    const std::string before = "[S]\r\n  k = \"v\"  \r\n";
    put(before);
    struct stat st1 {};
    ASSERT_EQ(::stat(path().c_str(), &st1), 0);
    ASSERT_TRUE(IniFile(path()).writeString("s", "K", "v"));
    ASSERT_TRUE(IniFile(path()).writeStrings({{"S", "k", "x"}, {"S", "k", "v"}, {"S", "k", "v"}}));
    struct stat st2 {};
    ASSERT_EQ(::stat(path().c_str(), &st2), 0);
    // The grouped write changed the line and back: one by one that rewrites it once.
    EXPECT_EQ(bytes(), "[S]\r\nk=v\r\n");
    put(before);
    ASSERT_EQ(::stat(path().c_str(), &st1), 0);
    ASSERT_TRUE(IniFile(path()).writeString("S", "k", "v"));
    ASSERT_EQ(::stat(path().c_str(), &st2), 0);
    EXPECT_EQ(st1.st_ino, st2.st_ino) << "an unchanged file is not replaced";
    EXPECT_EQ(bytes(), before);
    EXPECT_TRUE(IniFile(path()).writeStrings({}));
    EXPECT_EQ(bytes(), before);
}

TEST_F(IniWriteTest, RefusesWhatWouldBreakTheFileAndLeavesItUntouched) {
    const std::string before = gbk("[S]\r\nk=1\r\n");
    const std::vector<IniWrite> refused = {
        {"S\r", "k", "v"},
        {"S", "k\n", "v"},
        {"S", "k", "a\rb"},
        {"S", "k", "a\nb"},
        {"S", "k", std::string("a\0b", 3)},
        {std::string("S\0", 2), "k", "v"},
        {"S", "a=b", "v"},
        {"S", " [x", "v"},
        {"S", "\t;x", "v"},
        {"S", "k", "😀"},
        {"😀", "k", "v"},
        {"S", "😀", "v"},
        {"S", "k", "\xC3"},  // not UTF-8
    };
    for (const IniWrite& w : refused) {
        put(before);
        const IniWriteResult result = IniFile(path()).writeString(w.section, w.key, w.value);
        EXPECT_FALSE(result) << w.section << "/" << w.key << "/" << w.value;
        EXPECT_FALSE(result.reason.empty());
        EXPECT_EQ(bytes(), before) << w.key;
        // A grouped write with one refused write applies none of them.
        EXPECT_FALSE(IniFile(path()).writeStrings({{"S", "k", "2"}, w, {"T", "t", "3"}}));
        EXPECT_EQ(bytes(), before) << w.key;
    }
    put(std::nullopt);
    EXPECT_FALSE(IniFile(path()).writeString("S", "a=b", "v"));
    EXPECT_FALSE(std::filesystem::exists(path())) << "a refused write creates no file";
    // Keys may hold "[", ";" and "=" inside values, and "]" or ";" in names past the start.
    put(before);
    EXPECT_TRUE(IniFile(path()).writeString("a]b", "k;[", "=;[]"));
    EXPECT_EQ(IniFile(path()).readString("a]b", "k;[", "", 256), "=;[]");
}

// One by one, each write reads the file as the previous one left it; a grouped pass must arrive at
// exactly the same bytes.
TEST_F(IniWriteTest, GroupedWriteEqualsTheSameWritesOneByOne) {
    const std::vector<IniWrite> writes = {
        {"A", "a", "2"},          // replace
        {"A", "new1", "x"},       // new key in an existing section
        {"A", "NEW1", "y"},       // the key just added, other case
        {"A", "new2", "z"},       // second new key goes after the first
        {"", "top", "1"},         // section ""
        {"", "top2", "2"},        //
        {"C", "c1", "1"},         // new section
        {"c", "c2", "2"},         // key into the new section
        {"C", "C1", "3"},         // replace in the new section
        {"A", "a", "1"},          // back to the original value
        {"B", "b", " spaced "},   // existing section at the end
        {"B", "b", "spaced"},     // equal as read: no change
        {"D", "d", "4"},          // another new section
        {"", "top", "5"},         // replace a key added in this pass
        {"3通道", "单位", "米"},  // GBK
    };
    const std::vector<std::optional<std::string>> files = {
        std::nullopt,
        "",
        "[A]\r\na=1\r\n\r\n[B]\r\nb=1",
        "x=0\n[A]\na = 1\n;c\n\n[B]\n",
        "[B]\r\n[A]\r\n",
        "\xEF\xBB\xBF"
        "a=1\r\n[A]\r\n[A]\r\nnew1=0",
        gbk("[3通道]\r\n单位=毫米\r\n[A]\r\na\r\n"),
    };
    for (const auto& file : files) {
        put(file, "one.ini");
        for (const IniWrite& w : writes) {
            ASSERT_TRUE(IniFile(path("one.ini")).writeString(w.section, w.key, w.value));
        }
        put(file, "grouped.ini");
        ASSERT_TRUE(IniFile(path("grouped.ini")).writeStrings(writes));
        EXPECT_EQ(bytes("grouped.ini"), bytes("one.ini")) << file.value_or("(no file)");
    }
}

}  // namespace
}  // namespace kova
