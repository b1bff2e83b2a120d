#pragma once
// CalibDlg: the tool's only top-level window. It hosts the channel configuration page and the
// channel calibration page in a tab sheet, carries the hint line, the status line and the
// version label, offers "退出" and "复位程序", publishes the page area's screen rectangle every
// 10 ms, and answers the line's other programs under the title "Calib".

#include <QDialog>
#include <memory>
#include <optional>
#include <string_view>

#include "device/EnvRecord.h"
#include "dialogs/logic/LoginRecord.h"
#include "platform/WindowFrame.h"
#include "runtime/Runtime.h"

class CMoveControl;
class CTabSheet;
class Dialog_Tdcab;
class Dialog_Tdset;
class RecordsPage;
class QLabel;
class QPushButton;
class QTimer;

namespace kova {
class QtMessageWindow;
class RecordsSender;
class RecordsStore;
class StatusLine;
}  // namespace kova

class CalibDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 102;
    static constexpr int kPageAreaTimerMs = 10;  // timer 1
    // Posted to the main window: show the calibration page.
    static constexpr std::uint32_t kShowCalibrationPage = 1039;
    // Posted to "KOVA" when the tool closes.
    static constexpr std::uint32_t kToolClosed = 1073;
    static constexpr const char* kWindowTitle = "Calib";
    static constexpr const char* kMainProgramTitle = "KOVA";

    // The window on the process's published values; `argument` is the command line's first
    // argument, when there is one.
    CalibDlg(kova::Runtime& rt, EnvRecord& env, std::optional<std::string_view> argument,
             QWidget* parent = nullptr);
    ~CalibDlg() override;

    // The window stage of start-up. False when it has ended the window itself (password box
    // refused or missing); the window must then not be run.
    bool Initialise();

    // Timer 1: publishes the page area's screen rectangle. Tests call it directly.
    void tick();

    // Commands.
    void OnExit();
    void OnRestoreDefaults();
    void OnAbout();
    // A message from another program, as the window-message transport delivers it.
    std::int64_t OnWindowMessage(const kova::WindowMessage& message);

    // The closing clean-up: hardware module, sliding averages, "KOVA", log.
    void CleanUp();

    // The window's controls; the window owns them.
    struct Controls {
        CTabSheet* tabSheet = nullptr;
        Dialog_Tdset* configPage = nullptr;
        Dialog_Tdcab* calibPage = nullptr;
        RecordsPage* recordsPage = nullptr;
        QLabel* statusLine = nullptr;
        QLabel* versionLabel = nullptr;
        QLabel* hintLine = nullptr;
        QLabel* pageArea = nullptr;
        QPushButton* exitButton = nullptr;
        QPushButton* restoreButton = nullptr;
    };
    const Controls& controls() const { return ui_; }
    const QTimer* pageAreaTimer() const { return timer_; }
    const kova::LoginRecord& loginRecord() const { return login_; }
    // Whether the closing clean-up has run.
    bool cleanedUp() const { return cleanedUp_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void reject() override;

  private:
    void BuildControls();
    void RegisterWindow();
    // The station's calibration records; the tool works on without them when refused.
    void OpenRecords();
    void ShowCalibrationPage();
    void ApplyLayout();
    void EndDigitalTest();

    kova::Runtime& rt_;
    EnvRecord& env_;
    std::optional<std::string> argument_;

    kova::LoginRecord login_;
    Controls ui_;
    std::unique_ptr<kova::RecordsStore> records_;
    std::unique_ptr<kova::RecordsSender> recordsSender_;  // with a site database
    std::unique_ptr<CMoveControl> layout_;
    QTimer* timer_ = nullptr;
    std::unique_ptr<kova::StatusLine> statusSink_;
    std::unique_ptr<kova::QtMessageWindow> messageWindow_;
    bool cleanedUp_ = false;
    bool ending_ = false;
};
