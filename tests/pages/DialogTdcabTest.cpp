// The calibration page: what it opens on, its channels, its sampling, and the windows it opens.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <functional>

#include "LabelClashes.h"
#include "TdcabFixture.h"
#include "platform/DynamicLibrary.h"
#include "platform/TextCodec.h"

namespace kova::testing {
namespace {

using DialogTdcabTest = TdcabFixture;

std::string text(const QLineEdit* field) {
    return field->text().toStdString();
}

std::vector<std::string> comboItems(const QComboBox* box) {
    std::vector<std::string> items;
    for (int i = 0; i < box->count(); ++i) {
        items.push_back(box->itemText(i).toStdString());
    }
    return items;
}

TEST_F(DialogTdcabTest, OpensOnTheFirstStationWithoutChoosingADevice) {
    Dialog_Tdcab& page = open();
    EXPECT_EQ(comboItems(page.stationBox()), (std::vector<std::string>{"2工位", "5工位"}));
    EXPECT_EQ(page.stationBox()->currentText().toStdString(), "2工位");
    EXPECT_TRUE(page.stationBox()->isEnabled());
    // Sorted by text, not in "DevOrder" order.
    EXPECT_EQ(comboItems(page.deviceBox()), (std::vector<std::string>{"速度台", "制动台"}));
    EXPECT_EQ(page.deviceBox()->currentIndex(), -1);
    EXPECT_EQ(page.channelList()->GetItemCount(), 0);
    EXPECT_EQ(page.channelDisplay()->text().toStdString(), "未选择");
    EXPECT_TRUE(page.sendToLedBox()->isChecked());
    EXPECT_FALSE(page.debugLogBox()->isChecked());
    EXPECT_EQ(page.autoVoltButton()->text().toStdString(), "停止自动取电压");
    EXPECT_EQ(average_.length(), Dialog_Tdcab::kSlidingLength);
    EXPECT_TRUE(page.placeTimer()->isActive());
    EXPECT_EQ(page.placeTimer()->interval(), 50);
    EXPECT_FALSE(page.sampleTimer()->isActive());  // sampling waits for the page to be shown
    EXPECT_TRUE(recorder_.boxes.empty());
}

TEST_F(DialogTdcabTest, NoLabelIsCutOrRunsIntoAnotherControl) {
    Dialog_Tdcab& page = openOnDevice();
    EXPECT_EQ(labelClashes(page), std::vector<std::string>{});
}

TEST_F(DialogTdcabTest, StationDirectoryWithOneOrNoStation) {
    writeIni("sysKOVA.ini", "[ALLSTATION]\r\n5工位=1\r\n");
    EXPECT_FALSE(open().stationBox()->isEnabled());
    EXPECT_TRUE(recorder_.boxes.empty());

    writeIni("sysKOVA.ini", "[ALLSTATION]\r\n10工位=1\r\n");
    EXPECT_EQ(open().stationBox()->count(), 0);
    ASSERT_EQ(recorder_.boxes.size(), 1u);
    EXPECT_EQ(recorder_.boxes[0].text,
              "没有配置工位信息，请先在“工位管理器”中配置该机的工位信息！");
}

TEST_F(DialogTdcabTest, DeviceListsItsAnalogChannelsAndAStationWithoutDevOrderClearsAll) {
    Dialog_Tdcab& page = openOnDevice();
    CEditListCtrl& channels = *page.channelList();
    ASSERT_EQ(channels.GetItemCount(), 5);
    EXPECT_EQ(channels.GetItemText(0, 0), "左制动");
    EXPECT_EQ(channels.GetItemText(0, 1), "3");
    EXPECT_EQ(channels.GetItemText(0, 2), "左轮制动力");
    EXPECT_EQ(channels.GetItemText(4, 1), "700");

    clickChannel(0);
    ASSERT_EQ(page.pointsList()->GetItemCount(), 2);
    page.stationBox()->setCurrentText(QStringLiteral("5工位"));
    page.OnSelchangeStation();
    EXPECT_EQ(page.deviceBox()->count(), 0);
    EXPECT_EQ(channels.GetItemCount(), 0);
    EXPECT_EQ(page.pointsList()->GetItemCount(), 0);
}

TEST_F(DialogTdcabTest, ClickingAChannelLoadsItsPointsAndRestartsTheAverage) {
    Dialog_Tdcab& page = openOnDevice();
    clickChannel(0);
    EXPECT_EQ(page.channelDisplay()->text().toStdString(), "3");
    EXPECT_EQ(rowsOf(page), (Texts{{"0.500", "100.000"}, {"1.000", "200.000"}}));

    // Three ticks into the window of five; a click on another channel starts it again.
    for (int i = 0; i < 3; ++i) {
        page.tick();
    }
    EXPECT_EQ(average_.filled(), 3);
    clickChannel(1);
    EXPECT_EQ(page.channelDisplay()->text().toStdString(), "1234");
    EXPECT_EQ(average_.filled(), 0);
    EXPECT_TRUE(average_.hasBuffer());
    EXPECT_EQ(page.pointsList()->GetItemCount(), 0);  // no table for that channel

    // Moving the selection by other means selects the channel but keeps the average running.
    page.channelList()->selectRow(0);
    page.tick();
    page.channelList()->selectRow(2);
    EXPECT_EQ(page.channelDisplay()->text().toStdString(), "150");
    EXPECT_EQ(average_.filled(), 1);
}

TEST_F(DialogTdcabTest, AnalogTickShowsTheFilteredMeanOnceTheAverageIsFull) {
    Dialog_Tdcab& page = openOnDevice();
    openLog();
    clickChannel(0);
    page.debugLogBox()->click();
    EXPECT_EQ(page.debugLogFlag(), 1);
    for (int i = 0; i < 4; ++i) {
        page.tick();
        EXPECT_EQ(text(page.voltField()), "") << i;
    }
    page.tick();
    EXPECT_EQ(text(page.voltField()), "1.500");
    EXPECT_EQ(page.currentChannel(), 3);
    EXPECT_FLOAT_EQ(page.reading(), 1.5f);
    // The ticks before the first reading log the burst's own average.
    std::string expected;
    for (int i = 0; i < 5; ++i) {
        expected += "volt: 1.500000    data:\r\n";
    }
    EXPECT_EQ(logText(), expected);

    page.debugLogBox()->click();
    page.tick();
    EXPECT_EQ(logText(), expected);
}

TEST_F(DialogTdcabTest, FrequencyAndCounterChannelsReadTheCardDirectly) {
    Dialog_Tdcab& page = openOnDevice();
    openLog();
    page.debugLogBox()->click();

    // "1234" is sampled as channel 123, a frequency channel.
    clickChannel(1);
    page.tick();
    EXPECT_EQ(page.currentChannel(), 123);
    EXPECT_EQ(text(page.voltField()), "42");

    clickChannel(2);
    page.tick();
    EXPECT_EQ(text(page.voltField()), "50");

    // Every read of the card moves its clock on by 10 ms, in which the counter counts 10;
    // "CNT 清  零" starts it again from 0.
    clickChannel(3);
    page.tick();
    page.tick();
    EXPECT_EQ(text(page.voltField()), "40");
    page.OnResetCounters();
    page.tick();
    EXPECT_EQ(text(page.voltField()), "10");

    // From 700 on nothing is read or shown.
    clickChannel(4);
    page.tick();
    EXPECT_EQ(text(page.voltField()), "10");
    EXPECT_EQ(page.currentChannel(), 700);

    EXPECT_EQ(logText(),
              "volt: 42.400002   data:\r\n"
              "volt: 49.599998   data:\r\n"
              "volt: 30.000000   data:\r\n"
              "volt: 40.000000   data:\r\n"
              "volt: 10.000000   data:\r\n");
}

TEST_F(DialogTdcabTest, NoLogLineWithoutAnOpenLog) {
    Dialog_Tdcab& page = openOnDevice();
    clickChannel(2);
    page.debugLogBox()->click();
    page.tick();
    EXPECT_EQ(text(page.voltField()), "50");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "AcqData.log"));
}

