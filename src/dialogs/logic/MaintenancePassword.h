#pragma once
// The maintenance password that guards the acquisition settings: a fixed two-letter prefix and
// the hour of the local clock (0 to 23, no leading zero), so "kv9" from 9:00 to 9:59. It is built
// afresh for every comparison and never stored.

#include <string>
#include <string_view>

namespace kova {

inline constexpr std::string_view kMaintenancePrefix = "kv";

std::string maintenancePassword(int hour);

// The typed text matches the password of that hour, ignoring the case of letters.
bool isMaintenancePassword(std::string_view typed, int hour);

}  // namespace kova
