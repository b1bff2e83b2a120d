#include "config/ChannelStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "TestFiles.h"
#include "calib/CalibSection.h"
#include "config/ChannelList.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/TextCodec.h"

namespace kova {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeGbk;

// The per-channel section keeps the number text as entered: "007" is not channel 7's section. The
// empty number names the suffix alone, which the save's checks match sections against.
TEST(CalibSectionNameTest, KeepsTheNumberTextAsEntered) {
    EXPECT_EQ(calibSectionName("007"), "007通道");
    EXPECT_EQ(calibSectionName(7), "7通道");
    EXPECT_EQ(calibSectionName(""), "通道");
}

class ChannelStoreTest : public ::testing::Test {
  protected:
    TempDir dir;  // first: the paths are formed from it
    ChannelIniPaths paths{dir.file("Calib.ini"), dir.file("sysKOVA.ini"), dir.file("DevID.ini")};
    ChannelStore store{paths};
    IniFile calib{paths.calibIni};
};

std::string repeat(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

std::vector<std::string> names(const std::vector<Station>& stations) {
    std::vector<std::string> out(stations.size());
    std::transform(stations.begin(), stations.end(), out.begin(),
                   [](const Station& s) { return s.name; });
    return out;
}

AnalogChannel analog(std::string keyword, std::string number, std::string jingDu = "2") {
    return {std::move(keyword),
            std::move(number),
            "压力",
            std::move(jingDu),
            "1",
            "kN",
            "-5",
            "5",
            "-1",
            "1"};
}

// The save as the line's programs make it: one ini write per key, in the documented order.
void saveKeyByKey(const IniFile& ini, const std::string& device, const ChannelLists& lists) {
    const auto cut = [](const std::string& s, std::size_t n) {
        return std::string(cutToGbkBytes(s, n));
    };
    const std::string section = cut(device, 99);
    std::string list;
    for (const AnalogChannel& r : lists.analog) {
        const std::string k = cut(r.keyword, 39);
        const std::string num = cut(r.number, 9);
        const std::string about = cut(r.About, 99);
        std::string jd = cut(r.JingDu, 9);
        if (parseLeadingInt(jd) < 0 || parseLeadingInt(jd) > 6) {
            jd = "0";
        }
        list += k + ",";
        ini.writeString(section, k, num);
        ini.writeString(section, k + "[About]", about);
        ini.writeString(section, k + "[JingDu]", jd);
        ini.writeString(section, k + "[FuHao]", cut(r.FuHao, 9));
        ini.writeString(section, k + "[DanWei]", cut(r.DanWei, 9));
        ini.writeString(section, k + "[DiData]", cut(r.DiData, 9));
        ini.writeString(section, k + "[GaoData]", cut(r.GaoData, 9));
        ini.writeString(section, k + "[Di0Data]", cut(r.Di0Data, 9));
        ini.writeString(section, k + "[Gao0Data]", cut(r.Gao0Data, 9));
        const std::string ch = num + "通道";
        ini.writeString(ch, "Point", jd);
        ini.writeString(ch, "About", about);
        ini.writeString(ch, "UpDown", cut(r.FuHao, 9));
        ini.writeString(ch, "DanWei", cut(r.DanWei, 9));
        ini.writeString(ch, "DiData", cut(r.DiData, 9));
        ini.writeString(ch, "GaoData", cut(r.GaoData, 9));
        ini.writeString(ch, "Di0Data", cut(r.Di0Data, 9));
        ini.writeString(ch, "Gao0Data", cut(r.Gao0Data, 9));
    }
    ini.writeString(section, "AllTD_A", list);
    const auto digital = [&](const std::vector<DigitalChannel>& rows, const std::string& suffix,
                             const std::string& listKey) {
        std::string keys;
        for (const DigitalChannel& r : rows) {
            const std::string k = cut(r.keyword, 39);
            const std::string num = cut(r.number, 9);
            ini.writeString(num + suffix, "About", cut(r.About, 99));
            keys += k + ",";
            ini.writeString(section, k, num);
            ini.writeString(section, k + "[About]", cut(r.About, 99));
        }
        ini.writeString(section, listKey, keys);
    };
    digital(lists.outputs, "数字输出", "AllTD_Dout");
    digital(lists.inputs, "数字输入", "AllTD_Din");
}

TEST_F(ChannelStoreTest, ListRuleNeedsACommaAfterEveryTokenAndCutsLongTokens) {
    const std::string long50 = std::string(48, 'x') + "中";  // 50 GBK bytes
    const struct {
        std::string text;
        std::vector<std::string> tokens;
    } cases[] = {
        {"", {}},
        {"7", {}},
        {",,", {"", ""}},
        {"a,,b,", {"a", "", "b"}},
        {" 工位 ,x", {" 工位 "}},
        {long50 + ",", {std::string(48, 'x')}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitList(c.text), c.tokens) << c.text;
    }
}

TEST_F(ChannelStoreTest, ListsStationsOneToNineWhoseEntryIsOne) {
    writeGbk(paths.sysIni,
             "[allstation]\r\n2工位=1\r\n3工位=0\r\n5工位=1\r\n6工位=2\r\n7工位=1x\r\n"
             "9工位=\r\n10工位=1\r\n0工位=1\r\n");
    EXPECT_EQ(names(store.ListStations()), (std::vector<std::string>{"2工位", "5工位", "7工位"}));
    EXPECT_EQ(store.ListStations().front().number, 2);
}

TEST_F(ChannelStoreTest, ListsDevicesInDevOrderIncludingUnnamedOnes) {
    writeGbk(paths.devIdIni, "[DEVID]\r\ndevid3=制动台\r\ndevid1=速度台\r\ndevid=空号\r\n");
    const struct {
        std::string devOrder;
        std::vector<std::string> ids;
        std::vector<std::string> names;
    } cases[] = {
        {"3,1,7", {"3", "1"}, {"制动台", "速度台"}},
        {"3,1,7,", {"3", "1", "7"}, {"制动台", "速度台", ""}},
        {"1,,", {"1", ""}, {"速度台", "空号"}},
    };
    for (const auto& c : cases) {
        writeGbk(paths.sysIni, "[1工位]\r\nDevOrder=" + c.devOrder + "\r\n");
        std::vector<std::string> ids;
        std::vector<std::string> got;
        for (const Device& d : store.ListDevices("1工位")) {
            ids.push_back(d.id);
            got.push_back(d.name);
        }
        EXPECT_EQ(ids, c.ids) << c.devOrder;
        EXPECT_EQ(got, c.names) << c.devOrder;
    }
}

TEST_F(ChannelStoreTest, MissingFilesReadAsEmptyAndASaveCreatesCalibIni) {
    EXPECT_TRUE(store.ListStations().empty());
    EXPECT_TRUE(store.ListDevices("1工位").empty());
    EXPECT_EQ(store.LoadChannels("制动台"), ChannelLists{});
    const ChannelParams p = store.LoadChannelParams("3");
    EXPECT_EQ(p.precision, 0);
    EXPECT_FALSE(p.showSign);
    EXPECT_EQ(p.unit, "");
    EXPECT_EQ(p.zeroLow, 0.0f);
    EXPECT_EQ(p.zeroHigh, 0.0f);
    EXPECT_EQ(store.LoadDigitalAbout(DigitalKind::Output, 0), "");

    const ChannelLists lists{{analog("ZL", "3")}, {{"DJ", "0", "电机"}}, {{"GD", "15", "光电"}}};
    ASSERT_TRUE(store.SaveChannels("制动台", lists));
    EXPECT_EQ(store.LoadChannels("制动台"), lists);
    EXPECT_EQ(store.LoadDigitalAbout(DigitalKind::Output, 0), "电机");
    EXPECT_EQ(store.LoadDigitalAbout(DigitalKind::Input, 15), "光电");
    EXPECT_EQ(store.LoadChannelParams("3").unit, "kN");
}

TEST_F(ChannelStoreTest, ReadsHandWrittenFilesWithoutRegardToAsciiCase) {
    writeGbk(
        paths.calibIni,
        "[制动台]\r\nalltd_a=ZL,尾巴\r\nzl=3\r\nzl[about]=左轮\r\nZL[DI0DATA]=-2\r\n"
        "[3通道]\r\npoint=3\r\nupdown=1\r\ndanwei=千牛顿每米\r\ndi0data=-2.5\r\ngao0data=0.5\r\n");
    const ChannelLists lists = store.LoadChannels("制动台");
    ASSERT_EQ(lists.analog.size(), 1u);  // the unterminated "尾巴" is not a row
    EXPECT_EQ(lists.analog[0].number, "3");
    EXPECT_EQ(lists.analog[0].About, "左轮");
    EXPECT_EQ(lists.analog[0].Di0Data, "-2");
    const ChannelParams p = store.LoadChannelParams("3");
    EXPECT_EQ(p.precision, 3);
    EXPECT_TRUE(p.showSign);
    EXPECT_EQ(p.unit, "千牛顿每");  // buffer 10: the fifth character does not fit
    EXPECT_EQ(p.zeroLow, -2.0f);
    EXPECT_EQ(p.zeroHigh, 0.0f);
}

TEST_F(ChannelStoreTest, SavedPrecisionStaysWithinZeroToSix) {
    const struct {
        std::string jingDu;
        std::string saved;
        int precision;
    } cases[] = {
        {"7", "0", 0},
        {"-1", "0", 0},
        {"6", "6", 6},
        {"abc", "abc", 0},
        {" 9", "0", 0},
        {"3.5", "3.5", 3},
        {"0000000007", "000000000", 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(store.SaveChannels("台", {{analog("A", "4", c.jingDu)}, {}, {}}));
        EXPECT_EQ(calib.readString("台", "A[JingDu]", "?", 100), c.saved) << c.jingDu;
        EXPECT_EQ(calib.readString("4通道", "Point", "?", 100), c.saved) << c.jingDu;
        EXPECT_EQ(store.LoadChannelParams("4").precision, c.precision) << c.jingDu;
    }
    // Only a hand edit stores a precision outside 0..6; it reads as 0 like a saved one.
    for (const char* handEdited : {"9", "-3"}) {
        calib.writeString("4通道", "Point", handEdited);
        EXPECT_EQ(store.LoadChannelParams("4").precision, 0) << handEdited;
    }
}

TEST_F(ChannelStoreTest, FieldsAreCutToTheirLimitsWithoutSplittingCharacters) {
    const std::string about99 = "a" + repeat("中", 49);
    AnalogChannel row = analog(std::string(38, 'k') + "中", "1234567890", "2");
    row.About = about99;
    row.DanWei = "1234牛顿米";                    // 10 bytes: the last character does not fit
    DigitalChannel out{"D", "3", "b" + about99};  // 100 bytes
    ASSERT_TRUE(store.SaveChannels("台", {{row}, {out}, {}}));

    const ChannelLists back = store.LoadChannels("台");
    ASSERT_EQ(back.analog.size(), 1u);
    EXPECT_EQ(back.analog[0].keyword, std::string(38, 'k'));
    EXPECT_EQ(back.analog[0].number, "123456789");
    EXPECT_EQ(back.analog[0].About, about99);
    EXPECT_EQ(back.analog[0].DanWei, "1234牛顿");
    EXPECT_EQ(calib.readString("123456789通道", "About", "", 1000), about99);
    EXPECT_EQ(back.outputs.at(0).About, "b" + about99.substr(0, about99.size() - 3));
    EXPECT_EQ(store.LoadDigitalAbout(DigitalKind::Output, 3), back.outputs[0].About);
}

TEST_F(ChannelStoreTest, SharedKeysAndSectionsKeepTheLastWrite) {
    // Channel 3 used by two devices: the later save decides the channel's section.
    ASSERT_TRUE(store.SaveChannels("甲", {{analog("A", "3", "1")}, {}, {}}));
    AnalogChannel second = analog("B", "3", "4");
    second.DanWei = "mm";
    ASSERT_TRUE(store.SaveChannels("乙", {{second}, {}, {}}));
    EXPECT_EQ(store.LoadChannelParams("3").precision, 4);
    EXPECT_EQ(store.LoadChannelParams("3").unit, "mm");

    // A keyword in two lists of one device shares its keys; the inputs are written last.
    ASSERT_TRUE(store.SaveChannels("丙", {{}, {{"X", "1", "出"}}, {{"X", "2", "入"}}}));
    const ChannelLists lists = store.LoadChannels("丙");
    EXPECT_EQ(lists.outputs.at(0).number, "2");
    EXPECT_EQ(lists.outputs.at(0).About, "入");
    EXPECT_EQ(store.LoadDigitalAbout(DigitalKind::Output, 1), "出");
}

TEST_F(ChannelStoreTest, AnEmptyListKeepsEarlierKeywordKeys) {
    ASSERT_TRUE(store.SaveChannels("台", {{analog("A", "3")}, {{"D", "1", "x"}}, {}}));
    ASSERT_TRUE(store.SaveChannels("台", {}));
    EXPECT_EQ(calib.readString("台", "AllTD_A", "?", 100), "");
    EXPECT_EQ(calib.readString("台", "AllTD_Dout", "?", 100), "");
    EXPECT_EQ(calib.readString("台", "A[Gao0Data]", "", 100), "1");
    EXPECT_EQ(calib.readString("台", "D", "", 100), "1");
    EXPECT_EQ(store.LoadChannels("台"), ChannelLists{});
}

// Other sections, comments and odd spacing around the device's keys; an existing key in another
// case; a device name longer than 99 bytes.
constexpr const char* kBusyFile =
    "; 标定配置\r\n"
    "[CHECKPARAM]\r\nMS = 100\r\n  AVERNUM=10  \r\n\r\n"
    "[3通道]\r\nVolt=0.000,1.000,\r\nData=0.000,50.000,\r\npoint=5\r\n"
    "  [ 制动台 ]  \r\n; 旧的\r\nzl = 9\r\nzl[about]=旧说明\r\nOLD=1\r\n"
    "[其他]\r\nkey=value\r\n";

TEST_F(ChannelStoreTest, GroupedSaveLeavesTheSameBytesAsKeyByKeyWrites) {
    const std::string longName = repeat("台", 50);  // 100 bytes: the section takes 98
    // Channels 3 and 07 used twice: keys written twice into an existing and a new section.
    const ChannelLists lists{{analog("ZL", "3", "8"), analog("YL", "07", "abc"), analog("中", "3"),
                              analog("右", "07", "1")},
                             {{"DJ", "0", "电机"}, {"ZL", "1", "同名"}},
                             {{"GD", "15", "光电"}}};
    const struct {
        std::string device;
        ChannelLists lists;
        const char* file;  // nullptr: no file yet
    } cases[] = {
        {"制动台", lists, kBusyFile},
        {longName, lists, kBusyFile},
        {"制动台", {}, kBusyFile},
        {"制动台", lists, nullptr},
    };
    for (const auto& c : cases) {
        TempDir other;
        const std::string reference = other.file("Calib.ini");
        std::filesystem::remove(paths.calibIni);
        if (c.file != nullptr) {
            writeGbk(paths.calibIni, c.file);
            writeGbk(reference, c.file);
        }

        ASSERT_TRUE(store.SaveChannels(c.device, c.lists));
        saveKeyByKey(IniFile(reference), c.device, c.lists);
        const std::string saved = readBytes(paths.calibIni);
        EXPECT_EQ(saved, readBytes(reference)) << c.device;
        if (c.file == nullptr) {
            continue;
        }
        EXPECT_NE(saved.find(utf8ToGbk("; 标定配置\r\n[CHECKPARAM]\r\nMS = 100\r\n  AVERNUM=10  ")),
                  std::string::npos);
        EXPECT_NE(saved.find(utf8ToGbk("[其他]\r\nkey=value\r\n")), std::string::npos);
    }
}

TEST_F(ChannelStoreTest, AKeywordTheIniLayerRefusesWritesNothingAtAll) {
    // Only a hand edit can put such a keyword into a list.
    const char* file = "[台]\r\nAllTD_Dout=a=b,ok,\r\n";
    writeGbk(paths.calibIni, file);
    const std::string before = readBytes(paths.calibIni);

    ChannelLists lists = store.LoadChannels("台");
    ASSERT_EQ(lists.outputs.size(), 2u);
    lists.outputs[0] = {"a=b", "1", "坏"};
    lists.outputs[1] = {"ok", "2", "好"};
    const std::optional<UnsavableCell> cell = store.FindUnsavableCell(lists);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->list, ChannelListKind::Output);
    EXPECT_EQ(cell->row, 0u);
    EXPECT_EQ(cell->column, 0u);
    const IniWriteResult saved = store.SaveChannels("台", lists);
    EXPECT_FALSE(saved);
    EXPECT_EQ(saved.error, IniWriteError::BadText);
    EXPECT_EQ(readBytes(paths.calibIni), before);
}

TEST_F(ChannelStoreTest, TheFirstCellASaveWouldRefuseIsNamedInPageOrder) {
    struct Case {
        const char* what;
        std::function<void(ChannelLists&)> spoil;
        std::optional<std::tuple<ChannelListKind, std::size_t, std::size_t>> cell;
    };
    const std::string emoji = "\xF0\x9F\x98\x80";  // no GBK form
    const Case cases[] = {
        {"clean", [](ChannelLists&) {}, std::nullopt},
        {"description beyond GBK", [&](ChannelLists& l) { l.analog[1].About = "压" + emoji; },
         std::tuple{ChannelListKind::Analog, 1u, 2u}},
        {"unit beyond GBK", [&](ChannelLists& l) { l.analog[0].DanWei = emoji; },
         std::tuple{ChannelListKind::Analog, 0u, 5u}},
        {"line break in a number", [](ChannelLists& l) { l.outputs[0].number = "1\n2"; },
         std::tuple{ChannelListKind::Output, 0u, 1u}},
        {"keyword beginning with ;", [](ChannelLists& l) { l.inputs[0].keyword = ";GD"; },
         std::tuple{ChannelListKind::Input, 0u, 0u}},
        // Inputs come before outputs, as the page shows them.
        {"two bad lists",
         [&](ChannelLists& l) {
             l.outputs[0].About = emoji;
             l.inputs[0].About = emoji;
         },
         std::tuple{ChannelListKind::Input, 0u, 2u}},
        // The save cuts a description to 99 bytes: what lies beyond is never written.
        {"beyond the limit", [&](ChannelLists& l) { l.analog[0].About = repeat("a", 99) + emoji; },
         std::nullopt},
        // "=" is a key's problem only.
        {"= in a value", [](ChannelLists& l) { l.analog[0].About = "a=b"; }, std::nullopt},
    };
    for (const Case& c : cases) {
        ChannelLists lists{
            {analog("ZL", "3"), analog("YL", "4")}, {{"DJ", "0", "电机"}}, {{"GD", "15", "光电"}}};
        c.spoil(lists);
        const std::optional<UnsavableCell> cell = store.FindUnsavableCell(lists);
        ASSERT_EQ(cell.has_value(), c.cell.has_value()) << c.what;
        if (cell) {
            EXPECT_EQ(std::tuple(cell->list, cell->row, cell->column), *c.cell) << c.what;
            EXPECT_FALSE(cell->reason.empty());
        }
        // The save refuses exactly what the check names.
        EXPECT_EQ(static_cast<bool>(store.SaveChannels("台", lists)), !cell) << c.what;
    }
}

}  // namespace
}  // namespace kova
