// guideshots: takes the technician's guide (docs/guide.md) step by step on the demo station and
// writes a picture of the window at each step into KOVA_SCREENSHOT_DIR. scripts/screenshots runs
// it through `kovademo --tool`; it is not installed.
//
// A new picture is one more entry in kSteps: a function that drives the tool the way the guide
// tells the technician to, and shoots.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "Tour.h"
#include "app/CalibDlg.h"
#include "controls/EditListCtrl.h"
#include "controls/TabSheet.h"
#include "dialogs/Dialog_CheckSet.h"
#include "dialogs/Dialog_Password.h"
#include "dialogs/logic/MaintenancePassword.h"
#include "pages/Dialog_Check.h"
#include "pages/Dialog_Digit.h"
#include "pages/Dialog_Tdcab.h"
#include "pages/Dialog_Tdset.h"
#include "pages/RecordsPage.h"
#include "platform/DynamicLibrary.h"
#include "platform/IniFile.h"
#include "runtime/StartUp.h"

namespace {

using kova::guide::Camera;
using kova::guide::TourDialogs;

struct Guide {
    CalibDlg& window;
    EnvRecord& env;
    Camera& camera;
    TourDialogs& dialogs;
    kova::guide::LedBoardsOnThread& led;
};

void clickFirstButton(QWidget& box) {
    if (auto* button = box.findChild<QPushButton*>()) {
        button->click();
    }
}

// Expects a message box: pictured as `picture` unless null, then closed with its button.
void expectMessage(Guide& g, const char* picture) {
    g.dialogs.expect([&g, picture](QWidget& box) {
        if (picture != nullptr) {
            g.camera.shoot(box, picture);
        }
        clickFirstButton(box);
    });
}

// Enough samples for the filter (the demo's FIRNUM 0.7) and the sliding average to settle within
// a millivolt: what "wait for a steady reading" means on the demo.
constexpr int kSteadyTicks = 40;

// Edits the simulated card's Ferroxan.ini as the guide tells the technician to, and has the card
// read it at once (it looks at the file only every 100 ms).
void editCard(Guide& g, const std::vector<kova::IniWrite>& writes) {
    kova::IniFile(g.env.ModuleDir() + "\\Ferroxan.ini").writeStrings(writes);
    const kova::DynamicLibrary card = kova::DynamicLibrary::open(kova::hardwareModulePath(g.env));
    if (const auto recheck = reinterpret_cast<void (*)()>(card.symbol("FerroxanRecheckSettings"))) {
        recheck();
    }
}

// The guide's way of applying a known quantity: the analog channel holds `level` volts; then the
// readings settle.
void applyVolts(Guide& g, int channel, const char* level) {
    const std::string section = "Analog" + std::to_string(channel);
    editCard(g,
             {{section, "Mode", "constant"}, {section, "Level", level}, {section, "Noise", "0"}});
    for (int i = 0; i < kSteadyTicks; ++i) {
        g.window.controls().calibPage->tick();
    }
}

// The tour goes on only on the demo's own stations, devices and channels.
[[noreturn]] void missing(const char* what) {
    std::fprintf(stderr, "guideshots: the demo has no %s\n", what);
    std::exit(1);
}

void choose(QComboBox* box, const char* text) {
    const int index = box->findText(QString::fromUtf8(text));
    if (index < 0) {
        missing(text);
    }
    box->setCurrentIndex(index);
}

void chooseChannel(Dialog_Tdcab& page, const char* keyword) {
    CEditListCtrl& list = *page.channelList();
    for (int row = 0; row < list.GetItemCount(); ++row) {
        if (list.GetItemText(row, 0) == keyword) {
            list.setCurrentIndex(list.model()->index(row, 0));
            page.OnClickChannel();
            return;
        }
    }
    missing(keyword);
}

// Brings the tab sheet's page `index` to the front, as a click on its tab does.
void showPage(Guide& g, int index) {
    g.window.controls().tabSheet->SetCurSel(index);
    g.window.tick();
}

// The brake tester of station 1, on a page with the station and device boxes.
template <class Page>
void chooseBrakeTester(Page& page) {
    choose(page.stationBox(), "1工位");
    page.OnSelchangeStation();
    choose(page.deviceBox(), "制动台");
    page.OnSelchangeDevice();
}

// The password box component's login, before the main window shows.
void login(Guide& g) {
    g.dialogs.expect([&g](QWidget& box) {
        QTest::keyClicks(box.findChild<QLineEdit*>(QStringLiteral("user")), QStringLiteral("demo"));
        QTest::keyClicks(box.findChild<QLineEdit*>(QStringLiteral("password")),
                         QStringLiteral("kova"));
        g.camera.shoot(box, "login.png");
        box.findChild<QPushButton*>(QStringLiteral("ok"))->click();
    });
    g.dialogs.armForNextModal();
}

// 通道配置: a new analog channel on the brake tester, filled in, then saved.
void declareChannel(Guide& g) {
    showPage(g, 0);
    Dialog_Tdset& page = *g.window.controls().configPage;
    page.tick();
    chooseBrakeTester(page);
    // Typed through an input method: QTest types only ASCII keys.
    page.analog().keyword->setText(QStringLiteral("举升油压"));
    page.analog().add->click();
    CEditListCtrl& list = *page.analog().list;
    const int row = list.GetItemCount() - 1;
    list.SetItemText(row, 1, "7");
    list.SetItemText(row, 2, "举升器油压传感器");
    list.SetItemText(row, 3, "1");
    list.SetItemText(row, 5, "MPa");
    g.camera.shoot(g.window, "config-page.png");
    expectMessage(g, nullptr);
    page.saveButton()->click();
}

// 通道标定: three known loads on 右制动力 (channel 2), each read when steady, then saved.
void calibrate(Guide& g) {
    showPage(g, 1);
    Dialog_Tdcab& page = *g.window.controls().calibPage;
    page.placeTick();
    chooseBrakeTester(page);
    chooseChannel(page, "右制动力");
    const struct {
        const char* volts;
        const char* value;
    } points[] = {{"0.2", "0"}, {"1.2", "1000"}, {"2.2", "2000"}};
    for (const auto& point : points) {
        applyVolts(g, 2, point.volts);
        page.trueValueField()->setText(QString::fromUtf8(point.value));
        page.OnAdd();
    }
    g.camera.shoot(g.window, "calibration-page.png");
    expectMessage(g, "calibration-saved.png");
    page.OnSave();
}

// 标定校验 with the LED board, and the acquisition settings behind the maintenance password.
void check(Guide& g) {
    Dialog_Tdcab& page = *g.window.controls().calibPage;
    page.sendToLedBox()->setChecked(true);
    applyVolts(g, 2, "1.7");
    g.dialogs.expect([&g](QWidget& modal) {
        auto& window = dynamic_cast<Dialog_Check&>(modal);
        for (int i = 0; i < kSteadyTicks; ++i) {
            window.tick();
        }
        window.inputBox()->setText(QStringLiteral("1500"));
        window.OnAdd();
        g.camera.shoot(window, "check-window.png");
        g.camera.shoot(g.led.window(), "led-board.png");
        // Saved: the check becomes a record the records page shows.
        expectMessage(g, nullptr);
        window.saveButton()->click();
        g.dialogs.expect([&g](QWidget& prompt) {
            auto& password = dynamic_cast<kova::Dialog_Password&>(prompt);
            const std::time_t now = std::time(nullptr);
            std::tm local{};
            localtime_r(&now, &local);
            QTest::keyClicks(password.passwordField(),
                             QString::fromStdString(kova::maintenancePassword(local.tm_hour)));
            g.camera.shoot(password, "maintenance-password.png");
            password.okButton()->click();
        });
        g.dialogs.expect([&g](QWidget& modal) {
            auto& settings = dynamic_cast<kova::Dialog_CheckSet&>(modal);
            g.camera.shoot(settings, "check-settings.png");
            settings.exitButton()->click();
        });
        window.settingsButton()->click();
        window.exitButton()->click();
    });
    page.OnCheck();
}

// 数字通道测试: two outputs switched on, the inputs read.
void digitalTest(Guide& g) {
    Dialog_Tdcab& page = *g.window.controls().calibPage;
    page.OnDigitalTest();
    auto* digit = page.findChild<Dialog_Digit*>();
    if (digit == nullptr) {
        std::fprintf(stderr, "guideshots: no digital channel test\n");
        std::exit(1);
    }
    // A car on the rollers: the photocell steady rather than blinking, so the picture is the
    // same on every run.
    editCard(g, {{"Input0", "Blink", "0"}, {"Input0", "State", "1"}, {"Input4", "Blink", "0"}});
    digit->outputButton(0)->click();
    digit->outputButton(3)->click();
    digit->poll();
    g.camera.shoot(*digit, "digital-test.png");
    digit->OnAllLow();
    digit->OnClose();
}

// A point without its true value: the message the guide's table of messages shows.
void refusedPoint(Guide& g) {
    Dialog_Tdcab& page = *g.window.controls().calibPage;
    page.trueValueField()->clear();
    expectMessage(g, "message-no-true-value.png");
    page.OnAdd();
}

// 标定记录: the channel just calibrated and checked, its history, and its report exported.
void records(Guide& g) {
    showPage(g, 2);
    RecordsPage& page = *g.window.controls().recordsPage;
    page.FollowPageArea();
    if (page.shownRecords().empty()) {
        missing("records of the channel just checked");
    }
    g.camera.shoot(g.window, "records-page.png");
    g.dialogs.saveAs(g.camera.path("report.pdf"));
    page.reportButton()->click();
}

const struct Step {
    const char* name;
    void (*take)(Guide&);
} kSteps[] = {
    {"declare a channel", declareChannel}, {"calibrate", calibrate},          {"check", check},
    {"digital test", digitalTest},         {"a refused point", refusedPoint}, {"records", records},
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const char* dir = std::getenv("KOVA_SCREENSHOT_DIR");
    if (dir == nullptr || *dir == '\0') {
        std::fprintf(stderr, "usage: KOVA_SCREENSHOT_DIR=DIR guideshots\n");
        return 2;
    }
    QDir out(QString::fromLocal8Bit(dir));
    out.mkpath(QStringLiteral("."));
    Camera camera(out);
    TourDialogs tour;
    kova::ScopedDialogs scoped(tour);

    kova::Runtime& rt = kova::runtime();
    EnvRecord& env = kova::processEnvRecord();
    bool ran = false;
    kova::ApplicationWindows windows;
    windows.showMessage = [](const std::string& text) {
        std::fprintf(stderr, "guideshots: %s\n", text.c_str());
    };
    windows.runMainWindow = [&] {
        // The boards ledserver would serve for the demo's MonDev.ini.
        kova::LedServerOptions boards;
        boards.titles = kova::titlesInSettings(env.ConfigDir() + "\\MonDev.ini");
        kova::guide::LedBoardsOnThread led(kova::boardTitles(boards));
        // The window where the demo places it, with the start-up password box.
        CalibDlg window(rt, env, std::string_view("0,0,761,557,1"));
        Guide guide{window, env, camera, tour, led};
        login(guide);
        if (!window.Initialise()) {
            return;
        }
        QTimer::singleShot(0, &window, [&] {
            for (const Step& step : kSteps) {
                std::printf("guideshots: %s\n", step.name);
                step.take(guide);
            }
            ran = true;
            window.OnExit();
        });
        window.exec();
    };
    const int status = kova::runApplication(rt, env, windows);
    if (status != 0 || !ran || camera.failed() || tour.failed()) {
        std::fprintf(stderr, "guideshots: the tour did not finish\n");
        return 1;
    }
    return 0;
}
