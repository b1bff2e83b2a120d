#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstring>
#include <filesystem>

#include "CheckFixture.h"
#include "controls/Digistring.h"
#include "controls/EditListCtrl.h"
#include "controls/GraphCtrl.h"
#include "dialogs/Dialog_CheckSet.h"
#include "dialogs/logic/MaintenancePassword.h"
#include "pages/Dialog_Check.h"

namespace kova::testing {
namespace {

class DialogCheckTest : public CheckFixture {
  protected:
    Dialog_Check& open(const char* channel, bool debugLog = false, bool sendToLed = false) {
        check_ = std::make_unique<Dialog_Check>(rt_, "制动台", channel, debugLog, sendToLed);
        return *check_;
    }

    // The readout after one tick at this card level.
    std::string shownAt(float level) {
        card_.setLevel(level);
        check_->tick();
        return check_->readout()->GetText();
    }

    void addRow(const char* reference) {
        check_->inputBox()->setText(QString::fromUtf8(reference));
        check_->OnAdd();
    }

    std::string cell(int row, int column) const {
        return check_->checkList()->GetItemText(row, column);
    }

    std::unique_ptr<Dialog_Check> check_;
};

std::string text(const QLineEdit* field) {
    return field->text().toStdString();
}

TEST_F(DialogCheckTest, OpensWithTheChannelsTitleUnitTableAndCurve) {
    rt_.HDNUM = 3;
    Dialog_Check& check = open("20");
    EXPECT_EQ(check.windowTitle().toStdString(), "标定校验");
    EXPECT_EQ(check.titleLabel()->text().toStdString(), "20通道");
    EXPECT_EQ(check.channel(), 20);
    EXPECT_EQ(check.readout()->GetText(), "0");
    EXPECT_EQ(text(check.valueBox()), "0");
    EXPECT_TRUE(check.ledUnitBox()->isChecked());
    EXPECT_EQ(check.zeroButton()->text().toStdString(), "减零点");
    EXPECT_FALSE(check.zeroing());
    EXPECT_TRUE(check.sampleTimer()->isActive());
    EXPECT_EQ(check.sampleTimer()->interval(), 100);
    EXPECT_EQ(rt_.checkAverage.length(), 3);
    // The five points of the table, no more, in yellow.
    ASSERT_EQ(check.graph()->PointCount(0), 5);
    EXPECT_DOUBLE_EQ(check.graph()->PointAt(0, 4).y, 40.0);
    EXPECT_FLOAT_EQ(static_cast<float>(check.graph()->PointAt(0, 0).x), 0.1f);
    EXPECT_EQ(check.graph()->PointAt(0, 2).color, QColor(255, 255, 0));
    for (int series = 1; series < CGraphCtrl::kSeriesCount; ++series) {
        EXPECT_EQ(check.graph()->PointCount(series), 0);
    }
    const CEditListCtrl& list = *check.checkList();
    ASSERT_EQ(list.columnCount(), 2);
    EXPECT_EQ(list.horizontalHeaderItem(0)->text().toStdString(), "实际值");
    EXPECT_EQ(list.horizontalHeaderItem(1)->text().toStdString(), "输入值");
    EXPECT_EQ(list.GetItemCount(), 0);

    rt_.HDNUM = 0;
    Dialog_Check& twelve = open("12");
    EXPECT_EQ(twelve.unitLabel()->text().toStdString(), "kN");
    EXPECT_EQ(twelve.params().precision, 1);
    EXPECT_EQ(twelve.graph()->PointCount(0), 2);
    // A channel without a table or parameters: nothing drawn, the defaults.
    Dialog_Check& bare = open("33");
    EXPECT_EQ(bare.graph()->PointCount(0), 0);
    EXPECT_EQ(bare.unitLabel()->text().toStdString(), "");
    EXPECT_EQ(shownAt(2.7f), "3");  // no table: the voltage itself, precision 0
}

TEST_F(DialogCheckTest, ATableWithFewerVoltagesThanValuesKeepsNothingOfThePreviousChannel) {
    setKey("21通道", "Volt", "0.700,");
    setKey("21通道", "Data", "7.000,8.000,9.000,");
    open("20");
    Dialog_Check& short21 = open("21");
    ASSERT_EQ(short21.graph()->PointCount(0), 3);
    EXPECT_DOUBLE_EQ(short21.graph()->PointAt(0, 0).x, 0.7f);
    // Channel 20 had 0.2 and 0.3 there.
    EXPECT_DOUBLE_EQ(short21.graph()->PointAt(0, 1).x, 0.0);
    EXPECT_DOUBLE_EQ(short21.graph()->PointAt(0, 2).x, 0.0);
}

TEST_F(DialogCheckTest, AHandEditedPrecisionOutsideZeroToSixShowsNoDecimals) {
    for (const char* point : {"9", "-3"}) {
        setKey("12通道", "Point", point);
        open("12");
        EXPECT_EQ(shownAt(0.16f), "2") << point;  // 1.6 on the table
    }
}

TEST_F(DialogCheckTest, AnalogTickShowsMirrorsAndLogsTheCalibratedValue) {
    const LedReceiver board(kBoardTitle);
    openLog();
    Dialog_Check& check = open("12", true, true);
    EXPECT_EQ(shownAt(1.25f), "12.5");
    EXPECT_EQ(text(check.voltBox()), "1.250");
    EXPECT_EQ(text(check.valueBox()), "12.5");
    EXPECT_FLOAT_EQ(check.value(), 12.5f);
    EXPECT_FLOAT_EQ(check.lastVoltage(), 1.25f);
    // The unit goes to the board and the log, not to the readout.
    EXPECT_EQ(check.displayText(), "12.5kN");

    check.ledUnitBox()->setChecked(false);
    EXPECT_EQ(shownAt(-0.5f), "5.0");
    EXPECT_EQ(board.texts(), (std::vector<std::string>{"12.5kN", "5.0"}));
    EXPECT_EQ(logText(),
              "volt: 1.250000    data: 12.5kN\r\n"
              "volt: -0.500000    data: 5.0\r\n");

    // Without the two flags nothing is sent or logged.
    open("12", false, false);
    EXPECT_EQ(shownAt(0.3f), "3.0");
    EXPECT_EQ(board.texts().size(), 2u);
    EXPECT_EQ(logText().size(), std::string("volt: 1.250000    data: 12.5kN\r\n"
                                            "volt: -0.500000    data: 5.0\r\n")
                                    .size());
}

// While the card has no fresh reading the readout shows dashes, the board and the log get nothing
// and "添加 ↓" takes no row.
TEST_F(DialogCheckTest, AChannelWithoutAFreshReadingShowsDashesAndSendsNothing) {
    const LedReceiver board(kBoardTitle);
    openLog();
    Dialog_Check& check = open("12", true, true);
    EXPECT_EQ(shownAt(1.25f), "12.5");
    card_.setStatus(1);
    EXPECT_EQ(shownAt(0.3f), "----");
    EXPECT_EQ(text(check.voltBox()), "通讯中断");
    EXPECT_EQ(text(check.valueBox()), "----");
    addRow("3");
    EXPECT_EQ(check.checkList()->GetItemCount(), 0);
    ASSERT_FALSE(recorder_.boxes.empty());
    EXPECT_EQ(recorder_.boxes.back().text, "采集无有效数据，不能添加标定点。");
    EXPECT_EQ(board.texts(), (std::vector<std::string>{"12.5kN"}));
    EXPECT_EQ(logText(), "volt: 1.250000    data: 12.5kN\r\n");

    card_.setStatus(0);
    EXPECT_EQ(shownAt(0.3f), "3.0");
    addRow("3");
    EXPECT_EQ(check.checkList()->GetItemCount(), 1);
}

TEST_F(DialogCheckTest, NothingIsShownUntilTheSlidingAverageIsFull) {
    rt_.HDNUM = 3;
    const LedReceiver board(kBoardTitle);
    Dialog_Check& check = open("12", false, true);
    card_.setLevel(0.1f);
    check.tick();
    card_.setLevel(0.2f);
    check.tick();
    EXPECT_EQ(check.readout()->GetText(), "0");
    EXPECT_FLOAT_EQ(check.lastVoltage(), 0.2f);  // the burst's own average
    EXPECT_TRUE(board.texts().empty());
    EXPECT_EQ(shownAt(0.6f), "3.0");  // the mean of 0.1, 0.2 and 0.6 V
}

TEST_F(DialogCheckTest, ZeroBandTextsAreReadAsWholeNumbers) {
    setKey("12通道", "Di0Data", "0.5");
    setKey("12通道", "Gao0Data", "2");
    Dialog_Check& check = open("12");
    EXPECT_EQ(check.params().zeroLow, 0.0f);
    EXPECT_EQ(check.params().zeroHigh, 2.0f);
    EXPECT_EQ(shownAt(0.04f), "0");  // 0.4 lies between 0 and 2 (it would not above 0.5)
    EXPECT_EQ(shownAt(0.0f), "0.0");
    EXPECT_EQ(shownAt(0.25f), "2.5");
}

TEST_F(DialogCheckTest, FrequencyAndCounterChannelsIgnoreTheAnalogRules) {
    const LedReceiver board(kBoardTitle);
    openLog();
    // Precision 3 and a zero band are stored for channel 150 but do not apply.
    setKey("150通道", "Gao0Data", "100");
    Dialog_Check& frequency = open("150", true, true);
    card_.setFrequency(60.0f);
    frequency.tick();
    EXPECT_EQ(text(frequency.voltBox()), "60");
    EXPECT_EQ(frequency.readout()->GetText(), "30.0");
    EXPECT_EQ(frequency.displayText(), "30.0Hz");

    Dialog_Check& counter = open("350", true, true);
    card_.setCounter(1234);
    counter.tick();
    EXPECT_EQ(text(counter.voltBox()), "1234");
    EXPECT_EQ(counter.readout()->GetText(), "1234.0");
    EXPECT_EQ(counter.displayText(), "1234.0");  // no unit for counters

    // Only the frequency reached the board.
    EXPECT_EQ(board.texts(), (std::vector<std::string>{"30.0Hz"}));
    EXPECT_EQ(logText(), "volt: 60.000000   data:\r\nvolt: 1234.000000   data:\r\n");
    EXPECT_EQ(card_.analogReads(), 0);
}

TEST_F(DialogCheckTest, ZeroButtonByChannel) {
    Dialog_Check& analog = open("12");
    EXPECT_EQ(shownAt(1.0f), "10.0");
    analog.OnZero();
    EXPECT_TRUE(analog.zeroing());
    EXPECT_FLOAT_EQ(analog.zeroOffset(), 10.0f);
    EXPECT_EQ(analog.zeroButton()->text().toStdString(), "恢复原零点");
    EXPECT_EQ(shownAt(1.25f), "2.5");
    EXPECT_EQ(shownAt(0.75f), "2.5");
    analog.OnZero();
    EXPECT_FALSE(analog.zeroing());
    EXPECT_EQ(analog.zeroButton()->text().toStdString(), "减零点");
    EXPECT_EQ(shownAt(0.75f), "7.5");

    struct Case {
        const char* channel;
        int resets;
    };
    for (const Case c : {Case{"350", 1}, Case{"300", 0}, Case{"700", 0}, Case{"150", 0}}) {
        card_.reset();
        Dialog_Check& check = open(c.channel);
        check.tick();
        check.OnZero();
        EXPECT_EQ(card_.counterResets(), c.resets) << c.channel;
        EXPECT_FALSE(check.zeroing()) << c.channel;
        EXPECT_EQ(check.zeroButton()->text().toStdString(), "减零点") << c.channel;
    }
}

TEST_F(DialogCheckTest, AddPutsTheShownValueAndTheReferenceOnTop) {
    Dialog_Check& check = open("12");
    shownAt(1.25f);
    addRow("12.4");
    addRow("12.6");  // the same shown value with another reference
    shownAt(1.0f);
    addRow("12.4");
    ASSERT_EQ(check.checkList()->GetItemCount(), 3);
    EXPECT_EQ(cell(0, 0), "10.0");
    EXPECT_EQ(cell(0, 1), "12.4");
    EXPECT_EQ(cell(1, 0), "12.5");
    EXPECT_EQ(cell(1, 1), "12.6");
    EXPECT_EQ(cell(2, 1), "12.4");
    EXPECT_EQ(text(check.inputBox()), "12.4");  // kept for the next row

    addRow("12.4");
    addRow("");
    EXPECT_EQ(check.checkList()->GetItemCount(), 3);
    ASSERT_EQ(recorder_.boxes.size(), 2u);
    EXPECT_EQ(recorder_.boxes[0].text, "有相同数据，操作被取消！");
    EXPECT_EQ(recorder_.boxes[1].text, "请输入当前值！");

    for (int i = 3; i < 50; ++i) {
        addRow(std::to_string(i).c_str());
    }
    EXPECT_EQ(check.checkList()->GetItemCount(), 50);
    addRow("51");
    EXPECT_EQ(check.checkList()->GetItemCount(), 50);
    EXPECT_EQ(recorder_.boxes.back().text, "最大50项数据，操作被取消！");
}

TEST_F(DialogCheckTest, SaveWritesTheRowsTopFirstAndReportsTheFile) {
    std::filesystem::create_directories(dir_ / "d");
    Dialog_Check& check = open("12");
    check.OnSave();
    EXPECT_EQ(test::readBytes(dir_ / "d" / "calibdata"), std::string(404, '\0'));
    ASSERT_EQ(recorder_.boxes.size(), 1u);
    EXPECT_EQ(recorder_.boxes[0].text, "保存成功！文件为二进制文件：D:\\calibdata");

    for (int i = 0; i < 50; ++i) {
        shownAt(static_cast<float>(i) / 10.0f);
        addRow(std::to_string(100 + i).c_str());
    }
    check.OnSave();
    const std::string bytes = test::readBytes(dir_ / "d" / "calibdata");
    ASSERT_EQ(bytes.size(), 404u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x32\0\0\0", 4));
    // The second save replaced the first file. Top row first: the last added, shown 49.0 with
    // reference 149.
    float top = 0.0f;
    float topReference = 0.0f;
    std::memcpy(&top, bytes.data() + 4, 4);
    std::memcpy(&topReference, bytes.data() + 204, 4);
    EXPECT_FLOAT_EQ(top, 49.0f);
    EXPECT_FLOAT_EQ(topReference, 149.0f);
}

TEST_F(DialogCheckTest, FailedSaveKeepsTheRowsAndThePreviousFile) {
    Dialog_Check& check = open("12");
    shownAt(1.25f);
    addRow("12.4");
    // Drive D: maps to a directory that does not exist.
    check.OnSave();
    ASSERT_EQ(recorder_.boxes.size(), 1u);
    EXPECT_EQ(recorder_.boxes[0].text, "保存失败！");
    EXPECT_EQ(check.checkList()->GetItemCount(), 1);

    std::filesystem::create_directories(dir_ / "d");
    test::writeBytes(dir_ / "d" / "calibdata", "previous");
    std::filesystem::create_directory(checkFileReplacementPath(dir_ / "d" / "calibdata"));
    check.OnSave();
    EXPECT_EQ(recorder_.boxes.back().text, "保存失败！");
    EXPECT_EQ(test::readBytes(dir_ / "d" / "calibdata"), "previous");
    EXPECT_EQ(check.checkList()->GetItemCount(), 1);
}

TEST_F(DialogCheckTest, DoubleClickDeletesTheSelectedRowAfterAYes) {
    Dialog_Check& check = open("12");
    for (const char* reference : {"1", "2", "3"}) {
        addRow(reference);
    }
    check.OnDblclkList();  // no row has the focus: no question
    EXPECT_TRUE(recorder_.boxes.empty());
    check.checkList()->SelectItem(1);
    recorder_.answers = {false, true};
    check.OnDblclkList();
    EXPECT_EQ(check.checkList()->GetItemCount(), 3);
    check.OnDblclkList();
    ASSERT_EQ(check.checkList()->GetItemCount(), 2);
    EXPECT_EQ(cell(0, 1), "3");
    EXPECT_EQ(cell(1, 1), "1");
    ASSERT_EQ(recorder_.boxes.size(), 2u);
    EXPECT_EQ(recorder_.boxes[0].text, "确实要删除该项？");
    EXPECT_EQ(recorder_.boxes[0].caption, "提示");
    EXPECT_TRUE(recorder_.boxes[0].question);
}

TEST_F(DialogCheckTest, SettingsBehindTheMaintenancePasswordChangeThePeriod) {
    Dialog_Check& check = open("12");
    check.setPasswordClock([] { return 9; });
    std::string typed = "wrong";
    recorder_.onModal = [&](QDialog& dialog) {
        if (auto* prompt = dynamic_cast<Dialog_Password*>(&dialog)) {
            prompt->passwordField()->setText(QString::fromStdString(typed));
            if (typed == "wrong") {
                prompt->OnCancel();  // after the refusal the technician gives up
            } else {
                prompt->OnOK();
            }
        } else if (auto* settings = dynamic_cast<Dialog_CheckSet*>(&dialog)) {
            settings->msBox()->setCurrentText(QStringLiteral("50"));
            settings->hdNumBox()->setCurrentText(QStringLiteral("2"));
            settings->OnSet();
        }
    };
    check.OnSettings();
    ASSERT_EQ(recorder_.modals.size(), 1u);  // no settings without the password
    EXPECT_EQ(check.sampleTimer()->interval(), 100);

    typed = maintenancePassword(9);
    check.OnSettings();
    ASSERT_EQ(recorder_.modals.size(), 3u);
    EXPECT_EQ(recorder_.modals[2].title, "校准设置");
    EXPECT_EQ(rt_.MS, 50);
    EXPECT_TRUE(check.sampleTimer()->isActive());
    EXPECT_EQ(check.sampleTimer()->interval(), 50);
    EXPECT_EQ(rt_.checkAverage.length(), 2);
    EXPECT_EQ(rt_.checkAverage.filled(), 0);
    // The window samples again: the new average fills from the next tick.
    card_.setLevel(0.5f);
    check.tick();
    EXPECT_EQ(rt_.checkAverage.filled(), 1);
}

TEST_F(DialogCheckTest, ExitEndsWithZeroAndStopsSampling) {
    Dialog_Check& check = open("12");
    check.show();
    check.exitButton()->click();
    EXPECT_EQ(check.result(), 0);
    EXPECT_FALSE(check.isVisible());
    EXPECT_FALSE(check.sampleTimer()->isActive());
}

}  // namespace
}  // namespace kova::testing
