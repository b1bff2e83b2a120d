// The main window on a station made by the test: GBK ini files, the test card as the hardware
// module, a scripted password box, and a private directory for window messages.
#include "app/CalibDlg.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "DialogsRecorder.h"
#include "TestFiles.h"
#include "controls/TabSheet.h"
#include "pages/Dialog_Digit.h"
#include "pages/Dialog_Tdcab.h"
#include "pages/Dialog_Tdset.h"
#include "platform/DynamicLibrary.h"
#include "platform/HostUser.h"
#include "platform/TextCodec.h"
#include "platform/WindowMessages.h"
#include "platform/WindowReceiver.h"

namespace fs = std::filesystem;

namespace kova {
namespace {

class CalibDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(config);
        fs::create_directories(modules);
        test::writeGbk(config / "sysKOVA.ini",
                       "[ALLSTATION]\r\n1工位=1\r\n[1工位]\r\nDevOrder=7,\r\n");
        test::writeGbk(config / "DevID.ini", "[DEVID]\r\ndevid7=制动台\r\n");
        test::writeGbk(config / "Calib.ini",
                       "[CHECKPARAM]\r\nMS=50\r\n[制动台]\r\nAllTD_A=左制动力,\r\n"
                       "左制动力=1\r\n");
        fs::copy_file(KOVA_TEST_FULL_CARD, modules / "Ferroxan.so");
        fs::copy_file(KOVA_TEST_SCRIPTED_PASSWORD_BOX, dir / "PasswordBox.so");
        env.setText(EnvRecord::kConfigDirOffset, config.string());
        env.setText(EnvRecord::kModuleDirOffset, modules.string());
        env.setText(EnvRecord::kPasswordBoxPathOffset, (dir / "PasswordBox.dll").string());
        card = DynamicLibrary::open((modules / "Ferroxan.so").string());
        ASSERT_EQ(rt.systemLibrary.Load(1), 1);
    }

    void TearDown() override { rt.systemLibrary.Unload(); }

    // What the test card and the password box were asked to do (their own record of the calls).
    std::string cardEvents() const {
        const auto events = reinterpret_cast<const char* (*)()>(card.symbol("TestEvents"));
        return events != nullptr ? events() : "(no card)";
    }
    std::string passwordBoxCalls() const {
        const auto calls = reinterpret_cast<const char* (*)()>(passwordBox.symbol("TestCalls"));
        return calls != nullptr ? calls() : "(no password box)";
    }
    void answerPasswordBox(int answer) {
        const auto set = reinterpret_cast<void (*)(int)>(passwordBox.symbol("TestSetAnswer"));
        ASSERT_NE(set, nullptr);
        set(answer);
    }

    test::TempDir dir;
    fs::path config = dir / "config";
    fs::path modules = dir / "modules";
    test::ScopedEnv windows{"KOVA_WINDOWS_DIR", dir / "windows"};
    test::ScopedEnv systemDir{"KOVA_SYSTEM_DIR", KOVA_TEST_SYSTEM_DIR};
    DialogsRecorder recorder;
    ScopedDialogs scoped{recorder};
    EnvRecord env;
    Runtime rt;
    // The test's own handles keep the modules' records alive across the tool's Unload.
    DynamicLibrary card;
    DynamicLibrary passwordBox;
};

TEST_F(CalibDlgTest, ACommandLineRectangleWithField4ZeroMovesTheWindowAndSkipsThePasswordBox) {
    CalibDlg window(rt, env, std::string_view("10,20,790,600,0"));
    ASSERT_TRUE(window.Initialise());
    EXPECT_EQ(window.geometry(), QRect(10, 20, 780, 580));
    EXPECT_EQ(rt.PasswordRequired, 0);
    EXPECT_EQ(rt.MS, 50);
    EXPECT_EQ(rt.AVERNUM, 30);  // missing keys take their defaults
    EXPECT_TRUE(window.pageAreaTimer()->isActive());
    EXPECT_EQ(window.controls().tabSheet->GetCurSel(), 1);  // the calibration page after start
    EXPECT_TRUE(window.controls().calibPage->isVisibleTo(&window));
    EXPECT_EQ(window.controls().versionLabel->text().toStdString(), "Ver:1.0.0 (stand-in)");
    EXPECT_TRUE(recorder.boxes.empty());
    // Records go beside Calib.ini, in the name of the station's login when no box was asked.
    ASSERT_NE(rt.records, nullptr);
    EXPECT_TRUE(fs::exists(config / "CalibRecords.db"));
    EXPECT_EQ(rt.operatorName, processUserName());
    EXPECT_FALSE(rt.operatorName.empty());
}

