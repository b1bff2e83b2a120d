// The process entry of the tool: the application stage around the main window.

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/CalibDlg.h"
#include "app/Screenshots.h"
#include "controls/Dialogs.h"
#include "runtime/CommandLine.h"
#include "runtime/StartUp.h"

int main(int argc, char** argv) {
    // Before Qt: the texts need neither a display nor the system library.
    if (const std::optional<std::string> text = kova::informationRequest(argc, argv)) {
        std::fputs(text->c_str(), stdout);
        return 0;
    }
    QApplication app(argc, argv);  // takes Qt's own options out of argv
    kova::Runtime& rt = kova::runtime();
    EnvRecord& env = kova::processEnvRecord();
    const std::optional<std::string_view> argument = kova::firstArgument(argc, argv);

    // With KOVA_SCREENSHOT_DIR set, the tool shows itself, writes a picture of each page there
    // and ends (the demo's headless run).
    const char* screenshotDir = std::getenv("KOVA_SCREENSHOT_DIR");
    // Without a display nobody can close a message box: it goes to standard error instead, and
    // the run still writes its pictures and ends.
    std::optional<kova::ScopedDialogs> noDisplay;
    if (kova::screenshotsUnattended(screenshotDir)) {
        noDisplay.emplace(kova::unattendedDialogs());
    }

    kova::ApplicationWindows windows;
    windows.showMessage = [](const std::string& text) {
        kova::dialogs().message(nullptr, text, CalibDlg::kWindowTitle, kova::MessageIcon::Error);
    };
    windows.runMainWindow = [&] {
        CalibDlg dialog(rt, env, argument);
        if (!dialog.Initialise()) {
            return;
        }
        if (screenshotDir != nullptr && *screenshotDir != '\0') {
            QTimer::singleShot(0, &dialog, [&dialog, screenshotDir] {
                kova::saveScreenshots(dialog, QDir(QString::fromLocal8Bit(screenshotDir)));
                dialog.OnExit();
            });
        }
        dialog.exec();
    };
    return kova::runApplication(rt, env, windows);
}
