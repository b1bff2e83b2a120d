#include "KovaMsg.h"

#include "LedFixture.h"

namespace kova::test {
namespace {

class KovaMsgTest : public LedFixture {};

TEST_F(KovaMsgTest, NumbersAreDecimalOrHexAndWholly) {
    const struct {
        const char* text;
        bool negative;
        bool ok;
        std::int64_t value;
    } cases[] = {
        {"1073", false, true, 1073},
        {"0x4A", false, true, 74},
        {"-3", true, true, -3},
        {"-3", false, false, 0},
        {"12ab", false, false, 0},
        {"", false, false, 0},
        {"0x", false, false, 0},
        {"9223372036854775808", false, false, 0},
        {"-9223372036854775808", true, true, INT64_MIN},
    };
    for (const auto& c : cases) {
        std::int64_t v = 0;
        EXPECT_EQ(parseMessageNumber(c.text, c.negative, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST_F(KovaMsgTest, CommandLinesAreCheckedBeforeAnythingIsSent) {
    const struct {
        std::vector<std::string> args;
        bool ok;
    } cases[] = {
        {{"list"}, true},
        {{"listen", "KOVA", "LED0"}, true},
        {{"post", "KOVA", "1073"}, true},
        {{"send", "KOVA", "1039", "0", "-1"}, true},
        {{"send", "KOVA", "1039", "0"}, false},
        {{"post", "KOVA", "4294967296"}, false},
        {{"copydata", "LED0", "4", "--text", "hi"}, true},
        {{"copydata", "LED0", "0", "--length", "1244"}, true},
        {{"copydata", "LED0", "4"}, false},
        {{"copydata", "LED0", "4", "--text", "a", "--file", "f"}, false},
        {{"listen"}, false},
        {{"frobnicate"}, false},
        {{}, false},
        {{"send", "--timeout", "0", "KOVA", "1"}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseKovaMsgArguments(c.args).error.empty(), c.ok)
            << testing::PrintToString(c.args);
    }
    EXPECT_EQ(parseKovaMsgArguments({"list", "--version"}).verb, KovaMsgVerb::Version);
    KovaMsgCommand write = parseKovaMsgArguments(
        {"copydata", "LED0", "4", "--text", "屏", "--pad", "1224", "--timeout", "50"});
    std::string error;
    ASSERT_TRUE(buildCopyData(write, error)) << error;
    EXPECT_EQ(write.message.cbData, 1224u);
    EXPECT_EQ(write.message.data, utf8ToGbk("屏") + std::string(1222, '\0'));
    EXPECT_EQ(write.timeout, std::chrono::milliseconds(50));
}

TEST_F(KovaMsgTest, ExitStatusSaysWhetherTheMessageArrived) {
    ChildProcess& listener = startServing(kKovaMsg, {"listen", "KOVA"}, {"KOVA"});
    const struct {
        std::vector<std::string> args;
        int status;
        std::string output;
    } cases[] = {
        {{"--help"}, 0, ""},
        {{}, 2, ""},
        {{"send", "kova", "1039", "5", "-6"}, 0, "0\n"},
        {{"post", "KOVA", "1073"}, 0, ""},
        {{"copydata", "KOVA", "0", "--length", "1244"}, 0, "0\n"},
        {{"send", "nobody", "1039"}, 1, ""},
    };
    for (const auto& c : cases) {
        const Outcome o = runProgram(kKovaMsg, c.args);
        EXPECT_EQ(o.status, c.status) << testing::PrintToString(c.args);
        if (c.args.size() > 1) {
            EXPECT_EQ(o.output, c.output) << testing::PrintToString(c.args);
        }
    }
    const std::vector<std::string> expected = {
        "KOVA\tsend\tmsg=1039\twParam=5\tlParam=-6",
        "KOVA\tpost\tmsg=1073\twParam=0\tlParam=0",
        "KOVA\tsend\tmsg=74\twParam=0\tlParam=0\tdwData=0\tcbData=1244\tsize=0\ttext=",
    };
    for (const std::string& line : expected) {
        EXPECT_EQ(listener.readLine(), line);
    }
    const Outcome list = runProgram(kKovaMsg, {"list"});
    EXPECT_EQ(list.output.rfind("kova\t", 0), 0u) << list.output;
}

}  // namespace
}  // namespace kova::test
