#pragma once
// The values start-up publishes for the rest of the tool, in one process-wide structure: the
// three ini paths, the four runtime parameters of the acquisition chain, the acquisition log, the
// page-area rectangle, the start-up password switch, and the process's hardware-module instance,
// system library, the two sliding averages, the check window's table, the LED client, and the
// calibration records with who keeps them. The indicator images belong to the windows and live
// with them.
//
// Everything here is used from the window thread only.

#include <functional>
#include <string>

#include "calib/CalibTable.h"
#include "calib/ClientLED.h"
#include "calib/MathHD.h"
#include "calib/ReadingChain.h"  // kSampleBufferSize, boundedBurstCount
#include "config/ChannelStore.h"
#include "device/CExtModule.h"
#include "device/SystemLibrary.h"
#include "platform/AcquisitionLog.h"
#include "platform/EdgeRect.h"

namespace kova {

class RecordsStore;

// A rectangle in screen pixels.
using ScreenRect = EdgeRect;

// The shortest sampling period a timer runs at, in milliseconds.
inline constexpr int kShortestPeriodMs = 10;
// The longest sliding average a window sets up.
inline constexpr int kLongestSlidingAverage = 1000;

// The timer period for "MS": at least 10 ms, so a hand-edited 0 cannot spin the window thread.
int boundedPeriodMs(int ms);
// The sliding-average length for "HDNUM": at most 1000, so a hand-edited value cannot ask for a
// huge buffer; 0 or less still switches it off.
int boundedSlidingLength(int hdnum);

struct Runtime {
    // Ini files, Windows-style paths in UTF-8 ("%s\Calib.ini" with ConfigDir).
    std::string CalibIniPath;
    std::string SysIniPath;
    std::string DevIdIniPath;

    // The three paths as the channel store takes them.
    ChannelIniPaths channelIniPaths() const { return {CalibIniPath, SysIniPath, DevIdIniPath}; }

    // Runtime parameters as read from Calib.ini (or set by the settings dialog). The values are
    // kept as stored, so the dialog shows what the file says; the acquisition chain and the
    // timers use them through the bounded accessors below.
    int MS = 100;
    int AVERNUM = 30;
    int HDNUM = 5;
    float FIRNUM = 0.7f;

    int burstCount() const { return boundedBurstCount(AVERNUM); }
    int periodMs() const { return boundedPeriodMs(MS); }
    int slidingLength() const { return boundedSlidingLength(HDNUM); }

    // "AcqData.log" opened for appending, or closed.
    AcquisitionLog AcqLog;

    // Screen rectangle of the main window's page area; the pages place themselves on it.
    ScreenRect PageAreaRect;

    // 1: ask for the password box at start-up; anything else: do not ask.
    int PasswordRequired = 1;

    // The hardware module (Ferroxan) for the whole run.
    CExtModule hardwareModule;

    // The system-environment library (Tesvar) for the whole run.
    SystemLibrary systemLibrary;

    // The sliding averages of the two sampling windows: the calibration page's and the check
    // window's. They live as long as the process; the main window frees their buffers.
    MathHD pageAverage;
    MathHD checkAverage;

    // The table the check window converts with: one for the whole run, refilled at every opening.
    CalibTable checkTable;

    // The LED display client; the main window gives it its status line.
    cClientLED ledClient;

    // The station's calibration records, opened by the main window; null while none are kept
    // (before the window opens them, or when the database was refused).
    RecordsStore* records = nullptr;
    // Who works at the station: the password box's user, or the process's login name when the
    // box was not asked for.
    std::string operatorName;
    // Puts a text on the main window's status line.
    std::function<void(const std::string&)> showStatus;
};

// The one structure of the process.
Runtime& runtime();

}  // namespace kova
