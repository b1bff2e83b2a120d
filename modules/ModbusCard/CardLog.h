#pragma once
// ModbusCard.log: one line for every event of the link (connected, lost, settings error, device
// exception), stamped with the local time, GBK like the line's other logs. Above its size limit
// the file is renamed to "<name>.1" (replacing an older one) and a new one begun, so a unit that
// flaps for weeks cannot fill the disk.

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string_view>

namespace modbuscard {

class CardLog {
  public:
    static constexpr std::uintmax_t kLimitBytes = std::uintmax_t{1024} * 1024;

    explicit CardLog(std::filesystem::path file, std::uintmax_t limitBytes = kLimitBytes)
        : file_(std::move(file)), limit_(limitBytes) {}

    // Appends one line (UTF-8, without its line end). A log that cannot be written is skipped:
    // the card's work never depends on it.
    void write(std::string_view line);

    const std::filesystem::path& file() const { return file_; }

  private:
    std::filesystem::path file_;
    std::uintmax_t limit_;
    std::mutex mutex_;
};

}  // namespace modbuscard