// A card that has no fresh reading of the channel: the field names the state, nothing is logged,
// and "添  加" takes no point until the readings are fresh again.
TEST_F(DialogTdcabTest, AChannelWithoutAFreshReadingShowsItsStateAndTakesNoPoint) {
    rt_.hardwareModule.Unload();
    ASSERT_TRUE(rt_.hardwareModule.Load(KOVA_TEST_SCRIPTED_CARD));
    const DynamicLibrary card = DynamicLibrary::open(KOVA_TEST_SCRIPTED_CARD);
    const auto setStatus = reinterpret_cast<void (*)(int)>(card.symbol("TestSetStatus"));
    const auto setLevel = reinterpret_cast<void (*)(float)>(card.symbol("TestSetLevel"));
    ASSERT_NE(setStatus, nullptr);
    ASSERT_NE(setLevel, nullptr);
    setLevel(1.5f);

    Dialog_Tdcab& page = openOnDevice();
    openLog();
    clickChannel(0);
    page.debugLogBox()->click();
    const int points = page.pointsList()->GetItemCount();
    const std::pair<int, const char*> states[] = {
        {1, "通讯中断"}, {2, "通道未配置"}, {3, "设备报错"}};
    for (const auto& [state, words] : states) {
        setStatus(state);
        page.tick();
        EXPECT_EQ(text(page.voltField()), words);
        page.trueValueField()->setText("5");
        page.OnAdd();
        ASSERT_FALSE(recorder_.boxes.empty());
        EXPECT_EQ(recorder_.boxes.back().text, "采集无有效数据，不能添加标定点。");
    }
    EXPECT_EQ(page.pointsList()->GetItemCount(), points);
    EXPECT_EQ(logText(), "");

    setStatus(0);
    for (int i = 0; i < 5; ++i) {
        page.tick();
    }
    EXPECT_EQ(text(page.voltField()), "1.500");
    EXPECT_EQ(logText().size(), 5 * std::string("volt: 1.500000    data:\r\n").size());
}

