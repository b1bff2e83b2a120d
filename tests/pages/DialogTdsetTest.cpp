// What the configuration page lists, adds and saves.

#include "TdsetFixture.h"

namespace kova {
namespace {

using test::readBytes;
using test::writeGbk;

TEST_F(DialogTdsetTest, OpensOnTheFirstStationWithItsDevicesButNoDevice) {
    struct Case {
        const char* sysIni;
        std::vector<std::string> stations;
        bool boxEnabled;
        std::vector<std::string> devices;
        std::vector<std::string> messages;
    };
    const std::vector<std::string> none;
    const Case cases[] = {
        // Devices sorted by text (侧 before 制), not in "DevOrder" order.
        {kTwoStations, {"2工位", "5工位"}, true, {"侧滑台", "制动台"}, none},
        {kOneStation, {"2工位"}, false, {"侧滑台", "制动台"}, none},
        {"[ALLSTATION]\r\n3工位=0\r\n10工位=1\r\n",
         none,
         true,
         none,
         {"没有配置工位信息，请先在“工位管理器”中配置该机的工位信息！"}},
    };
    for (const Case& c : cases) {
        recorder.boxes.clear();
        Dialog_Tdset& p = open(c.sysIni);
        EXPECT_EQ(itemsOf(*p.stationBox()), c.stations) << c.sysIni;
        EXPECT_EQ(p.stationBox()->currentIndex(), c.stations.empty() ? -1 : 0) << c.sysIni;
        EXPECT_EQ(p.stationBox()->isEnabled(), c.boxEnabled) << c.sysIni;
        EXPECT_EQ(itemsOf(*p.deviceBox()), c.devices) << c.sysIni;
        EXPECT_EQ(p.deviceBox()->currentIndex(), -1) << c.sysIni;  // no device, no channels
        EXPECT_EQ(p.analog().list->GetItemCount() + p.inputs().list->GetItemCount() +
                      p.outputs().list->GetItemCount(),
                  0);
        EXPECT_EQ(messages(), c.messages) << c.sysIni;
        EXPECT_TRUE(p.placeTimer()->isActive());
        EXPECT_EQ(p.placeTimer()->interval(), 50);
    }
    // Without a station the page stays usable.
    type(*page->analog().keyword, "压力");
    page->OnAdd(page->analog());
    EXPECT_EQ(page->analog().list->GetItemCount(), 1);
}

TEST_F(DialogTdsetTest, ChoosingADeviceOrAStationReloadsTheLists) {
    Dialog_Tdset& p = open(kTwoStations);
    pick(*p.deviceBox(), "制动台");
    EXPECT_EQ(rowsOf(*p.analog().list),
              (Rows{{"左制动", "3", "左轮制动力", "2", "1", "daN", "-5", "5", "-1", "1"},
                    {"右制动", "4", "右轮制动力", "", "", "", "", "", "", ""}}));
    EXPECT_EQ(rowsOf(*p.inputs().list), (Rows{{"到位", "1", "到位开关"}, {"举升", "2", ""}}));
    EXPECT_EQ(rowsOf(*p.outputs().list), (Rows{{"电机", "5", "主电机"}}));

    pick(*p.deviceBox(), "侧滑台");
    EXPECT_EQ(rowsOf(*p.analog().list), (Rows{{"侧滑", "7", "", "", "", "", "", "", "", ""}}));
    EXPECT_EQ(p.inputs().list->GetItemCount(), 0);
    EXPECT_EQ(p.outputs().list->GetItemCount(), 0);

    // Another station: its devices, none chosen, and empty lists.
    pick(*p.deviceBox(), "制动台");
    pick(*p.stationBox(), "5工位");
    EXPECT_EQ(itemsOf(*p.deviceBox()), (std::vector<std::string>{"灯光仪"}));
    EXPECT_EQ(p.deviceBox()->currentIndex(), -1);
    EXPECT_EQ(p.analog().list->GetItemCount() + p.inputs().list->GetItemCount() +
                  p.outputs().list->GetItemCount(),
              0);
}

TEST_F(DialogTdsetTest, AddComparesKeywordsWithinOneListOnly) {
    Dialog_Tdset& p = open(kTwoStations);
    pick(*p.deviceBox(), "制动台");

    struct Case {
        QLineEdit* box;
        QPushButton* button;
        CEditListCtrl* list;
        const char* keyword;
        const char* message;  // nullptr: a row is added
    };
    const Case cases[] = {
        {p.analog().keyword, p.analog().add, p.analog().list, "", "请填入通道项目关键字!"},
        {p.analog().keyword, p.analog().add, p.analog().list, "左制动", "关键字重复！"},
        {p.inputs().keyword, p.inputs().add, p.inputs().list, "到位", "关键字重复！"},
        {p.outputs().keyword, p.outputs().add, p.outputs().list, "电机", "关键字重复！"},
        // The analog keyword in the input list, an output keyword in the analog list.
        {p.inputs().keyword, p.inputs().add, p.inputs().list, "左制动", nullptr},
        {p.analog().keyword, p.analog().add, p.analog().list, "电机", nullptr},
        {p.outputs().keyword, p.outputs().add, p.outputs().list, "到位", nullptr},
        {p.outputs().keyword, p.outputs().add, p.outputs().list, "m1", nullptr},
        {p.outputs().keyword, p.outputs().add, p.outputs().list, "M1", nullptr},  // case counts
        {p.outputs().keyword, p.outputs().add, p.outputs().list, "m1", "关键字重复！"},
        {p.analog().keyword, p.analog().add, p.analog().list, "电机", "关键字重复！"},
        // A keyword the ini file cannot hold is refused with its reason.
        {p.outputs().keyword, p.outputs().add, p.outputs().list, "a,b", "关键字不能含有逗号“,”！"},
        {p.inputs().keyword, p.inputs().add, p.inputs().list, "", "请填入通道项目关键字!"},
    };
    for (const Case& c : cases) {
        recorder.boxes.clear();
        const int before = c.list->GetItemCount();
        type(*c.box, c.keyword);
        QTest::mouseClick(c.button, Qt::LeftButton);
        if (c.message == nullptr) {
            EXPECT_TRUE(recorder.boxes.empty()) << c.keyword;
            ASSERT_EQ(c.list->GetItemCount(), before + 1) << c.keyword;
            const std::vector<std::string> added = rowsOf(*c.list).back();
            EXPECT_EQ(added.front(), c.keyword);
            for (std::size_t i = 1; i < added.size(); ++i) {
                EXPECT_EQ(added[i], "") << c.keyword << " column " << i;
            }
        } else {
            EXPECT_EQ(messages(), std::vector<std::string>{c.message}) << c.keyword;
            EXPECT_EQ(c.list->GetItemCount(), before) << c.keyword;
        }
        EXPECT_EQ(c.box->text().toStdString(), c.keyword);  // the box keeps its text
    }
}

TEST_F(DialogTdsetTest, SaveWritesTheListsAsShownAndReportsCompletion) {
    Dialog_Tdset& p = open(kTwoStations);
    pick(*p.deviceBox(), "制动台");
    p.analog().list->SetItemText(1, 3, "7");  // out of range: saved as "0", still shown as 7
    p.analog().list->SetItemText(1, 5, "kN");
    p.inputs().list->SetItemText(1, 2, "举升到位");
    type(*p.analog().keyword, "新");
    p.OnAdd(p.analog());  // no number: its channel section is "通道"
    p.analog().list->SetItemText(2, 2, "未接线");

    QTest::mouseClick(p.saveButton(), Qt::LeftButton);
    ASSERT_EQ(recorder.boxes.size(), 1U);
    EXPECT_EQ(recorder.boxes[0].text, "该设备通道配置保存完毕！");
    EXPECT_EQ(p.analog().list->GetItemText(1, 3), "7");  // the list is not corrected

    const ChannelLists saved = ChannelStore(paths).LoadChannels("制动台");
    ASSERT_EQ(saved.analog.size(), 3U);
    EXPECT_EQ(saved.analog[0],
              (AnalogChannel{"左制动", "3", "左轮制动力", "2", "1", "daN", "-5", "5", "-1", "1"}));
    EXPECT_EQ(saved.analog[1],
              (AnalogChannel{"右制动", "4", "右轮制动力", "0", "", "kN", "", "", "", ""}));
    EXPECT_EQ(saved.analog[2], (AnalogChannel{"新", "", "未接线", "", "", "", "", "", "", ""}));
    EXPECT_EQ(saved.inputs,
              (std::vector<DigitalChannel>{{"到位", "1", "到位开关"}, {"举升", "2", "举升到位"}}));
    EXPECT_EQ(saved.outputs, (std::vector<DigitalChannel>{{"电机", "5", "主电机"}}));

    EXPECT_EQ(IniFile(paths.calibIni).readString("通道", "About", "-", 100), "未接线");

    // A second save writes the same again and removes nothing.
    const std::string once = readBytes(paths.calibIni);
    p.OnSave();
    EXPECT_EQ(readBytes(paths.calibIni), once);
    EXPECT_EQ(recorder.boxes.size(), 2U);
}

TEST_F(DialogTdsetTest, SaveWithoutADeviceWritesUnderTheEmptyName) {
    Dialog_Tdset& p = open(kTwoStations);
    type(*p.outputs().keyword, "灯");
    p.OnAdd(p.outputs());
    p.OnSave();
    EXPECT_EQ(messages(), std::vector<std::string>{"该设备通道配置保存完毕！"});
    EXPECT_EQ(ChannelStore(paths).LoadChannels("").outputs,
              (std::vector<DigitalChannel>{{"灯", "", ""}}));
}

TEST_F(DialogTdsetTest, AFailedSaveIsNotReportedAsDone) {
    std::filesystem::remove(paths.calibIni);
    std::filesystem::create_directory(paths.calibIni);  // cannot be written as a file
    Dialog_Tdset& p = open(kTwoStations);
    pick(*p.deviceBox(), "制动台");
    type(*p.analog().keyword, "压力");
    p.OnAdd(p.analog());
    p.OnSave();
    ASSERT_EQ(recorder.boxes.size(), 1U);
    EXPECT_NE(recorder.boxes[0].text, "该设备通道配置保存完毕！");
    EXPECT_EQ(recorder.boxes[0].text.rfind("该设备通道配置保存失败", 0), 0U)
        << recorder.boxes[0].text;
    EXPECT_EQ(recorder.boxes[0].icon, MessageIcon::Error);
}

TEST_F(DialogTdsetTest, ACellThatCannotBeSavedIsNamedAndNothingIsWritten) {
    Dialog_Tdset& p = open(kTwoStations);
    pick(*p.deviceBox(), "制动台");
    type(*p.inputs().keyword, "新开关");
    p.OnAdd(p.inputs());
    const std::string before = readBytes(paths.calibIni);
    p.analog().list->SetItemText(0, 2, "左\xF0\x9F\x98\x80");  // no GBK form
    p.OnSave();
    ASSERT_EQ(recorder.boxes.size(), 1U);
    EXPECT_EQ(recorder.boxes[0].text,
              "“模拟”列表第1行第3列（通道说明）含有无法保存的字符（如换行符、生僻字或特殊符号），"
              "请修改后重新保存。本次没有保存任何数据。");
    EXPECT_EQ(recorder.boxes[0].icon, MessageIcon::Error);
    EXPECT_EQ(readBytes(paths.calibIni), before) << "not even the new input";
}

TEST_F(DialogTdsetTest, AnotherDeviceDiscardsEditsWithoutAsking) {
    Dialog_Tdset& p = open(kTwoStations);
    pick(*p.deviceBox(), "制动台");
    p.analog().list->SetItemText(0, 1, "99");
    type(*p.inputs().keyword, "新开关");
    p.OnAdd(p.inputs());

    pick(*p.deviceBox(), "侧滑台");
    pick(*p.deviceBox(), "制动台");
    EXPECT_EQ(p.analog().list->GetItemText(0, 1), "3");
    EXPECT_EQ(p.inputs().list->GetItemCount(), 2);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(IniFile(paths.calibIni).readString("制动台", "左制动", "", 10), "3");
}

}  // namespace
}  // namespace kova
