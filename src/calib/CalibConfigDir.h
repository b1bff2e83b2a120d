#pragma once
// The configuration directory the exported calibration functions read Calib.ini from.

#include <string>

namespace kova {

// ConfigDir of the process's environment record (UTF-8). In the tool, start-up has filled the
// record; in a sibling program nobody has, so the first call fills it from the system-environment
// library, once for the process and safely from any thread. When the library cannot be had the
// directory stays empty (Calib.ini then names the root of the working directory's drive).
std::string calibConfigDir();

}  // namespace kova