TEST_F(CalibDlgTest, WithoutArgumentThePasswordBoxDecides) {
    passwordBox = DynamicLibrary::open((dir / "PasswordBox.so").string());
    answerPasswordBox(1);
    {
        CalibDlg window(rt, env, std::nullopt);
        EXPECT_TRUE(window.Initialise());
        EXPECT_EQ(passwordBoxCalls(), "ExtDoModal;ExtStop;");
        EXPECT_EQ(cardEvents(), "close;open:Calib;");
        EXPECT_EQ(rt.operatorName, "operator");  // the box's user works at the station
        window.OnExit();
    }

    answerPasswordBox(0);
    CalibDlg refused(rt, env, std::nullopt);
    EXPECT_FALSE(refused.Initialise());
    EXPECT_EQ(refused.loginRecord().status, kLoginRefused);
    // A refused box ends the window without the clean-up: the module is not closed again.
    EXPECT_FALSE(refused.cleanedUp());
    EXPECT_EQ(cardEvents(), "close;open:Calib;close;stop;release;close;open:Calib;");
    EXPECT_FALSE(refused.pageAreaTimer()->isActive());
}

TEST_F(CalibDlgTest, AMissingPasswordBoxIsReportedAndEndsTheWindow) {
    fs::remove(dir / "PasswordBox.so");
    CalibDlg window(rt, env, std::string_view("0,0,760,556,1"));
    EXPECT_FALSE(window.Initialise());
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "密码框组件不存在:" + (dir / "PasswordBox.dll").string());
    EXPECT_EQ(recorder.boxes[0].caption, "数据库校验工具");
}

TEST_F(CalibDlgTest, ALogThatCannotBeOpenedShowsItsPathOnTheStatusLine) {
    // The module directory is a file, so nothing can be created in it.
    const fs::path notADirectory = dir / "plain-file";
    test::writeBytes(notADirectory, "x");
    env.setText(EnvRecord::kModuleDirOffset, notADirectory.string());
    CalibDlg window(rt, env, std::string_view("0,0,760,556,0"));
    ASSERT_TRUE(window.Initialise());
    const std::string status = window.controls().statusLine->text().toStdString();
    EXPECT_NE(status.find("AcqData.log"), std::string::npos) << status;
    EXPECT_NE(status.find(" built fail!"), std::string::npos) << status;
}

TEST_F(CalibDlgTest, ThePageSitsOnThePageAreaAgainOnePageTickAfterTheWindowMoves) {
    CalibDlg window(rt, env, std::string_view("0,0,761,557,0"));
    ASSERT_TRUE(window.Initialise());
    window.show();
    window.move(140, 90);
    window.tick();
    const QRect area(window.controls().pageArea->mapToGlobal(QPoint(0, 0)),
                     window.controls().pageArea->size());
    EXPECT_EQ(rt.PageAreaRect, (ScreenRect{area.left(), area.top(), area.left() + area.width(),
                                           area.top() + area.height()}));
    window.controls().calibPage->placeTick();
    window.controls().configPage->tick();
    for (QWidget* page : {static_cast<QWidget*>(window.controls().calibPage),
                          static_cast<QWidget*>(window.controls().configPage)}) {
        EXPECT_EQ(QRect(page->mapToGlobal(QPoint(0, 0)), page->size()), area);
    }
    window.OnExit();
}

TEST_F(CalibDlgTest, Message1039ShowsTheCalibrationPageFromEitherPage) {
    CalibDlg window(rt, env, std::string_view("0,0,761,557,0"));
    ASSERT_TRUE(window.Initialise());
    WindowMessage show;
    show.msg = CalibDlg::kShowCalibrationPage;

    window.OnWindowMessage(show);  // already shown: nothing changes
    EXPECT_EQ(window.controls().tabSheet->GetCurSel(), 1);

    window.controls().tabSheet->SetCurSel(0);
    // From another program, through the transport, to the title in another letter case.
    ASSERT_TRUE(postWindowMessage("CALIB", show).delivered);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.controls().tabSheet->GetCurSel() == 1; }));
    EXPECT_TRUE(window.controls().calibPage->isVisibleTo(&window));
    EXPECT_FALSE(window.controls().configPage->isVisibleTo(&window));

    WindowMessage copy;
    copy.msg = kCopyDataMessage;
    copy.data = "ignored";
    copy.cbData = 7;
    EXPECT_EQ(window.OnWindowMessage(copy), 0);
    window.OnExit();
}

