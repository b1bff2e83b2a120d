#pragma once
// A calibration page on its own: GBK station directory and Calib.ini in a temporary directory,
// the simulated card (a private copy beside its own settings), the stand-in system library, and a
// recorder in place of the message boxes.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DialogsRecorder.h"
#include "TestFiles.h"
#include "calib/MathHD.h"
#include "controls/EditListCtrl.h"
#include "pages/Dialog_Tdcab.h"
#include "runtime/Runtime.h"

namespace kova::testing {

// Two stations of this computer: 2 with two devices, 5 without "DevOrder".
inline constexpr const char* kSysIni =
    "[ALLSTATION]\r\n1工位=0\r\n2工位=1\r\n3工位=2\r\n5工位=1\r\n"
    "[2工位]\r\nDevOrder=10,11,\r\n";
inline constexpr const char* kDevIdIni = "[DEVID]\r\ndevid10=制动台\r\ndevid11=速度台\r\n";
inline constexpr const char* kCalibIni =
    "[制动台]\r\nAllTD_A=左制动,右制动,频率,计数,远端,\r\n"
    "左制动=3\r\n左制动[About]=左轮制动力\r\n右制动=1234\r\n频率=150\r\n计数=350\r\n远端=700\r\n"
    "[3通道]\r\nVolt=0.500,1.000,\r\nData=100.000,200.000,\r\n";
inline constexpr const char* kCardIni =
    "[Card]\r\nStep=10\r\n[Analog3]\r\nMode=Constant\r\nLevel=1.5\r\n"
    "[Frequency123]\r\nValue=42.4\r\n[Frequency150]\r\nValue=49.6\r\n"
    "[Counter350]\r\nRate=1000\r\n";

using Texts = std::vector<std::pair<std::string, std::string>>;

// The points list as (voltage, true value) texts.
inline Texts rowsOf(const Dialog_Tdcab& page) {
    Texts texts;
    for (const CalibRow& row : page.pointRows()) {
        texts.emplace_back(row.volt, row.data);
    }
    return texts;
}

class TdcabFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        writeIni("sysKOVA.ini", kSysIni);
        writeIni("DevID.ini", kDevIdIni);
        writeIni("Calib.ini", kCalibIni);
        test::writeBytes(dir_ / "Ferroxan.ini", kCardIni);
        std::filesystem::copy_file(KOVA_TEST_FERROXAN, dir_ / "Ferroxan.so");
        rt_.CalibIniPath = (dir_ / "Calib.ini").string();
        rt_.SysIniPath = (dir_ / "sysKOVA.ini").string();
        rt_.DevIdIniPath = (dir_ / "DevID.ini").string();
        rt_.AVERNUM = 30;
        rt_.FIRNUM = 0.0f;  // the stand-in filter passes its input through
        rt_.MS = 40;
        ASSERT_TRUE(rt_.hardwareModule.Load((dir_ / "Ferroxan.so").string()));
        rt_.systemLibrary.keepProcessWhenNotLoadable();
        ASSERT_EQ(rt_.systemLibrary.Load(1), SystemLibrary::kLoaded);
    }

    void writeIni(const char* name, const char* utf8) { test::writeGbk(dir_ / name, utf8); }

    Dialog_Tdcab& open() {
        page_ = std::make_unique<Dialog_Tdcab>(rt_, average_);
        return *page_;
    }

    // Opens and shows the page with device 制动台 of station 2 chosen.
    Dialog_Tdcab& openOnDevice() {
        Dialog_Tdcab& page = open();
        page.show();
        page.deviceBox()->setCurrentText(QStringLiteral("制动台"));
        page.OnSelchangeDevice();
        return page;
    }

    // Clicks the channel number cell of a channel-list row, as the technician picks a channel.
    void clickChannel(int row) {
        CEditListCtrl& list = *page_->channelList();
        const QRect cell = list.visualRect(list.model()->index(row, 1));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
    }

    // The acquisition log, opened as start-up opens it.
    void openLog() { rt_.AcqLog.open(dir_ / "AcqData.log"); }
    std::string logText() const { return test::readBytes(dir_ / "AcqData.log"); }
    std::string calibIniText() const { return gbkToUtf8(test::readBytes(dir_ / "Calib.ini")); }

    test::TempDir dir_;
    test::ScopedEnv systemDir_{"KOVA_SYSTEM_DIR", KOVA_TEST_SYSTEM_DIR};
    DialogsRecorder recorder_;
    ScopedDialogs dialogs_{recorder_};
    Runtime rt_;
    MathHD average_;
    std::unique_ptr<Dialog_Tdcab> page_;
};

}  // namespace kova::testing
