#pragma once
// What every program prints for --version: its name with the project's version, then the
// calibration module's own text, which the line's other programs read as it is.

#include <string>
#include <string_view>

#include "KovaVersion.h"
#include "calib/CalibVersion.h"

namespace kova {

inline std::string programVersionText(std::string_view program) {
    std::string text(program);
    text += ' ';
    text += kProgramVersion;
    text += '\n';
    text += kCalibVersionText;
    text += '\n';
    return text;
}

}  // namespace kova
