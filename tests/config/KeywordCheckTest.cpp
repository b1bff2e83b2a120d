#include "config/KeywordCheck.h"

#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"
#include "config/ChannelStore.h"

namespace kova {
namespace {

std::string chinese(int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += "键";
    }
    return out;
}

TEST(KeywordCheckTest, RefusesTextsThatWouldCorruptTheFiles) {
    const struct {
        std::string keyword;
        std::string reason;
    } cases[] = {
        {"", "请填入通道项目关键字!"},
        {"a,b", "关键字不能含有逗号“,”！"},
        {"a=b", "关键字不能含有“=”、“[”或“]”！"},
        {"[a", "关键字不能含有“=”、“[”或“]”！"},
        {"a]", "关键字不能含有“=”、“[”或“]”！"},
        {"a\nb", "关键字不能含有换行符或其他控制字符！"},
        {"a\r", "关键字不能含有换行符或其他控制字符！"},
        {std::string("a\0b", 3), "关键字不能含有换行符或其他控制字符！"},
        {" a", "关键字的开头和结尾不能是空格！"},
        {"a\t", "关键字的开头和结尾不能是空格！"},
        {";a", "关键字不能以“;”开头！"},
        {"a\xF0\x9F\x98\x80", "关键字含有无法保存的字符！"},
        {std::string(40, 'k'), "关键字不能超过39个字节（19个汉字）！"},
        {"a" + chinese(20), "关键字不能超过39个字节（19个汉字）！"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keywordRefusal(c.keyword).value_or("accepted"), c.reason) << c.keyword;
    }
}

// Whatever the check accepts comes back from a save unchanged.
TEST(KeywordCheckTest, AcceptedKeywordsSurviveASaveAndLoad) {
    const std::string accepted[] = {
        "ZL", "左 轮", "a;b", "x" + chinese(19), std::string(39, 'k'), "制动力(kN)", "DI0DATA",
    };
    test::TempDir dir;
    const ChannelStore store(
        {dir.file("Calib.ini"), dir.file("sysKOVA.ini"), dir.file("DevID.ini")});
    ChannelLists lists;
    for (const std::string& k : accepted) {
        ASSERT_FALSE(keywordRefusal(k).has_value()) << k;
        lists.analog.push_back({k, "3", "说明", "2", "1", "N", "0", "9", "-1", "1"});
    }
    ASSERT_TRUE(store.SaveChannels("台", lists));
    EXPECT_EQ(store.LoadChannels("台"), lists);
}

}  // namespace
}  // namespace kova
