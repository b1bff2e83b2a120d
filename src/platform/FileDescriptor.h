#pragma once
// An open file descriptor, closed when it goes out of scope.

#include <unistd.h>

#include <string_view>
#include <utility>

namespace kova {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~FileDescriptor() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    // Closes now and reports close's own failure (a delayed write error).
    int reset() {
        const int result = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return result;
    }

  private:
    int fd_;
};

// Writes every byte, going on after interruptions and short writes; false with errno set when
// the file takes no more.
bool writeAll(int fd, std::string_view bytes);

}  // namespace kova
