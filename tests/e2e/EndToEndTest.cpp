// A technician's whole road on a station made by the test: declare a device's analog channel on
// the configuration page, calibrate it on the calibration page against the simulated card, save,
// and read the table back through libCalib.so the way a sibling program does; check it, and find
// both in the records through kovarecords and its report.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "../device/FerroxanRecheck.h"
#include "ChildProcess.h"
#include "DialogsRecorder.h"
#include "TestFiles.h"
#include "calib/Calib.h"
#include "controls/EditListCtrl.h"
#include "pages/Dialog_Check.h"
#include "pages/Dialog_Tdcab.h"
#include "pages/Dialog_Tdset.h"
#include "platform/DynamicLibrary.h"
#include "platform/IniFile.h"
#include "records/RecordsStore.h"
#include "runtime/Runtime.h"

namespace fs = std::filesystem;

namespace kova {
namespace {

void writeCard(const fs::path& dir, const char* level) {
    test::writeBytes(dir / "Ferroxan.ini", std::string("[Card]\r\nStep=10\r\n[Analog4]\r\n"
                                                       "Mode=constant\r\nLevel=") +
                                               level + "\r\n");
}

// Samples until the page's sliding average is full of the card's present level.
std::string settledVoltage(Dialog_Tdcab& page) {
    for (int i = 0; i < 2 * Dialog_Tdcab::kSlidingLength; ++i) {
        page.tick();
    }
    return page.voltField()->text().toStdString();
}

class EndToEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeGbk(dir / "sysKOVA.ini",
                       "[ALLSTATION]\r\n1工位=1\r\n[1工位]\r\nDevOrder=1,\r\n");
        test::writeGbk(dir / "DevID.ini", "[DEVID]\r\ndevid1=制动台\r\n");
        writeCard(dir.path(), "1.25");
        fs::copy_file(KOVA_TEST_FERROXAN, dir / "Ferroxan.so");
        rt.CalibIniPath = (dir / "Calib.ini").string();
        rt.SysIniPath = (dir / "sysKOVA.ini").string();
        rt.DevIdIniPath = (dir / "DevID.ini").string();
        rt.FIRNUM = 0.0f;  // the filter passes the reading through
        ASSERT_TRUE(rt.hardwareModule.Load((dir / "Ferroxan.so").string()));
        ASSERT_EQ(rt.systemLibrary.Load(1), 1);
        declareChannel();
    }

    // Declares channel 4 of the brake tester on the configuration page.
    void declareChannel() {
        Dialog_Tdset config(ChannelStore(rt.channelIniPaths()), [] { return QRect(); });
        config.deviceBox()->setCurrentIndex(0);
        config.OnSelchangeDevice();
        config.analog().keyword->setText(QStringLiteral("左制动力"));
        config.OnAdd(config.analog());
        ASSERT_EQ(config.analog().list->GetItemCount(), 1);
        config.analog().list->SetItemText(0, 1, "4");
        config.analog().list->SetItemText(0, 2, "左轮制动力");
        config.analog().list->SetItemText(0, 3, "1");
        config.analog().list->SetItemText(0, 5, "daN");
        config.OnSave();
    }

    // Calibrates it: two points against the card's level, the second after the level changed.
    void calibrate() {
        page = std::make_unique<Dialog_Tdcab>(rt, average);
        page->show();
        page->deviceBox()->setCurrentIndex(0);
        page->OnSelchangeDevice();
        ASSERT_EQ(page->channelList()->GetItemCount(), 1);
        page->channelList()->setCurrentIndex(page->channelList()->model()->index(0, 0));
        page->OnClickChannel();
        EXPECT_EQ(settledVoltage(*page), "1.250");
        page->trueValueField()->setText(QStringLiteral("500"));
        page->OnAdd();
        writeCard(dir.path(), "2.5");
        test::recheckFerroxanSettings(dir / "Ferroxan.so");
        EXPECT_EQ(settledVoltage(*page), "2.500");
        page->trueValueField()->setText(QStringLiteral("1000"));
        page->OnAdd();
        page->OnSave();
        EXPECT_EQ(recorder.boxes.back().text, "该通道标定数据保存完毕！");
    }

    test::TempDir dir;
    test::ScopedEnv systemDir{"KOVA_SYSTEM_DIR", KOVA_TEST_SYSTEM_DIR};
    test::ScopedEnv configDir{"KOVA_CONFIG_DIR", dir.path()};
    Runtime rt;
    MathHD average;
    DialogsRecorder recorder;
    ScopedDialogs scoped{recorder};
    std::unique_ptr<Dialog_Tdcab> page;
};

