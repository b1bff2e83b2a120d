#include "app/CalibDlg.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "app/AboutDlg.h"
#include "app/AppIcon.h"
#include "app/StatusLine.h"
#include "controls/DialogUnits.h"
#include "controls/Dialogs.h"
#include "controls/MoveControl.h"
#include "controls/Placement.h"
#include "controls/TabSheet.h"
#include "controls/WidgetText.h"
#include "controls/WriteFailure.h"
#include "dialogs/StartupPassword.h"
#include "pages/Dialog_Tdcab.h"
#include "pages/Dialog_Tdset.h"
#include "pages/RecordsPage.h"
#include "platform/HostUser.h"
#include "platform/WindowMessages.h"
#include "platform/qt/WindowReceiverQt.h"
#include "records/RecordsSender.h"
#include "records/RecordsStore.h"
#include "runtime/CommandLine.h"
#include "runtime/StartUp.h"

namespace {

constexpr const char* kHint = "标定/设置完成请先保存再退出";
constexpr const char* kTemplateVersion = "Ver 3.0.1.0 带光电指示";
constexpr const char* kConfigPageTitle = " 通 道 配 置 ";
constexpr const char* kCalibPageTitle = " 通 道 标 定 ";
constexpr const char* kRecordsPageTitle = " 标 定 记 录 ";
// How often records waiting for the site database are offered to it again.
constexpr std::chrono::seconds kRecordsSendPeriod{30};
constexpr const char* kRestoredMessage = "提示：更改成功，程序即将退出，请重新启动标定程序 ！！";
constexpr const char* kAboutItem = "关于 Calib(&A)...";

// The hint line's font: 宋体, 22 pixels high, weight 300.
QFont hintFont() {
    QFont font(kova::qs("宋体"));
    font.setPixelSize(22);
    font.setWeight(QFont::Light);
    font.setItalic(false);
    font.setUnderline(false);
    return font;
}

}  // namespace

CalibDlg::CalibDlg(kova::Runtime& rt, EnvRecord& env, std::optional<std::string_view> argument,
                   QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint), rt_(rt), env_(env) {
    if (argument) {
        argument_ = std::string(*argument);
    }
    setWindowTitle(kova::qs(kWindowTitle));
    resize(kova::dialogUnitSize(507, 371));  // template 102
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &CalibDlg::tick);
}

CalibDlg::~CalibDlg() {
    // The process's values outlive the window; what it lent them goes with it.
    rt_.records = nullptr;
    rt_.showStatus = nullptr;
    if (statusSink_ != nullptr) {
        rt_.ledClient.SetStatusWindow(nullptr);
    }
}

void CalibDlg::BuildControls() {
    ui_.tabSheet = kova::place(new CTabSheet(this), kova::dialogUnitRect(7, 11, 495, 320));
    ui_.pageArea = kova::place(new QLabel(this), kova::dialogUnitRect(13, 31, 486, 293));
    ui_.pageArea->lower();  // an empty marker under the tab sheet
    ui_.hintLine = kova::placeLabel(kHint, this, kova::dialogUnitRect(200, 0, 234, 22));
    ui_.hintLine->setAttribute(Qt::WA_TranslucentBackground);
    kova::paintText(*ui_.hintLine, QColor(0, 0, 200));
    ui_.statusLine = kova::place(new QLabel(this), kova::dialogUnitRect(0, 358, 389, 13));
    ui_.versionLabel =
        kova::placeLabel(kTemplateVersion, this, kova::dialogUnitRect(390, 358, 117, 13));
    ui_.versionLabel->setAlignment(Qt::AlignCenter);
    ui_.exitButton =
        kova::placeButton("退出", this, kova::dialogUnitRect(420, 334, 75, 19), &CalibDlg::OnExit);
    ui_.restoreButton = kova::placeButton("复位程序", this, kova::dialogUnitRect(12, 335, 79, 17),
                                          &CalibDlg::OnRestoreDefaults);
}

