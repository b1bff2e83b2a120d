// Windows-style file names mapped to host paths: drives from the environment, separators,
// letter case, and the Windows view of the working directory.

#include "platform/HostPath.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace kova {
namespace {

namespace fs = std::filesystem;

// Runs each test inside a fresh temporary directory with no drive variables from the outside.
class HostPathTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::canonical(dir_.path());
        oldCwd_ = fs::current_path();
        fs::current_path(root_);
    }
    void TearDown() override { fs::current_path(oldCwd_); }

    // The drive variables the mapping reads, cleared and restored.
    test::ScopedEnv drives_{"KOVA_DRIVES", nullptr};
    test::ScopedEnv xdg_{"XDG_DATA_HOME", nullptr};
    test::ScopedEnv c_{"KOVA_DRIVE_C", nullptr};
    test::ScopedEnv d_{"KOVA_DRIVE_D", nullptr};
    test::ScopedEnv e_{"KOVA_DRIVE_E", nullptr};
    test::ScopedEnv z_{"KOVA_DRIVE_Z", nullptr};
    test::TempDir dir_;
    fs::path root_;
    fs::path oldCwd_;
};

TEST_F(HostPathTest, DrivesComeFromTheEnvironment) {
    const test::ScopedEnv home("HOME", root_ / "home");
    EXPECT_EQ(driveRoot('d'), root_ / "home/.local/share/kova/drives/d");
    {
        const test::ScopedEnv xdg("XDG_DATA_HOME", root_ / "xdg");
        EXPECT_EQ(driveRoot('D'), root_ / "xdg/kova/drives/d");
        const test::ScopedEnv drives("KOVA_DRIVES", root_ / "drives");
        EXPECT_EQ(driveRoot('D'), root_ / "drives/d");
        const test::ScopedEnv one("KOVA_DRIVE_D", root_ / "dee");
        EXPECT_EQ(driveRoot('d'), root_ / "dee");
        EXPECT_EQ(driveRoot('E'), root_ / "drives/e") << "other drives keep the default";
        const test::ScopedEnv empty("KOVA_DRIVE_E", "");
        EXPECT_EQ(driveRoot('E'), root_ / "drives/e") << "an empty variable counts as unset";
    }
    {
        // Joined as text: a trailing separator is not doubled (paths compare equal either way,
        // so the text is compared).
        const test::ScopedEnv rootHome("HOME", "/");
        EXPECT_EQ(driveRoot('d').string(), "/.local/share/kova/drives/d");
        const test::ScopedEnv drives("KOVA_DRIVES", (root_ / "drives").string() + "/");
        EXPECT_EQ(driveRoot('d').string(), (root_ / "drives/d").string());
        EXPECT_EQ(lexicalHostPath("d:\\x\\\\y.ini\\"), (root_ / "drives/d/x/y.ini").string());
    }
    EXPECT_EQ(driveRoot('z'), fs::path("/"));
    const test::ScopedEnv z("KOVA_DRIVE_Z", root_ / "zed");
    EXPECT_EQ(driveRoot('Z'), root_ / "zed");
}

TEST_F(HostPathTest, MapsDrivesSeparatorsAndRelativePaths) {
    const test::ScopedEnv d("KOVA_DRIVE_D", root_ / "dee");
    fs::create_directories(root_ / "dee/calibdata");
    fs::create_directories(root_ / "work/sub");
    struct Case {
        std::string windows;
        fs::path host;
    };
    const std::vector<Case> cases = {
        {"D:\\calibdata", root_ / "dee/calibdata"},
        {"d:/calibdata", root_ / "dee/calibdata"},
        {"D:\\\\calibdata\\\\x.ini", root_ / "dee/calibdata/x.ini"},
        {"D:calibdata/x.ini", root_ / "dee/calibdata/x.ini"},
        {"D:", root_ / "dee"},
        {(root_ / "work").string() + "\\sub/a.ini", root_ / "work/sub/a.ini"},
        {"work\\sub\\a.ini", root_ / "work/sub/a.ini"},
        {"Z:\\etc\\hosts", "/etc/hosts"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hostPath(c.windows), c.host) << c.windows;
    }
    // A path rooted with "\" stays on the drive of the working directory.
    fs::current_path(root_ / "dee/calibdata");
    EXPECT_EQ(hostPath("\\other\\x.ini"), root_ / "dee/other/x.ini");
}

