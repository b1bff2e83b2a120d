#pragma once
// What the acquisition settings dialog offers and what its "设 定" does, without the window.

#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "runtime/Runtime.h"

namespace kova {

// The entries of the four boxes, in their order.
std::vector<std::string> averNumEntries();  // "1" .. "80"
std::vector<std::string> hdNumEntries();    // "0" .. "10"
std::vector<std::string> msEntries();       // "10" .. "400" in steps of 10
std::vector<std::string> firNumEntries();   // "0.1" .. "1.0" in steps of 0.1

// The index of the entry whose text is exactly `value` written as a decimal integer, or -1.
int entryIndexOf(const std::vector<std::string>& entries, int value);

// "FIRNUM" as stored in Calib.ini (500-byte buffer, default "0.7"): the text the filter box
// opens with.
std::string storedFirNumText(const std::string& calibIniPath);

// Above this, the coefficient in memory is held at it; the file keeps the text as typed.
inline constexpr double kFirNumCeiling = 0.99;

// The texts the four boxes show when "设 定" is pressed.
struct CheckSetTexts {
    std::string ms;
    std::string averNum;
    std::string hdNum;
    std::string firNum;
};

// Takes each text's leading number into memory (FIRNUM held at the ceiling) and stores the texts
// unchanged under "CHECKPARAM" in Calib.ini, in the order MS, AVERNUM, HDNUM, FIRNUM.
IniWriteResult applyCheckSettings(Runtime& rt, const CheckSetTexts& texts);

}  // namespace kova
