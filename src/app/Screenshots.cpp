#include "app/Screenshots.h"

#include <QCoreApplication>
#include <QPixmap>
#include <cstdio>

#include "app/CalibDlg.h"
#include "config/Dialog_Tdset.h"
#include "controls/TabSheet.h"
#include "pages/Dialog_Tdcab.h"

namespace kova {

QStringList saveScreenshots(CalibDlg& window, const QDir& dir) {
    dir.mkpath(QStringLiteral("."));
    QStringList written;
    const struct {
        int page;
        const char* file;
    } shots[] = {{0, "calib-config-page.png"}, {1, "calib-calibration-page.png"}};
    for (const auto& shot : shots) {
        window.tabSheet()->SetCurSel(shot.page);
        // What the timers would do within their first periods: publish the page area, place the
        // page on it, take one sample.
        window.tick();
        window.configPage()->tick();
        window.calibPage()->placeTick();
        window.calibPage()->tick();
        QCoreApplication::processEvents();
        const QString path = dir.absoluteFilePath(QString::fromUtf8(shot.file));
        if (window.grab().save(path)) {
            written << path;
            std::printf("%s\n", path.toLocal8Bit().constData());
        } else {
            std::fprintf(stderr, "Calib: could not write %s\n", path.toLocal8Bit().constData());
        }
    }
    std::fflush(stdout);
    window.tabSheet()->SetCurSel(1);
    return written;
}

}  // namespace kova
