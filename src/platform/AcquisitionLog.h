#pragma once
// The acquisition log "AcqData.log": lines appended in GBK, like every file of the line, each
// in the file as soon as it is written, so the lines are there to read while the tool runs.

#include <filesystem>
#include <string_view>

#include "platform/FileDescriptor.h"

namespace kova {

class AcquisitionLog {
  public:
    // Opens the host file for appending (and reading), creating it when missing; false when it
    // cannot be opened, the log then being closed.
    bool open(const std::filesystem::path& file);
    void close() { fd_.reset(); }

    bool isOpen() const { return fd_.valid(); }
    explicit operator bool() const { return isOpen(); }

    // Appends UTF-8 text, converted to GBK; the caller writes the line ends. Nothing happens
    // while the log is closed, and a failed write is dropped: the log never stops the tool.
    void write(std::string_view utf8) const;

  private:
    FileDescriptor fd_;
};

}  // namespace kova