TEST_F(HostPathTest, FindsComponentsThatExistOnlyInAnotherCase) {
    const test::ScopedEnv d("KOVA_DRIVE_D", root_);
    fs::create_directories(root_ / "KOVA/System/Config");
    test::writeBytes(root_ / "KOVA/System/Config/MonDev.INI", "");
    fs::create_directories(root_ / "twin");
    test::writeBytes(root_ / "twin/a.ini", "");
    test::writeBytes(root_ / "twin/A.INI", "");
    struct Case {
        std::string windows;
        fs::path host;
    };
    const std::vector<Case> cases = {
        {"D:\\kova\\system\\config\\mondev.ini", root_ / "KOVA/System/Config/MonDev.INI"},
        // Resolution goes on below a component that does not exist at all.
        {"D:\\kova\\new\\x.ini", root_ / "KOVA/new/x.ini"},
        // Two entries match: nothing to choose between, the name stays as given.
        {"D:\\twin\\A.ini", root_ / "twin/A.ini"},
        // The exact name wins over other spellings.
        {"D:\\twin\\a.ini", root_ / "twin/a.ini"},
        {"kova/SYSTEM/config", root_ / "KOVA/System/Config"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hostPath(c.windows), c.host) << c.windows;
    }
    // Only ASCII letters fold: a non-ASCII name in another case is a different name.
    fs::create_directories(root_ / "Ärger");
    EXPECT_EQ(hostPath("D:\\ärger"), root_ / "ärger");
}

TEST_F(HostPathTest, LexicalPathIsWhatHostPathGivesWhenItExists) {
    const test::ScopedEnv d("KOVA_DRIVE_D", root_);
    fs::create_directories(root_ / "cfg");
    test::writeBytes(root_ / "cfg/Calib.ini", "");
    EXPECT_EQ(lexicalHostPath("D:\\cfg\\Calib.ini"), (root_ / "cfg/Calib.ini").string());
    EXPECT_EQ(hostPath("D:\\cfg\\Calib.ini"), root_ / "cfg/Calib.ini");
    EXPECT_EQ(lexicalHostPath("D:\\CFG\\\\calib.ini"), (root_ / "CFG/calib.ini").string())
        << "no resolution";
    EXPECT_EQ(lexicalHostPath("cfg/\\Calib.ini"), "cfg/Calib.ini") << "stays relative";
    EXPECT_EQ(lexicalHostPath("Z:"), "/");
    EXPECT_EQ(hostPath("cfg\\Calib.ini"), root_ / "cfg/Calib.ini");
}

TEST_F(HostPathTest, WindowsViewOfTheWorkingDirectoryPrefersTheLongestRoot) {
    const test::ScopedEnv drives("KOVA_DRIVES", root_ / "nodrives");
    const test::ScopedEnv c("KOVA_DRIVE_C", root_ / "line");
    const test::ScopedEnv d("KOVA_DRIVE_D", root_ / "line/station");
    fs::create_directories(root_ / "line/station/run");
    fs::create_directories(root_ / "line/other");

    fs::current_path(root_ / "line/station/run");
    EXPECT_EQ(windowsWorkingDirectory(), "D:\\run");
    fs::current_path(root_ / "line/station");
    EXPECT_EQ(windowsWorkingDirectory(), "D:\\");
    fs::current_path(root_ / "line/other");
    EXPECT_EQ(windowsWorkingDirectory(), "C:\\other");

    // Under no drive root but Z:'s default "/".
    fs::current_path(root_);
    std::string expected = "Z:" + root_.string();
    std::replace(expected.begin(), expected.end(), '/', '\\');
    EXPECT_EQ(windowsWorkingDirectory(), expected);

    // The view maps back to the same directory.
    fs::current_path(root_ / "line/station/run");
    EXPECT_EQ(hostPath(windowsWorkingDirectory()), root_ / "line/station/run");
}

TEST_F(HostPathTest, WindowsViewSeesThroughLinksAndRelativePaths) {
    const test::ScopedEnv drives("KOVA_DRIVES", root_ / "nodrives");
    fs::create_directories(root_ / "real/sub");
    fs::create_directory_symlink(root_ / "real", root_ / "link");
    const test::ScopedEnv d("KOVA_DRIVE_D", root_ / "link");
    EXPECT_EQ(windowsViewOf(root_ / "real/sub"), "D:\\sub");
    EXPECT_EQ(windowsViewOf(root_ / "link/sub"), "D:\\sub");
    fs::current_path(root_ / "real");
    EXPECT_EQ(windowsViewOf("sub"), "D:\\sub");
    EXPECT_EQ(windowsViewOf(root_ / "real/sub/../sub"), "D:\\sub");
}

TEST_F(HostPathTest, SystemDirectoryFromTheEnvironmentOrBesideTheExecutable) {
    {
        const test::ScopedEnv set("KOVA_SYSTEM_DIR", root_ / "sys");
        EXPECT_EQ(systemDirectory(), root_ / "sys");
    }
    const test::ScopedEnv unset("KOVA_SYSTEM_DIR", nullptr);
    const fs::path exe = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(systemDirectory(),
              (exe.parent_path().parent_path() / "lib" / "kova").lexically_normal());
}

}  // namespace
}  // namespace kova
