#pragma once
// Pictures of the main window with each of its pages, for the demo's headless run.

#include <QDir>
#include <QStringList>

class CalibDlg;

namespace kova {

// Whether a run with these screenshot settings has nobody to click a dialog away: a screenshot
// directory is named and the windows have no display (the offscreen or minimal platform).
bool screenshotsUnattended(const char* screenshotDir);

// Writes "calib-config-page.png", "calib-calibration-page.png" and "calib-records-page.png" into
// `dir` (created when missing), prints each path on standard output, and returns them.
QStringList saveScreenshots(CalibDlg& window, const QDir& dir);

}  // namespace kova