bool CalibDlg::Initialise() {
    // 1. Controls; the About command sits in the context menu (a borderless window has no
    //    system menu); the icons.
    BuildControls();
    setWindowIcon(kova::applicationIcon());

    // 2. Version label.
    ui_.versionLabel->setText(QString::fromStdString(kova::versionLabelText(rt_.systemLibrary)));

    // 3. The control layout records the initial client size.
    layout_ = std::make_unique<CMoveControl>();
    layout_->Attach(this);

    // 4-6. Ini paths, hardware module, runtime parameters.
    kova::buildIniPaths(rt_, env_);
    kova::openHardwareModule(rt_.hardwareModule, kova::hardwareModulePath(env_));
    kova::readRuntimeParameters(rt_);
    OpenRecords();

    // 7. The pages; the calibration page is the visible one.
    ui_.configPage = new Dialog_Tdset(
        kova::ChannelStore(rt_.channelIniPaths()),
        [this] { return kova::qRectOf(rt_.PageAreaRect); }, ui_.tabSheet);
    ui_.calibPage = new Dialog_Tdcab(rt_, rt_.pageAverage, ui_.tabSheet);
    ui_.tabSheet->AddPage(kConfigPageTitle, ui_.configPage, Dialog_Tdset::kTemplateId);
    ui_.tabSheet->AddPage(kCalibPageTitle, ui_.calibPage, Dialog_Tdcab::kTemplateId);
    ui_.recordsPage = new RecordsPage(rt_, ui_.tabSheet);
    ui_.recordsPage->workingChannel = [page = QPointer<Dialog_Tdcab>(ui_.calibPage)] {
        return page != nullptr ? page->workingChannel() : std::nullopt;
    };
    ui_.tabSheet->AddPage(kRecordsPageTitle, ui_.recordsPage, 0);
    ui_.tabSheet->Show();
    ui_.tabSheet->SetCurSel(1);

    // 8. Hint font.
    ui_.hintLine->setFont(hintFont());

    // 9. Acquisition log.
    if (const auto failure = kova::openAcqLog(rt_, env_)) {
        ui_.statusLine->setText(QString::fromStdString(*failure));
    }
    if (!records_->openError().empty()) {
        ui_.statusLine->setText(QString::fromStdString(records_->openError()));
    }

    // 10. The indicator images are drawn by the windows that show them.

    // 11. The LED client reports on the status line.
    statusSink_ = std::make_unique<kova::StatusLine>(ui_.statusLine);
    rt_.ledClient.SetStatusWindow(statusSink_.get());
    rt_.showStatus = [sink = statusSink_.get()](const std::string& text) {
        sink->SetText(text.c_str());
    };

    // 12. Top of the window order, without moving.
    raise();

    // 13. Command line.
    rt_.PasswordRequired = 1;
    if (argument_) {
        const kova::CommandLineRequest request =
            kova::readCommandLine(rt_.systemLibrary, std::string_view(*argument_));
        if (request.windowRect) {
            setGeometry(kova::qRectOf(*request.windowRect));
            update();
        }
        rt_.PasswordRequired = request.PasswordRequired;
    }

    // 14. Start-up password box.
    if (rt_.PasswordRequired == 1 &&
        kova::RunStartupPasswordBox(login_, env_.PasswordBoxPath(), this) != 1) {
        ending_ = true;
        QDialog::done(0);
        return false;
    }
    // The records name who worked: the box's user, or the station's login when it was not asked.
    const std::string user = kova::loginText(login_.user);
    rt_.operatorName = rt_.PasswordRequired == 1 && !user.empty() ? user : kova::processUserName();

    // 15. Layout for the current size.
    ApplyLayout();

    // 16. Timer 1; from now on other programs can reach the window.
    RegisterWindow();
    timer_->start(kPageAreaTimerMs);
    return true;
}

void CalibDlg::OpenRecords() {
    const kova::RecordsLocation location = kova::recordsLocation(env_.ConfigDir(), rt_.SysIniPath);
    records_ = std::make_unique<kova::RecordsStore>(location);
    if (!records_->open() && !records_->usable()) {
        return;  // the status line says why; the tool works on without records
    }
    rt_.records = records_.get();
    if (records_->hasSite()) {
        recordsSender_ = std::make_unique<kova::RecordsSender>(location, kRecordsSendPeriod);
    }
}

