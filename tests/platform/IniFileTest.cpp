// The ini files on disk: reads that always see the current file, atomic replacement, the lock
// between writers, and failures that leave the old file whole.

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "TestFiles.h"
#include "platform/IniFile.h"

namespace kova {
namespace {

namespace fs = std::filesystem;

class IniFileTest : public ::testing::Test {
  protected:
    std::string path(const char* name = "Calib.ini") const { return (dir_ / name).string(); }

    // Names left in the directory (a failed or finished write leaves no temporary file).
    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_.path())) {
            names.insert(e.path().filename().string());
        }
        return names;
    }

    test::TempDir dir_{test::memoryTempBase()};
};

void setModificationTime(const std::string& file, const timespec& t) {
    const timespec times[2] = {{0, UTIME_OMIT}, t};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

TEST_F(IniFileTest, EveryReadSeesTheFileAsItIsNow) {
    const IniFile file(path());
    test::writeBytes(path(), "[S]\r\nk=1\r\n");
    EXPECT_EQ(file.readString("S", "k", "", 256), "1");
    struct stat st {};
    ASSERT_EQ(::stat(path().c_str(), &st), 0);

    // Changed in place to the same size: only the modification time (nanoseconds) tells.
    test::writeBytes(path(), "[S]\r\nk=2\r\n");
    timespec later = st.st_mtim;
    later.tv_nsec = (later.tv_nsec + 1) % 1000000000L;
    setModificationTime(path(), later);
    EXPECT_EQ(file.readString("S", "k", "", 256), "2");

    // Replaced by another file of the same size and time: only the inode tells.
    test::writeBytes(dir_ / "other.ini", "[S]\r\nk=3\r\n");
    setModificationTime(path("other.ini"), later);
    ASSERT_EQ(::rename(path("other.ini").c_str(), path().c_str()), 0);
    EXPECT_EQ(file.readInt("S", "k", 0), 3);

    ASSERT_TRUE(file.writeString("S", "k", "4"));
    EXPECT_EQ(file.readInt("S", "k", 0), 4);
    ASSERT_TRUE(IniFile(path()).writeString("S", "k", "5"));
    EXPECT_EQ(file.readInt("S", "k", 0), 5) << "another instance's write";

    fs::remove(path());
    EXPECT_EQ(file.readString("S", "k", "gone", 256), "gone");
}

TEST_F(IniFileTest, WindowsStylePathsFindTheExistingFileInAnyCase) {
    fs::create_directory(dir_ / "CFG");
    test::writeBytes(dir_ / "CFG" / "Calib.INI", "[S]\r\nk=1\r\n");
    const test::ScopedEnv drive("KOVA_DRIVE_D", dir_.path());
    const IniFile file("d:\\cfg\\calib.ini");
    EXPECT_EQ(file.readInt("S", "k", 0), 1);
    ASSERT_TRUE(file.writeString("S", "k", "2"));
    EXPECT_EQ(test::readBytes(dir_ / "CFG" / "Calib.INI"), "[S]\r\nk=2\r\n");
    EXPECT_EQ(fs::directory_iterator(dir_ / "CFG")->path().filename(), "Calib.INI");
}

TEST_F(IniFileTest, ConcurrentReadersSeeWholeVersions) {
    ASSERT_TRUE(IniFile(path()).writeStrings({{"S", "fixed", "same"}, {"S", "k", "v0"}}));
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&] {
            const IniFile file(path());
            while (!done.load()) {
                const std::string v = file.readString("S", "k", "", 256);
                if (v.size() < 2 || v[0] != 'v' ||
                    file.readString("S", "fixed", "", 256) != "same") {
                    ++bad;
                }
            }
        });
    }
    const IniFile writer(path());
    for (int i = 1; i <= 200; ++i) {
        // Growing values change the size and shift every later byte.
        EXPECT_TRUE(
            writer.writeString("S", "k", "v" + std::string(static_cast<std::size_t>(i), '0')));
    }
    done = true;
    for (std::thread& t : readers) {
        t.join();
    }
    EXPECT_EQ(bad.load(), 0);
    EXPECT_EQ(writer.readString("S", "k", "", 1000), "v" + std::string(200, '0'));
}

