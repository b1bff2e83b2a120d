#pragma once
// Test data on disk: a temporary directory per test, files written and read byte for byte or
// from UTF-8 text as GBK, the way the line's programs store their ini files.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "platform/TextCodec.h"

namespace kova::test {

class TempDir {
  public:
    explicit TempDir(const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
        std::string pattern = (base / "kova-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        } else {
            ADD_FAILURE() << "cannot create a temporary directory under " << base;
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
    // The path of a file in the directory, as the stores take it.
    std::string file(std::string_view name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline void writeBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A memory file system when there is one: tests that write a file hundreds of times check locking
// and renaming, not how fast a disk flushes.
inline std::filesystem::path memoryTempBase() {
    std::error_code ec;
    if (std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0) {
        return "/dev/shm";
    }
    return std::filesystem::temp_directory_path();
}

// Sets (or, with nullptr, unsets) an environment variable for one scope and restores it after.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ScopedEnv(const char* name, const std::filesystem::path& value)
        : ScopedEnv(name, value.c_str()) {}
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_.c_str(), old_->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }

  private:
    std::string name_;
    std::optional<std::string> old_;
};

// GBK bytes of UTF-8 text, for building files the way the line's programs store them.
inline std::string gbk(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

// Writes the UTF-8 text as GBK bytes, making the file's directories first.
inline void writeGbk(const std::filesystem::path& file, std::string_view utf8) {
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path());
    }
    writeBytes(file, gbk(utf8));
}

}  // namespace kova::test
