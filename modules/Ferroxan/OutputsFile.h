#pragma once
// FerroxanOutputs.ini: the states of the card's digital outputs, for a person to look at.

#include <array>
#include <filesystem>
#include <string>

#include "CardSettings.h"

namespace ferroxan {

using OutputStates = std::array<bool, kDigitalOutputs>;

// The file's text: section "Outputs" with keys "DO0" .. "DO23", 1 on and 0 off.
std::string outputsText(const OutputStates& outputs);

// Replaces the file as a whole, so a reader never sees half of it; false when it cannot.
bool writeOutputs(const std::filesystem::path& file, const OutputStates& outputs);

}  // namespace ferroxan
