#pragma once
// Ferroxan.ini as the card last read it. Looking costs a status query per read; the file is
// reread and parsed only when it changed. A file modified within the last two seconds is also
// compared byte for byte, since two edits inside the file system's time resolution can leave the
// same time stamp and size behind.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

#include "CardSettings.h"

namespace ferroxan {

class SettingsWatch {
  public:
    explicit SettingsWatch(std::filesystem::path file) : file_(std::move(file)) {}

    // Rereads the file when it changed since the last look (a missing file gives the defaults);
    // true when the settings are new.
    bool refresh();

    const CardSettings& settings() const { return settings_; }

  private:
    struct Stamp {
        bool exists = false;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type modified{};
        bool operator==(const Stamp&) const = default;
    };

    std::filesystem::path file_;
    bool loaded_ = false;
    Stamp stamp_;
    std::string bytes_;
    CardSettings settings_;
};

}  // namespace ferroxan
