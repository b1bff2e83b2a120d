#pragma once
// The stored form of a calibration list ("Volt" and "Data" in Calib.ini): every number followed by
// ",", the last one included.

#include <limits>
#include <span>
#include <string>
#include <string_view>

namespace kova {

// Characters of one number text that the reader keeps; the rest of a longer text up to its ","
// is ignored (the line's programs read numbers into a buffer of this size).
inline constexpr std::size_t kCalibTokenChars = 51;

// Reads the numbers of a stored list into `out`, in order, and returns how many were read.
// Each text up to a "," is converted by its longest decimal prefix (none gives 0) and rounded to
// single precision; text after the last "," is ignored. Reading stops once `out` is full, so a
// hand-edited value never writes beyond it.
int parseCalibList(std::string_view value, std::span<float> out);

// Each value with "%.3f" followed by ",", independent of the process locale.
std::string formatCalibList(std::span<const float> values);

// A double rounded to single precision; beyond the float range it becomes an infinity of its
// sign, as the C conversion gives on the line's programs.
inline float toSingle(double value) {
    // FLT_MAX plus half its last place: everything from there on rounds to infinity (the narrowing
    // itself would be undefined there).
    constexpr double kOverflow = static_cast<double>(std::numeric_limits<float>::max()) + 0x1p103;
    if (value >= kOverflow) {
        return std::numeric_limits<float>::infinity();
    }
    if (value <= -kOverflow) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

}  // namespace kova
