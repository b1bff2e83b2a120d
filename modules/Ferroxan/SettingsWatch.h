#pragma once
// Ferroxan.ini as the card last read it. The card looks at the file at most every 100 ms (a
// status query per look would cost more than the read itself); the file is reread and parsed
// only when it changed. A file modified within the last two seconds is also
// compared byte for byte, since two edits inside the file system's time resolution can leave the
// same time stamp and size behind.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "CardSettings.h"

namespace ferroxan {

class SettingsWatch {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::milliseconds kCheckInterval{100};

    explicit SettingsWatch(std::filesystem::path file, Clock clock = std::chrono::steady_clock::now)
        : file_(std::move(file)), clock_(std::move(clock)) {}

    // Looks at the file when kCheckInterval has passed since the last look (or recheckNow was
    // called) and rereads it when it changed (a missing file gives the defaults); true when the
    // settings are new.
    bool refresh();

    // The next refresh looks at the file whatever the time: for whoever has just edited it.
    void recheckNow() { due_ = true; }

    const CardSettings& settings() const { return settings_; }

  private:
    struct Stamp {
        bool exists = false;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type modified{};
        bool operator==(const Stamp&) const = default;
    };

    std::filesystem::path file_;
    Clock clock_;
    std::chrono::steady_clock::time_point lastLook_{};
    bool due_ = false;
    bool loaded_ = false;
    Stamp stamp_;
    std::string bytes_;
    CardSettings settings_;
};

}  // namespace ferroxan
