#pragma once
// Start-up of the tool, apart from its windows: the application stage that loads the system
// library around the main window's run, and the steps of the window stage that the main window
// calls while it initialises, in this order: versionLabelText, buildIniPaths,
// openHardwareModule, readRuntimeParameters, openAcqLog, readCommandLine (CommandLine.h).
// Also the restore-defaults command of the main window.

#include <functional>
#include <optional>
#include <string>

#include "device/EnvRecord.h"
#include "platform/IniFile.h"
#include "runtime/Runtime.h"

namespace kova {

inline constexpr const char* kParameterSection = "CHECKPARAM";
// Every runtime parameter is read into a buffer of this many bytes, terminator included.
inline constexpr std::size_t kParameterBytes = 10;

// What the application stage needs from the windows.
struct ApplicationWindows {
    // Shows a message box with OK (UTF-8) and returns when it is dismissed.
    std::function<void(const std::string& text)> showMessage;
    // Creates the main window and runs it modally until it ends.
    std::function<void()> runMainWindow;
};

// The application stage: loads the system library (variant 1), fills the environment record,
// runs the main window and releases the library. A library that cannot be used ends the process
// in the library interface (exit code -1) or here: the message with the load's code, and the
// exit code 1. Returns the process's exit code.
int runApplication(Runtime& rt, EnvRecord& env, const ApplicationWindows& windows);

// The message shown when the system library reports `code` instead of success.
std::string systemLibraryFailureText(int code);

// "Ver:%s" with the system library's version text.
std::string versionLabelText(SystemLibrary& library);

// CalibIniPath, SysIniPath and DevIdIniPath from ConfigDir.
void buildIniPaths(Runtime& rt, const EnvRecord& env);

// "%s\Ferroxan.dll" with ModuleDir.
std::string hardwareModulePath(const EnvRecord& env);

// Loads the hardware module into the process's instance (whether that works is not looked at),
// then closes and opens it for the client "Calib".
void openHardwareModule(CExtModule& module, const std::string& path);

// MS, AVERNUM, HDNUM and FIRNUM from section "CHECKPARAM" of Calib.ini, in this order; each is
// read with a 10-byte buffer (at most 9 bytes parsed) and its default, by its leading number.
void readRuntimeParameters(Runtime& rt);

// The acquisition log "AcqData.log" in ModuleDir (the working directory when ModuleDir is
// empty), opened for appending and reading. On failure AcqLog stays closed and the status-line
// text "<path> built fail!" comes back.
std::optional<std::string> openAcqLog(Runtime& rt, const EnvRecord& env);

// Writes the defaults of MS, AVERNUM and HDNUM to Calib.ini; FIRNUM and the values in memory
// stay as they are.
IniWriteResult restoreDefaultParameters(const std::string& calibIniPath);

}  // namespace kova
