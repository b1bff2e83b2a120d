// The kovaini command: its arguments, output, exit status, and the files it leaves.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "KovaVersion.h"
#include "TestFiles.h"

namespace kova {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class KovainiTest : public ::testing::Test {
  protected:
    Outcome kovaini(const std::vector<std::string>& args) const {
        const std::string out = (dir_ / "stdout").string();
        const std::string err = (dir_ / "stderr").string();
        std::string program = KOVAINI_PATH;
        std::vector<std::string> copies(args);
        std::vector<char*> argv{program.data()};
        std::transform(copies.begin(), copies.end(), std::back_inserter(argv),
                       [](std::string& a) { return a.data(); });
        argv.push_back(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(o, 1);
            ::dup2(e, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        Outcome run;
        int status = 0;
        if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
            run.status = WEXITSTATUS(status);
        }
        run.out = test::readBytes(out);
        run.err = test::readBytes(err);
        return run;
    }

    std::string file() const { return (dir_ / "Calib.ini").string(); }

    test::TempDir dir_;
};

TEST_F(KovainiTest, WritesAndReadsGbkFilesThroughWindowsPaths) {
    std::filesystem::create_directory(dir_ / "config");
    const test::ScopedEnv drive("KOVA_DRIVE_D", dir_.path());
    const std::string windows = "D:\\CONFIG\\Calib.ini";
    EXPECT_EQ(kovaini({"set", windows, "3通道", "DanWei", "毫米"}).status, 0);
    EXPECT_EQ(kovaini({"set", windows, "3通道", "JingDu", " 2 "}).status, 0);
    EXPECT_EQ(test::readBytes(dir_ / "config" / "Calib.ini"),
              test::gbk("[3通道]\r\nDanWei=毫米\r\nJingDu= 2 \r\n"));

    const Outcome get = kovaini({"get", windows, "3通道", "danwei"});
    EXPECT_EQ(get.status, 0);
    EXPECT_EQ(get.out, "毫米\n");
    EXPECT_EQ(kovaini({"getint", windows, "3通道", "JINGDU"}).out, "2\n");
    EXPECT_EQ(kovaini({"get", windows, "3通道", "none", "--default", "默认  "}).out, "默认\n");
    EXPECT_EQ(kovaini({"get", windows, "3通道", "danwei", "--size", "3"}).out, "毫\n");
    EXPECT_EQ(kovaini({"get", windows, "3通道", "danwei", "--size=1"}).out, "\n");
    EXPECT_EQ(kovaini({"getint", windows, "3通道", "none"}).out, "0\n");
    EXPECT_EQ(kovaini({"getint", "--default", "-3", windows, "3通道", "none"}).out, "-3\n");
}

TEST_F(KovainiTest, DoubleDashLetsAValueBeginWithAMinus) {
    EXPECT_EQ(kovaini({"set", file(), "S", "k", "-5"}).status, 2);
    EXPECT_EQ(kovaini({"set", file(), "S", "k", "--", "-5"}).status, 0);
    EXPECT_EQ(kovaini({"get", file(), "S", "k"}).out, "-5\n");
    EXPECT_EQ(kovaini({"set", "--", file(), "S", "--help", "--size"}).status, 0);
    EXPECT_EQ(kovaini({"get", file(), "S", "--", "--help"}).out, "--size\n");
}

TEST_F(KovainiTest, ExitStatusTellsSuccessFailureAndMisuse) {
    test::writeBytes(file(), "[S]\r\nk=1\r\n");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string inOut;  // text expected in standard output
        std::string inErr;  // text expected in standard error
    };
    const std::string f = file();
    const std::string readOnly = (dir_ / "ro.ini").string();
    test::writeBytes(readOnly, "[S]\r\nk=1\r\n");
    ::chmod(readOnly.c_str(), 0444);  // refused for root too
    const std::string version(kProgramVersion);
    const std::vector<Case> cases = {
        {{"--help"}, 0, "Exit status", ""},
        {{"get", "--help"}, 0, "kovaini set FILE SECTION KEY VALUE", ""},
        // The version wins over a fault further on, as --help does.
        {{"--version"}, 0, "kovaini " + version + "\n标定模块版本3.0 (KOVA 标定程序)\n", ""},
        {{"bogus", "--version", "--frobnicate"}, 0, "kovaini " + version + "\n", ""},
        {{"get", f, "S", "k"}, 0, "1\n", ""},
        {{"get", (dir_ / "none.ini").string(), "S", "k"}, 0, "\n", ""},
        {{"set", f, "S", "a=b", "v"}, 1, "", "\"=\""},
        {{"set", f, "S", "k", "\xF0\x9F\x98\x80"}, 1, "", "GBK"},
        {{"set", (dir_ / "no" / "x.ini").string(), "S", "k", "v"}, 1, "", "directory"},
        {{"set", readOnly, "S", "k", "2"}, 1, "", "read-only"},
        {{}, 2, "", "Usage:"},
        {{"bogus", f, "S", "k"}, 2, "", "Usage:"},
        {{"get", f, "S"}, 2, "", "Usage:"},
        {{"set", f, "S", "k"}, 2, "", "Usage:"},
        {{"get", f, "S", "k", "extra"}, 2, "", "Usage:"},
        {{"get", f, "S", "k", "--size", "x"}, 2, "", "--size"},
        {{"get", f, "S", "k", "--size", "-1"}, 2, "", "--size"},
        {{"get", f, "S", "k", "--size"}, 2, "", "--size"},
        {{"getint", f, "S", "k", "--size", "3"}, 2, "", "--size"},
        {{"getint", f, "S", "k", "--default", "abc"}, 2, "", "--default"},
        {{"set", f, "S", "k", "v", "--default", "x"}, 2, "", "--default"},
        {{"get", f, "S", "k", "--frobnicate"}, 2, "", "--frobnicate"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) {
            shown += a + " ";
        }
        const Outcome run = kovaini(c.args);
        EXPECT_EQ(run.status, c.status) << shown;
        EXPECT_NE(run.out.find(c.inOut), std::string::npos) << shown << "-> " << run.out;
        EXPECT_NE(run.err.find(c.inErr), std::string::npos) << shown << "-> " << run.err;
        if (c.status != 0) {
            EXPECT_EQ(run.out, "") << shown;
        }
    }
    EXPECT_EQ(test::readBytes(file()), "[S]\r\nk=1\r\n")
        << "refused and misused writes change nothing";
    EXPECT_EQ(test::readBytes(readOnly), "[S]\r\nk=1\r\n");
}

}  // namespace
}  // namespace kova
