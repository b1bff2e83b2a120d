#pragma once
// Temporary directories with GBK Calib.ini files for the calibration tests.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/TextCodec.h"

namespace kova::testing {

class CalibDir {
  public:
    CalibDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kova-calib-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "cannot create a temporary directory";
        }
        path_ = pattern;
    }
    ~CalibDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    CalibDir(const CalibDir&) = delete;
    CalibDir& operator=(const CalibDir&) = delete;

    std::string path() const { return path_.string(); }
    std::string file(std::string_view name) const { return (path_ / name).string(); }

    // Writes Calib.ini in this directory from UTF-8 text, stored as GBK.
    std::string writeCalibIni(std::string_view utf8) const {
        const std::string name = file("Calib.ini");
        std::ofstream(name, std::ios::binary | std::ios::trunc) << utf8ToGbk(utf8);
        return name;
    }

    std::string readBytes(std::string_view name) const {
        std::ifstream in(file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

  private:
    std::filesystem::path path_;
};

}  // namespace kova::testing
