// The Calib executable's headless screenshot run on a station made by the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ChildProcess.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace kova {
namespace {

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

TEST(ScreenshotRunTest, AStationWithoutStationsPrintsTheMessageWritesThePicturesAndEnds) {
    for (const bool emptyFile : {true, false}) {
        SCOPED_TRACE(emptyFile ? "empty sysKOVA.ini" : "no sysKOVA.ini");
        test::TempDir dir;
        fs::create_directories(dir / "config");
        fs::create_directories(dir / "modules");
        if (emptyFile) {
            test::writeBytes(dir / "config" / "sysKOVA.ini", "");
        }
        const test::ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
        const test::ScopedEnv shots("KOVA_SCREENSHOT_DIR", dir / "shots");
        const test::ScopedEnv config("KOVA_CONFIG_DIR", dir / "config");
        const test::ScopedEnv modules("KOVA_MODULE_DIR", dir / "modules");
        const test::ScopedEnv windows("KOVA_WINDOWS_DIR", dir / "windows");
        const test::ScopedEnv system("KOVA_SYSTEM_DIR", KOVA_TEST_SYSTEM_DIR);

        // Field 4 = 0: no password box. A run that waits on a dialog is killed and fails here.
        const test::Outcome run = test::runProgram(KOVA_TEST_CALIB, {"0,0,761,557,0"}, true);
        EXPECT_EQ(run.status, 0) << run.output;
        // Both pages report it, on standard error.
        EXPECT_EQ(occurrences(run.output, "没有配置工位信息"), 2u) << run.output;
        for (const char* picture :
             {"calib-config-page.png", "calib-calibration-page.png", "calib-records-page.png"}) {
            const fs::path file = dir / "shots" / picture;
            EXPECT_NE(run.output.find(file.string()), std::string::npos) << run.output;
            EXPECT_TRUE(fs::is_regular_file(file) && fs::file_size(file) > 0) << file;
        }
    }
}

}  // namespace
}  // namespace kova