// The card calls back into the page in the middle of its read, as a timer tick arriving while the
// previous tick still runs.
TEST_F(DialogTdcabTest, TickArrivingDuringATickIsSkipped) {
    rt_.hardwareModule.Unload();
    ASSERT_TRUE(rt_.hardwareModule.Load(KOVA_TEST_REENTRANT_CARD));
    const DynamicLibrary card = DynamicLibrary::open(KOVA_TEST_REENTRANT_CARD);
    const auto setHook =
        reinterpret_cast<void (*)(void (*)(void*), void*)>(card.symbol("TestSetAnalogHook"));
    const auto reads = reinterpret_cast<int (*)()>(card.symbol("TestAnalogReads"));
    ASSERT_NE(setHook, nullptr);
    ASSERT_NE(reads, nullptr);

    Dialog_Tdcab& page = openOnDevice();
    openLog();
    clickChannel(0);
    page.debugLogBox()->click();
    // One tick inside the read, never more, so a page that does not skip it still returns.
    struct Reentry {
        Dialog_Tdcab* page;
        int depth = 0;
    } reentry{&page};
    setHook(
        [](void* raw) {
            auto* r = static_cast<Reentry*>(raw);
            if (r->depth == 0) {
                ++r->depth;
                r->page->tick();
                --r->depth;
            }
        },
        &reentry);
    const int before = reads();
    page.tick();
    page.tick();
    setHook(nullptr, nullptr);
    EXPECT_EQ(reads() - before, 2);
    EXPECT_EQ(logText(), "volt: 1.000000    data:\r\nvolt: 1.000000    data:\r\n");
    // The flag is free again: the next tick reads.
    page.tick();
    EXPECT_EQ(reads() - before, 3);
}

TEST_F(DialogTdcabTest, AutomaticVoltageStaysOffOnlyUntilThePageIsShownAgain) {
    rt_.MS = 0;  // a hand-edited period still runs at 10 ms
    Dialog_Tdcab& page = openOnDevice();
    page.show();
    EXPECT_TRUE(page.sampleTimer()->isActive());
    EXPECT_EQ(page.sampleTimer()->interval(), 10);

    page.voltField()->setText(QStringLiteral("1.234"));
    page.OnAutoVolt();
    EXPECT_FALSE(page.sampleTimer()->isActive());
    EXPECT_EQ(page.autoVoltButton()->text().toStdString(), "开始自动取电压");
    EXPECT_EQ(text(page.voltField()), "");
    EXPECT_EQ(page.autoVoltState(), 1);

    // Switching tabs away and back starts sampling; the button and the state stay.
    page.hide();
    EXPECT_FALSE(page.sampleTimer()->isActive());
    page.show();
    EXPECT_TRUE(page.sampleTimer()->isActive());
    EXPECT_EQ(page.autoVoltButton()->text().toStdString(), "开始自动取电压");
    EXPECT_EQ(page.autoVoltState(), 1);

    // Pressed again it starts sampling (already running here) and reads "停止自动取电压".
    page.OnAutoVolt();
    EXPECT_TRUE(page.sampleTimer()->isActive());
    EXPECT_EQ(page.autoVoltButton()->text().toStdString(), "停止自动取电压");
    EXPECT_EQ(page.autoVoltState(), 0);
}