TEST_F(IniFileTest, KeepsPermissionsAndWritesThroughLinks) {
    test::writeBytes(path(), "[S]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(path().c_str(), 0640), 0);
    ASSERT_TRUE(IniFile(path()).writeString("S", "k", "2"));
    struct stat st {};
    ASSERT_EQ(::stat(path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    fs::create_symlink("Calib.ini", dir_ / "link.ini");
    ASSERT_TRUE(IniFile(path("link.ini")).writeString("S", "k", "3"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.ini"));
    EXPECT_EQ(test::readBytes(path()), "[S]\r\nk=3\r\n");
    EXPECT_EQ(entries(), (std::set<std::string>{"Calib.ini", "link.ini"}));
}

TEST_F(IniFileTest, FailedWritesReportAReasonAndLeaveTheOldFile) {
    const std::string before = "[S]\r\nk=1\r\n";
    test::writeBytes(path(), before);
    test::writeBytes(dir_ / "plain.txt", "x");
    fs::create_directory(dir_ / "adir");
    const std::vector<std::string> impossible = {
        path("missing") + "/Calib.ini",    // missing directory
        path("plain.txt") + "/Calib.ini",  // the "directory" is a file
        path("adir"),                      // the file is a directory
    };
    for (const std::string& p : impossible) {
        const IniWriteResult result = IniFile(p).writeString("S", "k", "2");
        EXPECT_FALSE(result) << p;
        EXPECT_FALSE(result.reason.empty()) << p;
    }
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
    EXPECT_TRUE(fs::is_empty(dir_ / "adir"));

    // A temporary file left by a killed writer does not stand in the way.
    test::writeBytes(dir_ / ".Calib.ini.kovatmp", "[S]\r\nk=torn");
    ASSERT_TRUE(IniFile(path()).writeString("S", "k", "2"));
    EXPECT_EQ(test::readBytes(path()), "[S]\r\nk=2\r\n");
    EXPECT_EQ(entries(), (std::set<std::string>{"Calib.ini", "adir", "plain.txt"}));
}

// The file-size limit stops a write in the middle for root too: with SIGXFSZ ignored the write
// fails (a full disk), with its default action the writer dies right inside write().
TEST_F(IniFileTest, WriteStoppedMidwayLeavesTheOldFile) {
    std::string before = "[S]\r\nk=1\r\n";
    before += std::string(4000, ';') + "\r\n";
    for (const bool dies : {false, true}) {
        test::writeBytes(path(), before);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::signal(SIGXFSZ, dies ? SIG_DFL : SIG_IGN);
            const rlimit limit{2048, 2048};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            const IniWriteResult result = IniFile(path()).writeString("S", "k", "2");
            ::_exit(!result && !result.reason.empty() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        if (dies) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "must report failure";
            EXPECT_EQ(entries(), (std::set<std::string>{"Calib.ini"}));
        }
        EXPECT_EQ(test::readBytes(path()), before);
        EXPECT_EQ(IniFile(path()).readInt("S", "k", 0), 1);
    }
    ASSERT_TRUE(IniFile(path()).writeString("S", "k", "2")) << "a dead writer's leftovers";
    EXPECT_EQ(entries(), (std::set<std::string>{"Calib.ini"}));
}

// Read-only for every writer, root included (the mode bits decide, not only access()): a file
// without a write bit, a directory without one, and a file another user may not write although
// they may write its directory. Each write is refused as read-only and leaves the file as it was.
TEST_F(IniFileTest, ReadOnlyFilesRefuseEveryWriter) {
    const std::string before = "[S]\r\nk=1\r\n";
    const bool root = ::geteuid() == 0;
    const struct {
        const char* what;
        mode_t file;  // 0: no file
        mode_t dir;
        bool asAnotherUser;  // only when running as root
        bool refused;
    } cases[] = {
        {"no write bit", 0444, 0700, false, true},
        {"directory without a write bit", 0644, 0555, false, true},
        {"new file in a directory without a write bit", 0, 0555, false, true},
        {"another user's file in a directory open to all", 0644, 0777, true, true},
        {"writable", 0644, 0700, false, false},
    };
    for (const auto& c : cases) {
        if (c.asAnotherUser && !root) {
            continue;
        }
        ::chmod(dir_.path().c_str(), 0700);
        fs::remove(path());
        if (c.file != 0) {
            test::writeBytes(path(), before);
            ASSERT_EQ(::chmod(path().c_str(), c.file), 0);
        }
        struct stat old {};
        ::stat(path().c_str(), &old);
        ASSERT_EQ(::chmod(dir_.path().c_str(), c.dir), 0);
        IniWriteError error = IniWriteError::Other;
        if (c.asAnotherUser) {
            const pid_t pid = ::fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
                    ::_exit(100);
                }
                ::_exit(static_cast<int>(IniFile(path()).writeString("S", "k", "2").error));
            }
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 100) << c.what;
            error = static_cast<IniWriteError>(WEXITSTATUS(status));
        } else {
            const IniWriteResult result = IniFile(path()).writeString("S", "k", "2");
            EXPECT_EQ(static_cast<bool>(result), !c.refused) << c.what << ": " << result.reason;
            error = result.error;
        }
        ::chmod(dir_.path().c_str(), 0700);
        if (!c.refused) {
            EXPECT_EQ(error, IniWriteError::None) << c.what;
            EXPECT_EQ(IniFile(path()).readInt("S", "k", 0), 2) << c.what;
            continue;
        }
        EXPECT_EQ(error, IniWriteError::ReadOnly) << c.what;
        if (c.file == 0) {
            EXPECT_FALSE(fs::exists(path())) << c.what;
            continue;
        }
        struct stat now {};
        ASSERT_EQ(::stat(path().c_str(), &now), 0);
        EXPECT_EQ(now.st_ino, old.st_ino) << c.what << ": the file was replaced";
        EXPECT_EQ(now.st_mode, old.st_mode) << c.what;
        EXPECT_EQ(test::readBytes(path()), before) << c.what;
    }
    EXPECT_EQ(entries(), (std::set<std::string>{"Calib.ini"})) << "no temporary file left";
}

// Write n of the child sets key n % kKeys to "v<n>" and reports itself done on a pipe.
constexpr int kKeys = 24;

std::string keyOf(int n) {
    return "k" + std::to_string(n % kKeys);
}
std::string sectionOf(int n) {
    return "S" + std::to_string(n % 8);
}

TEST_F(IniFileTest, KilledWriterNeverLeavesATornFile) {
    // Filler makes each write long enough to be caught in the middle now and then.
    std::string initial;
    for (int s = 0; s < 8; ++s) {
        initial += "[S" + std::to_string(s) + "]\r\n";
        for (int f = 0; f < 60; ++f) {
            initial += "filler" + std::to_string(f) + "=" + std::string(40, 'x') + "\r\n";
        }
    }
    test::writeBytes(path(), initial);
    for (int n = 0; n < kKeys; ++n) {
        ASSERT_TRUE(IniFile(path()).writeString(sectionOf(n), keyOf(n), "old"));
    }
    int confirmed = 0;  // writes before this round
    for (int round = 0; round < 8; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            const IniFile file(path());
            for (int n = confirmed;; ++n) {
                if (!file.writeString(sectionOf(n), keyOf(n), "v" + std::to_string(n))) {
                    ::_exit(3);
                }
                const char done = 1;
                if (::write(fds[1], &done, 1) != 1) {
                    ::_exit(4);
                }
            }
        }
        ::close(fds[1]);
        char buffer[256];
        int seen = 0;
        while (seen < 3 + 5 * round) {
            const ssize_t n = ::read(fds[0], buffer, 1);
            ASSERT_EQ(n, 1) << "the writer stopped";
            ++seen;
        }
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status));
        for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
            seen += static_cast<int>(n);
        }
        ::close(fds[0]);
        const int total = confirmed + seen;  // write number `total` may have landed or not

        const IniFile file(path());
        for (int j = 0; j < kKeys; ++j) {
            std::string expected = "old";
            for (int n = 0; n < total; ++n) {
                if (n % kKeys == j) {
                    expected = "v" + std::to_string(n);
                }
            }
            const std::string value = file.readString(sectionOf(j), keyOf(j), "MISSING", 256);
            const bool inFlight = total % kKeys == j && value == "v" + std::to_string(total);
            EXPECT_TRUE(value == expected || inFlight)
                << "round " << round << " key " << j << ": " << value << " vs " << expected;
        }
        EXPECT_EQ(file.readString("S7", "filler59", "", 256), std::string(40, 'x'));
        confirmed = total + 1;
        // Later rounds start from what is certain: write `total` again.
        ASSERT_TRUE(file.writeString(sectionOf(total), keyOf(total), "v" + std::to_string(total)));
    }
}

TEST_F(IniFileTest, TwoProcessesWritingAtOnceLoseNoKeys) {
    constexpr int kEach = 500;
    std::vector<pid_t> children;
    for (int id = 0; id < 2; ++id) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const IniFile file(path());
            for (int i = 0; i < kEach; ++i) {
                const std::string n = std::to_string(i);
                if (!file.writeString(i % 2 == 0 ? "Even" : "Odd",
                                      "p" + std::to_string(id) + "k" + n, n)) {
                    ::_exit(1);
                }
            }
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const IniFile file(path());
    int found = 0;
    for (int id = 0; id < 2; ++id) {
        for (int i = 0; i < kEach; ++i) {
            const std::string key = "p" + std::to_string(id) + "k" + std::to_string(i);
            found += file.readInt(i % 2 == 0 ? "Even" : "Odd", key, -1) == i ? 1 : 0;
        }
    }
    EXPECT_EQ(found, 2 * kEach);
}

}  // namespace
}  // namespace kova