TEST_F(CalibDlgTest, ClosingClosesTheModuleInOrderAndTellsKova) {
    std::vector<WindowMessage> received;
    std::string error;
    auto kova = MessageWindow::open(
        "KOVA",
        [&](const WindowMessage& m) {
            received.push_back(m);
            return std::int64_t{0};
        },
        error);
    ASSERT_TRUE(kova) << error;
    WindowLoop loop;
    loop.add(*kova);

    CalibDlg window(rt, env, std::string_view("0,0,761,557,0"));
    ASSERT_TRUE(window.Initialise());
    window.OnExit();
    EXPECT_TRUE(window.cleanedUp());
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_EQ(cardEvents(), "close;open:Calib;close;stop;release;");
    EXPECT_FALSE(rt.hardwareModule.IsLoaded());
    EXPECT_FALSE(rt.AcqLog);

    for (int i = 0; i < 100 && received.empty(); ++i) {
        loop.runOnce(std::chrono::milliseconds(50));
    }
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].msg, CalibDlg::kToolClosed);
    EXPECT_EQ(received[0].kind, FrameKind::Post);
    EXPECT_EQ(received[0].wParam, 0u);
    EXPECT_EQ(received[0].lParam, 0);
}

TEST_F(CalibDlgTest, CloseRequestFromAnotherProgramRunsTheCleanUpWithoutKova) {
    CalibDlg window(rt, env, std::string_view("0,0,761,557,0"));
    ASSERT_TRUE(window.Initialise());
    window.show();
    WindowMessage close;
    close.msg = kCloseMessage;
    ASSERT_TRUE(postWindowMessage("Calib", close).delivered);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
    EXPECT_TRUE(window.cleanedUp());
    EXPECT_EQ(cardEvents(), "close;open:Calib;close;stop;release;");
}

TEST_F(CalibDlgTest, EnterInAPageFieldKeepsTheToolEscapeInTheWindowExitsWithCleanUp) {
    CalibDlg window(rt, env, std::string_view("0,0,761,557,0"));
    ASSERT_TRUE(window.Initialise());
    window.show();
    QTest::keyClick(window.controls().calibPage->trueValueField(), Qt::Key_Return);
    QTest::keyClick(window.controls().calibPage->trueValueField(), Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.cleanedUp());

    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.cleanedUp());
}

TEST_F(CalibDlgTest, OutputsSwitchedOnInTheDigitalTestAreLowBeforeTheModuleCloses) {
    const auto highAtClose = reinterpret_cast<int (*)()>(card.symbol("TestHighOutputsAtClose"));
    ASSERT_NE(highAtClose, nullptr);
    const std::function<void(CalibDlg&)> endings[] = {[](CalibDlg& w) { w.OnExit(); },
                                                      [](CalibDlg& w) { w.OnRestoreDefaults(); }};
    for (const auto& end : endings) {
        CalibDlg window(rt, env, std::string_view("0,0,761,557,0"));
        ASSERT_TRUE(window.Initialise());
        window.controls().calibPage->OnDigitalTest();
        auto* digit = window.controls().calibPage->findChild<Dialog_Digit*>();
        ASSERT_NE(digit, nullptr);
        digit->outputButton(3)->click();
        digit->outputButton(17)->click();
        end(window);
        EXPECT_EQ(highAtClose(), 0);
    }
}

TEST_F(CalibDlgTest, RestoreDefaultsWritesThreeKeysClosesTheModuleAndEnds) {
    test::writeGbk(config / "Calib.ini",
                   "[CHECKPARAM]\r\nMS=20\r\nAVERNUM=5\r\nHDNUM=0\r\nFIRNUM=0.3\r\n");
    CalibDlg window(rt, env, std::string_view("0,0,761,557,0"));
    ASSERT_TRUE(window.Initialise());
    window.OnRestoreDefaults();
    EXPECT_EQ(test::readBytes(config / "Calib.ini"),
              "[CHECKPARAM]\r\nMS=100\r\nAVERNUM=30\r\nHDNUM=5\r\nFIRNUM=0.3\r\n");
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "提示：更改成功，程序即将退出，请重新启动标定程序 ！！");
    EXPECT_EQ(cardEvents(), "close;open:Calib;close;");
    EXPECT_EQ(window.result(), 0);
    EXPECT_EQ(rt.MS, 20);  // the values in memory stay
}

TEST_F(CalibDlgTest, ARestoreThatCannotWriteIsNotReportedAsDoneAndTheWindowStays) {
    const std::string before = "[CHECKPARAM]\r\nMS=20\r\n";
    test::writeBytes(config / "Calib.ini", before);
    ::chmod((config / "Calib.ini").c_str(), 0444);
    CalibDlg window(rt, env, std::string_view("0,0,761,557,0"));
    ASSERT_TRUE(window.Initialise());
    window.OnRestoreDefaults();
    ::chmod((config / "Calib.ini").c_str(), 0644);
    EXPECT_EQ(test::readBytes(config / "Calib.ini"), before);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_TRUE(recorder.boxes[0].text.starts_with("默认参数没有恢复：文件只读。"))
        << recorder.boxes[0].text;
    EXPECT_EQ(cardEvents(), "close;open:Calib;");  // the module stays open: the window goes on
}

}  // namespace
}  // namespace kova
