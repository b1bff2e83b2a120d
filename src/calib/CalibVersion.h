#pragma once
// Version identification of the calibration module.

#include <string_view>

namespace kova {

inline constexpr int kCalibVersion = 300;
inline constexpr std::string_view kCalibVersionText = "标定模块版本3.0 (KOVA 标定程序)";

}  // namespace kova