TEST_F(DialogTdcabTest, MinimiseAndRestoreNeitherStartNorStopSampling) {
    Dialog_Tdcab& page = openOnDevice();
    clickChannel(0);
    const auto minimiseAndRestore = [&page] {
        page.setWindowState(Qt::WindowMinimized);
        page.setWindowState(Qt::WindowNoState);
    };
    page.OnAutoVolt();  // stopped by the button
    minimiseAndRestore();
    EXPECT_FALSE(page.sampleTimer()->isActive());
    page.OnAutoVolt();
    page.setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(page.sampleTimer()->isActive());
    page.setWindowState(Qt::WindowNoState);

    bool sampledDuringCheck = true;
    page.runCheckWindow = [&](const CheckRequest&) {
        minimiseAndRestore();
        sampledDuringCheck = page.sampleTimer()->isActive();
    };
    page.OnCheck();
    EXPECT_FALSE(sampledDuringCheck);
    EXPECT_TRUE(page.sampleTimer()->isActive());
}

TEST_F(DialogTdcabTest, CheckWindowRunsWithSamplingStoppedAndGetsThePageValues) {
    Dialog_Tdcab& page = openOnDevice();
    page.show();

    std::vector<CheckRequest> requests;
    bool samplingDuringCheck = true;
    page.runCheckWindow = [&](const CheckRequest& request) {
        requests.push_back(request);
        samplingDuringCheck = page.sampleTimer()->isActive();
        rt_.MS = 70;  // changed in the check window's settings
    };
    page.OnCheck();
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(recorder_.boxes.back().text, "请选择设备、通道。");

    clickChannel(0);
    page.debugLogBox()->click();
    page.sendToLedBox()->click();
    page.OnCheck();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].device, "制动台");
    EXPECT_EQ(requests[0].channel, "3");
    EXPECT_TRUE(requests[0].debugLog);
    EXPECT_FALSE(requests[0].sendToLed);
    EXPECT_FALSE(samplingDuringCheck);
    EXPECT_TRUE(page.sampleTimer()->isActive());
    EXPECT_EQ(page.sampleTimer()->interval(), 70);
}

TEST_F(DialogTdcabTest, EnterAndEscapeStayInThePage) {
    struct KeyCounter : QWidget {
        int keys = 0;
        void keyPressEvent(QKeyEvent*) override { ++keys; }
    } window;
    auto* page = new Dialog_Tdcab(rt_, average_, &window);
    window.show();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(page->trueValueField(), key);
        QTest::keyClick(page->voltField(), key);
    }
    EXPECT_EQ(window.keys, 0);
}

TEST_F(DialogTdcabTest, FollowsThePageAreaAndFreesItsAverageOnClose) {
    QWidget window;
    window.setGeometry(100, 80, 900, 600);
    auto* page = new Dialog_Tdcab(rt_, average_, &window);
    window.show();
    const QRect before = page->geometry();
    page->placeTick();  // nothing published yet
    EXPECT_EQ(page->geometry(), before);

    const QPoint origin = window.mapToGlobal(QPoint(0, 0));
    rt_.PageAreaRect = {origin.x() + 20, origin.y() + 46, origin.x() + 749, origin.y() + 486};
    page->placeTick();
    EXPECT_EQ(page->geometry(), QRect(20, 46, 729, 440));

    EXPECT_TRUE(average_.hasBuffer());
    page->close();
    EXPECT_FALSE(average_.hasBuffer());
}

}  // namespace
}  // namespace kova::testing
