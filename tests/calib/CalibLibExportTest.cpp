// libCalib.so as a sibling program of the line sees it: its exported symbols, and plain C
// programs built against the installed package (CMake package and pkg-config) that must get
// exactly the values the tool gets.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CalibFiles.h"
#include "calib/WMATH.h"
#include "device/HardWare.h"

namespace kova {
namespace {

using testing::CalibDir;

struct CommandResult {
    int status = -1;
    std::string output;
};

// Runs a shell command, standard error joined to the output.
CommandResult runCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::array<char, 4096> chunk{};
    while (std::fgets(chunk.data(), chunk.size(), pipe) != nullptr) {
        result.output += chunk.data();
    }
    result.status = ::pclose(pipe);
    return result;
}

std::string shellQuoted(const std::string& text) {
    return "'" + text + "'";
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

// The name column of `nm -D --defined-only` lines.
std::vector<std::string> exportedNames(bool demangle) {
    const CommandResult nm = runCommand(std::string(CALIB_TEST_NM) + " -D --defined-only " +
                                        (demangle ? "-C " : "") + shellQuoted(CALIB_TEST_LIBRARY));
    EXPECT_EQ(nm.status, 0) << nm.output;
    std::vector<std::string> names;
    for (const std::string& line : lines(nm.output)) {
        // "<address> <type> <name>"
        const std::size_t type = line.find(' ');
        if (type != std::string::npos && type + 3 <= line.size()) {
            names.push_back(line.substr(type + 3));
        }
    }
    return names;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

class CalibLibExportTest : public ::testing::Test {
  protected:
    // A staged installation of the package and a configuration directory with a GBK Calib.ini.
    void installPackage() {
        stage_ = dir_.file("stage");
        const CommandResult install = runCommand(
            std::string(CALIB_TEST_CMAKE) + " --install " + shellQuoted(CALIB_TEST_BUILD_DIR) +
            " --component calib --prefix " + shellQuoted(stage_));
        ASSERT_EQ(install.status, 0) << install.output;
        configDir_ = dir_.file("config");
        ASSERT_TRUE(std::filesystem::create_directory(configDir_));
        test::writeGbk(configDir_ + "/Calib.ini",
                       "[CHECKPARAM]\r\nMS=100\r\n"
                       "[12通道]\r\nJingDu=3\r\nVolt=0.095,0.124,0.320,0.519,\r\n"
                       "Data=0.000,12.000,92.300,172.125,\r\n");
    }

    // Runs the built sibling program and checks it against this process's conversion.
    void expectSameValuesAsTheTool(const std::string& program, const std::string& environment) {
        const char* volts[] = {"-1", "0", "0.095", "0.1", "0.2", "0.4195", "0.519", "0.7", "5"};
        std::string command = "env KOVA_SYSTEM_DIR=" + shellQuoted(CALIB_TEST_SYSTEM_DIR) +
                              " KOVA_CONFIG_DIR=" + shellQuoted(configDir_) + " " + environment +
                              " " + shellQuoted(program) + " 12";
        for (const char* v : volts) {
            command += std::string(" ") + v;
        }
        const CommandResult sibling = runCommand(command);
        ASSERT_EQ(sibling.status, 0) << sibling.output;

        CalibTable table;
        readCalibTable(IniFile(configDir_ + "/Calib.ini"), 12, table);
        ASSERT_EQ(table.count, 4);
        std::vector<std::string> expected = {"threads-agree 1", "count 4"};
        char line[128];
        for (int i = 0; i < table.count; ++i) {
            std::snprintf(line, sizeof line, "point %a %a", double{table.volt[i]},
                          double{table.data[i]});
            expected.push_back(line);
        }
        for (const char* v : volts) {
            const float x = std::strtof(v, nullptr);
            std::snprintf(line, sizeof line, "value %a %a", double{x},
                          double{GetTrueDat(x, table)});
            expected.push_back(line);
        }
        EXPECT_EQ(lines(sibling.output), expected) << sibling.output;
    }

    CalibDir dir_;
    std::string stage_;
    std::string configDir_;
};

TEST_F(CalibLibExportTest, ExportsExactlyThePublicApi) {
    const std::vector<std::string> demangled = exportedNames(true);
    ASSERT_FALSE(demangled.empty());
    for (const std::string& name : demangled) {
        const bool publicApi =
            name == "GetCalibArray" || name == "GetTrueDat" || startsWith(name, "cClientLED::") ||
            startsWith(name, "CHardWare::") || name == "vtable for cClientLED::StatusWindow" ||
            name == "typeinfo for cClientLED::StatusWindow" ||
            name == "typeinfo name for cClientLED::StatusWindow";
        EXPECT_TRUE(publicApi) << "exported but not public API: " << name;
    }
    const std::set<std::string> have(demangled.begin(), demangled.end());
    for (const char* needed :
         {"CHardWare::CHardWare(CHardWare const&)", "CHardWare::operator=(CHardWare const&)",
          "CHardWare::~CHardWare()", "cClientLED::cClientLED()", "cClientLED::~cClientLED()"}) {
        EXPECT_TRUE(have.count(needed)) << "missing: " << needed;
    }
    // The two functions under their undecorated names.
    const std::vector<std::string> raw = exportedNames(false);
    const std::set<std::string> rawNames(raw.begin(), raw.end());
    EXPECT_TRUE(rawNames.count("GetCalibArray"));
    EXPECT_TRUE(rawNames.count("GetTrueDat"));
}

TEST_F(CalibLibExportTest, HardWareRecordCopiesMemberWise) {
    CHardWare a;
    a.head = 7;
    a.run1032[1031] = 0xAB;
    a.text1 = "first";
    a.text3 = std::string(300, 'x');  // beyond any small-string buffer
    a.table[999] = -5;
    a.values5b[4] = 9;

    CHardWare b(a);
    EXPECT_EQ(b.head, 7);
    EXPECT_EQ(b.run1032[1031], 0xAB);
    EXPECT_EQ(b.table[999], -5);
    EXPECT_EQ(b.values5b[4], 9);
    EXPECT_EQ(b.text3, a.text3);
    EXPECT_NE(b.text3.data(), a.text3.data());  // each copy owns its text
    a.text1 = "changed";
    EXPECT_EQ(b.text1, "first");

    CHardWare c;
    c.text2 = "old";
    c = b;
    EXPECT_EQ(c.text1, "first");
    EXPECT_EQ(c.text2, "");
    EXPECT_EQ(c.run1032[1031], 0xAB);

    // Members in their fixed order; gaps only where a text string needs its alignment.
    const auto at = [&](const void* member) {
        return static_cast<const char*>(member) - reinterpret_cast<const char*>(&c);
    };
    EXPECT_EQ(at(&c.run72), 4);
    EXPECT_EQ(at(&c.run1032), 76);
    EXPECT_EQ(at(&c.run334), 1108);
    EXPECT_EQ(at(&c.run108), 1442);
    EXPECT_LT(at(&c.text1) - 1550, static_cast<long>(alignof(std::string)));
    EXPECT_EQ(at(&c.value1), at(&c.text2) + static_cast<long>(sizeof(std::string)));
    EXPECT_EQ(at(&c.run104a), at(&c.values5a) + 20);
    EXPECT_EQ(at(&c.table), at(&c.run108b) + 108);
    EXPECT_EQ(at(&c.values5b), at(&c.table) + 4000);
}

TEST_F(CalibLibExportTest, CProgramWithFindPackage) {
    ASSERT_NO_FATAL_FAILURE(installPackage());
    const std::string build = dir_.file("cmake-build");
    const std::string flags = shellQuoted(CALIB_TEST_SANITIZE_FLAGS);
    const CommandResult configure =
        runCommand(std::string(CALIB_TEST_CMAKE) + " -S " + shellQuoted(CALIB_TEST_SIBLING_SOURCE) +
                   " -B " + shellQuoted(build) + " -DCMAKE_PREFIX_PATH=" + shellQuoted(stage_) +
                   " -DCMAKE_C_COMPILER=" + shellQuoted(CALIB_TEST_C_COMPILER) +
                   " -DCMAKE_C_FLAGS=" + flags + " -DCMAKE_EXE_LINKER_FLAGS=" + flags);
    ASSERT_EQ(configure.status, 0) << configure.output;
    const CommandResult built =
        runCommand(std::string(CALIB_TEST_CMAKE) + " --build " + shellQuoted(build));
    ASSERT_EQ(built.status, 0) << built.output;
    expectSameValuesAsTheTool(build + "/sibling", "");
}

TEST_F(CalibLibExportTest, CProgramWithPkgConfig) {
    ASSERT_NO_FATAL_FAILURE(installPackage());
    const std::string program = dir_.file("sibling-pc");
    const std::string pc =
        "PKG_CONFIG_PATH=" + shellQuoted(stage_ + "/" + CALIB_TEST_LIBDIR + "/pkgconfig");
    const CommandResult flags = runCommand(pc + " pkg-config --cflags --libs calib");
    ASSERT_EQ(flags.status, 0) << flags.output;
    EXPECT_NE(flags.output.find(stage_), std::string::npos) << flags.output;  // relocated
    const CommandResult compile =
        runCommand(shellQuoted(CALIB_TEST_C_COMPILER) + " " + CALIB_TEST_SANITIZE_FLAGS + " -o " +
                   shellQuoted(program) + " " +
                   shellQuoted(std::string(CALIB_TEST_SIBLING_SOURCE) + "/sibling.c") + " $(" + pc +
                   " pkg-config --cflags --libs calib) -pthread");
    ASSERT_EQ(compile.status, 0) << compile.output;
    expectSameValuesAsTheTool(program,
                              "LD_LIBRARY_PATH=" + shellQuoted(stage_ + "/" + CALIB_TEST_LIBDIR));
}

}  // namespace
}  // namespace kova