void CalibDlg::RegisterWindow() {
    std::string error;
    auto window = kova::MessageWindow::open(
        kWindowTitle,
        [this](const kova::WindowMessage& message) { return OnWindowMessage(message); }, error);
    if (!window) {
        // The tool works without it; only the line's other programs cannot reach it.
        std::fprintf(stderr, "Calib: window messages unavailable: %s\n", error.c_str());
        return;
    }
    messageWindow_ = std::make_unique<kova::QtMessageWindow>(std::move(window));
}

void CalibDlg::tick() {
    const QRect area(ui_.pageArea->mapToGlobal(QPoint(0, 0)), ui_.pageArea->size());
    rt_.PageAreaRect = {area.left(), area.top(), area.left() + area.width(),
                        area.top() + area.height()};
}

std::int64_t CalibDlg::OnWindowMessage(const kova::WindowMessage& message) {
    switch (message.msg) {
        case kShowCalibrationPage:
            ShowCalibrationPage();
            break;
        case kova::kCloseMessage:
            // Handled after the delivery returns: closing removes the window being served.
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
            break;
        default:
            break;  // copy-data and the rest: nothing is taken from them
    }
    return 0;
}

void CalibDlg::ShowCalibrationPage() {
    ui_.tabSheet->SetCurSel(1);
}

void CalibDlg::CleanUp() {
    if (cleanedUp_) {
        return;
    }
    cleanedUp_ = true;
    timer_->stop();
    EndDigitalTest();
    if (rt_.hardwareModule.IsLoaded()) {
        rt_.hardwareModule.ExtClose();
        rt_.hardwareModule.ExtStop();
        rt_.hardwareModule.ExtRelease();
        rt_.hardwareModule.Unload();
    }
    rt_.pageAverage.Free();
    rt_.checkAverage.Free();
    if (kova::windowExists(kMainProgramTitle)) {
        kova::WindowMessage closed;
        closed.kind = kova::FrameKind::Post;
        closed.msg = kToolClosed;
        kova::postWindowMessage(kMainProgramTitle, closed);
    }
    rt_.AcqLog.close();
    messageWindow_.reset();
}

void CalibDlg::EndDigitalTest() {
    // The outputs go low while the module still takes commands.
    if (ui_.calibPage != nullptr) {
        ui_.calibPage->EndDigitalTest();
    }
}

void CalibDlg::OnExit() {
    ending_ = true;
    CleanUp();
    QDialog::done(QDialog::Rejected);
}

void CalibDlg::OnRestoreDefaults() {
    const kova::IniWriteResult restored = kova::restoreDefaultParameters(rt_.CalibIniPath);
    if (!restored) {
        // Nothing was changed, so a restart would not help: the window stays for another try.
        kova::reportWriteFailure(this, "默认参数没有恢复：", restored.error, restored.reason,
                                 kWindowTitle, &rt_.AcqLog);
        return;
    }
    kova::dialogs().message(this, kRestoredMessage, kWindowTitle, kova::MessageIcon::None);
    EndDigitalTest();
    rt_.hardwareModule.ExtClose();
    rt_.pageAverage.Free();
    rt_.checkAverage.Free();
    ending_ = true;
    timer_->stop();
    messageWindow_.reset();
    QDialog::done(0);
}

void CalibDlg::OnAbout() {
    AboutDlg about(this);
    kova::dialogs().runModal(about);
}

void CalibDlg::closeEvent(QCloseEvent* event) {
    if (!ending_) {
        ending_ = true;
        CleanUp();
    }
    event->accept();
    QDialog::done(QDialog::Rejected);
}

void CalibDlg::reject() {
    // Escape: the same as "退出", so the module is closed and "KOVA" is told.
    if (!ending_) {
        OnExit();
    }
}

void CalibDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            // Reached only while no button has the focus (a focused button takes Enter itself).
            event->accept();
            OnExit();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void CalibDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (layout_ != nullptr && ui_.tabSheet != nullptr) {
        ApplyLayout();
    }
}

void CalibDlg::ApplyLayout() {
    layout_->Layout();
    // The layout gives every control the dialog font; the hint line keeps its own.
    ui_.hintLine->setFont(hintFont());
}

void CalibDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(kova::qs(kAboutItem), this, &CalibDlg::OnAbout);
    menu.exec(event->globalPos());
}
