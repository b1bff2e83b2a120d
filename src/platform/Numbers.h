#pragma once
// Reading and writing numbers in texts the way the line's programs do, independent of the
// process locale.

#include <string>
#include <string_view>

namespace kova {

// Leading blanks (space, tab, CR, LF, VT, FF) skipped, an optional sign, then the decimal digits
// that follow; no digits gives 0; saturates at the 32-bit signed range.
int parseLeadingInt(std::string_view text);

// The longest leading decimal number: leading blanks skipped, optional sign, digits with at most
// one point, an optional exponent ("e"/"E", optional sign, digits). No hex, "inf" or "nan";
// no number gives 0. Parsed as double precision; callers narrow as they need.
double parseLeadingDouble(std::string_view text);

// printf-style "%.<decimals>f" in the C locale.
std::string formatFixed(double value, int decimals);

// "%d".
std::string formatInt(long long value);

}  // namespace kova
