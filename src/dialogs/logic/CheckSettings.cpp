#include "dialogs/logic/CheckSettings.h"

#include <algorithm>

#include "platform/Numbers.h"
#include "runtime/StartUp.h"

namespace kova {
namespace {

std::vector<std::string> integerEntries(int first, int last, int step) {
    std::vector<std::string> entries;
    for (int value = first; value <= last; value += step) {
        entries.push_back(formatInt(value));
    }
    return entries;
}

constexpr std::size_t kFirNumTextBytes = 500;

}  // namespace

std::vector<std::string> averNumEntries() {
    return integerEntries(1, 80, 1);
}
std::vector<std::string> hdNumEntries() {
    return integerEntries(0, 10, 1);
}
std::vector<std::string> msEntries() {
    return integerEntries(10, 400, 10);
}

std::vector<std::string> firNumEntries() {
    std::vector<std::string> entries;
    for (int tenths = 1; tenths <= 10; ++tenths) {
        entries.push_back(formatFixed(tenths / 10.0, 1));
    }
    return entries;
}

int entryIndexOf(const std::vector<std::string>& entries, int value) {
    // Exact text: 10 must select "10", never "100" or "1".
    const auto found = std::find(entries.begin(), entries.end(), formatInt(value));
    return found == entries.end() ? -1 : static_cast<int>(found - entries.begin());
}

std::string storedFirNumText(const std::string& calibIniPath) {
    return IniFile(calibIniPath).readString(kParameterSection, "FIRNUM", "0.7", kFirNumTextBytes);
}

IniWriteResult applyCheckSettings(Runtime& rt, const CheckSetTexts& texts) {
    rt.MS = parseLeadingInt(texts.ms);
    rt.AVERNUM = parseLeadingInt(texts.averNum);
    rt.HDNUM = parseLeadingInt(texts.hdNum);
    rt.FIRNUM = static_cast<float>(std::min(parseLeadingDouble(texts.firNum), kFirNumCeiling));
    return IniFile(rt.CalibIniPath)
        .writeStrings({{kParameterSection, "MS", texts.ms},
                       {kParameterSection, "AVERNUM", texts.averNum},
                       {kParameterSection, "HDNUM", texts.hdNum},
                       {kParameterSection, "FIRNUM", texts.firNum}});
}

}  // namespace kova
