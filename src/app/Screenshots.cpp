#include "app/Screenshots.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

#include "app/CalibDlg.h"
#include "controls/EditListCtrl.h"
#include "controls/TabSheet.h"
#include "pages/Dialog_Tdcab.h"
#include "pages/Dialog_Tdset.h"
#include "pages/RecordsPage.h"

namespace kova {
namespace {

// Picks the first device on both pages and the first channel on the calibration page, so the
// pictures show declared channels, stored points and a live reading.
void pickFirstChannel(CalibDlg& window) {
    Dialog_Tdset& config = *window.controls().configPage;
    if (config.deviceBox()->count() > 0) {
        config.deviceBox()->setCurrentIndex(0);
        config.OnSelchangeDevice();
    }
    Dialog_Tdcab& calib = *window.controls().calibPage;
    if (calib.deviceBox()->count() > 0) {
        calib.deviceBox()->setCurrentIndex(0);
        calib.OnSelchangeDevice();
    }
    if (calib.channelList()->GetItemCount() > 0) {
        calib.channelList()->setCurrentIndex(calib.channelList()->model()->index(0, 0));
        calib.OnClickChannel();
    }
}

// The records page on the first channel that has records (once shown: showing it follows the
// calibration page's channel).
void pickChannelWithRecords(RecordsPage& records) {
    for (int device = 0; device < records.deviceBox()->count(); ++device) {
        records.deviceBox()->setCurrentIndex(device);
        records.OnSelchangeDevice();
        for (int channel = 0; channel < records.channelBox()->count(); ++channel) {
            records.channelBox()->setCurrentIndex(channel);
            records.OnSelchangeChannel();
            if (!records.shownRecords().empty()) {
                return;
            }
        }
    }
}

}  // namespace

bool screenshotsUnattended(const char* screenshotDir) {
    if (screenshotDir == nullptr || *screenshotDir == '\0') {
        return false;
    }
    const QString platform = QGuiApplication::platformName();
    return platform == QStringLiteral("offscreen") || platform == QStringLiteral("minimal");
}

QStringList saveScreenshots(CalibDlg& window, const QDir& dir) {
    dir.mkpath(QStringLiteral("."));
    QStringList written;
    pickFirstChannel(window);
    const struct {
        int page;
        const char* file;
    } shots[] = {{0, "calib-config-page.png"},
                 {1, "calib-calibration-page.png"},
                 {2, "calib-records-page.png"}};
    for (const auto& shot : shots) {
        window.controls().tabSheet->SetCurSel(shot.page);
        if (shot.page == 2) {
            pickChannelWithRecords(*window.controls().recordsPage);
        }
        // What the timers would do within their first periods: publish the page area, place the
        // page on it, take one sample.
        window.tick();
        window.controls().configPage->tick();
        window.controls().calibPage->placeTick();
        window.controls().recordsPage->FollowPageArea();
        // Enough ticks to fill the page's sliding average.
        for (int i = 0; i < Dialog_Tdcab::kSlidingLength + 1; ++i) {
            window.controls().calibPage->tick();
        }
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
    window.controls().tabSheet->SetCurSel(1);
    return written;
}

}  // namespace kova