TEST_F(EndToEndTest, ADeclaredChannelCalibratedOnTheCardReadsBackThroughLibCalib) {
    calibrate();

    // The GBK file holds the declaration and the table under the expected keys.
    const IniFile calib(rt.CalibIniPath);
    EXPECT_EQ(calib.readString("制动台", "AllTD_A", "", 2048), "左制动力,");
    EXPECT_EQ(calib.readString("制动台", "左制动力", "", 10), "4");
    EXPECT_EQ(calib.readString("制动台", "左制动力[About]", "", 100), "左轮制动力");
    EXPECT_EQ(calib.readString("4通道", "Point", "", 10), "1");
    EXPECT_EQ(calib.readString("4通道", "DanWei", "", 10), "daN");
    EXPECT_EQ(calib.readString("4通道", "Volt", "", 2048), "1.250,2.500,");
    EXPECT_EQ(calib.readString("4通道", "Data", "", 2048), "500.000,1000.000,");

    // A sibling program: libCalib.so finds Calib.ini through the system library by itself.
    const DynamicLibrary lib = DynamicLibrary::open(KOVA_TEST_LIBCALIB);
    const auto getCalibArray =
        reinterpret_cast<int32_t (*)(int32_t, CalibTable*)>(lib.symbol("GetCalibArray"));
    const auto getTrueDat =
        reinterpret_cast<float (*)(float, CalibTable)>(lib.symbol("GetTrueDat"));
    ASSERT_NE(getCalibArray, nullptr);
    ASSERT_NE(getTrueDat, nullptr);
    CalibTable table;
    ASSERT_EQ(getCalibArray(4, &table), 1);
    ASSERT_EQ(table.count, 2);
    EXPECT_FLOAT_EQ(table.volt[0], 1.25f);
    EXPECT_FLOAT_EQ(table.volt[1], 2.5f);
    EXPECT_FLOAT_EQ(table.data[0], 500.0f);
    EXPECT_FLOAT_EQ(table.data[1], 1000.0f);
    EXPECT_FLOAT_EQ(getTrueDat(1.875f, table), 750.0f);
}

TEST_F(EndToEndTest, ACalibrationAndACheckSavedInTheToolReachKovarecordsAndTheReport) {
    // The records where the main window keeps them, found as kovarecords finds them.
    RecordsStore store(recordsLocation(dir.path().string(), rt.SysIniPath));
    ASSERT_TRUE(store.open()) << store.openError();
    rt.records = &store;
    rt.operatorName = "张工";
    calibrate();

    // The check window on the new table: 1.875 V is 750 daN; the reference weight says 752.
    fs::create_directories(dir / "d");
    const test::ScopedEnv driveD("KOVA_DRIVE_D", dir / "d");
    writeCard(dir.path(), "1.875");
    test::recheckFerroxanSettings(dir / "Ferroxan.so");
    Dialog_Check check(rt, "制动台", "4", false, false);
    check.setStation("1工位");
    for (int i = 0; i < 20; ++i) {
        check.tick();
    }
    check.inputBox()->setText(QStringLiteral("752"));
    check.OnAdd();
    check.OnSave();
    ASSERT_EQ(recorder.boxes.back().text, "保存成功！文件为二进制文件：D:\\calibdata");
    const std::string shown = check.checkList()->GetItemText(0, 0);
    ASSERT_EQ(shown, "750.0");
    rt.records = nullptr;

    const test::Outcome list = test::runProgram(KOVA_TEST_KOVARECORDS, {"list", "4"});
    ASSERT_EQ(list.status, 0) << list.output;
    EXPECT_EQ(std::count(list.output.begin(), list.output.end(), '\n'), 2) << list.output;
    EXPECT_NE(list.output.find("校验"), std::string::npos) << list.output;
    EXPECT_NE(list.output.find("张工"), std::string::npos) << list.output;

    const std::string pdf = dir.file("report.pdf");
    ASSERT_EQ(test::runProgram(KOVA_TEST_KOVARECORDS, {"report", "4", pdf}, true).status, 0);
    std::string text = test::runProgram("/usr/bin/pdftotext", {pdf, "-"}).output;
    std::erase(text, ' ');
    // The check window's row and its error (-2 daN, 0.20 % of the 1000 daN full scale).
    for (const char* expected : {"750.000", "752.000", "-2.000", "-0.27", "0.20", "左轮制动力",
                                 "1工位", "张工", "结论：合格"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
}

}  // namespace
}  // namespace kova
