#include "CardLog.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <string>

#include "platform/TextCodec.h"

namespace modbuscard {
namespace {

std::string timestamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03d", static_cast<int>(ms));
    return std::string(text, n) + millis;
}

}  // namespace

void CardLog::write(std::string_view line) {
    std::string text = timestamp() + " " + std::string(line) + "\n";
    // ASCII is GBK already; most lines are, and they need no codec even while the module unloads.
    if (std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; })) {
        text = kova::utf8ToGbk(text);
    }
    const std::lock_guard lock(mutex_);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file_, error);
    if (!error && size >= limit_) {
        std::filesystem::path old = file_;
        old += ".1";
        std::filesystem::rename(file_, old, error);
    }
    std::ofstream out(file_, std::ios::binary | std::ios::app);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace modbuscard
