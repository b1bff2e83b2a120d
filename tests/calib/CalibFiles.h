#pragma once
// Temporary configuration directories with GBK Calib.ini files for the calibration tests.

#include <filesystem>
#include <string>
#include <string_view>

#include "TestFiles.h"

namespace kova::testing {

class CalibDir {
  public:
    explicit CalibDir(const std::filesystem::path& base = std::filesystem::temp_directory_path())
        : dir_(base) {}

    std::string path() const { return dir_.path().string(); }
    std::string file(std::string_view name) const { return (dir_ / name).string(); }

    // Writes Calib.ini in this directory from UTF-8 text, stored as GBK.
    std::string writeCalibIni(std::string_view utf8) const {
        const std::string name = file("Calib.ini");
        test::writeGbk(name, utf8);
        return name;
    }

    std::string readBytes(std::string_view name) const { return test::readBytes(dir_ / name); }

  private:
    test::TempDir dir_;
};

}  // namespace kova::testing
