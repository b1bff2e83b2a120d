#pragma once
// Each test gets its own window directory and drive in a temporary directory, and ends the
// programs it started.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "TestFiles.h"
#include "calib/ClientLED.h"
#include "platform/TextCodec.h"
#include "platform/WindowMessages.h"

namespace kova::test {

namespace fs = std::filesystem;

inline const std::string kLedServer = KOVA_LEDSERVER_PATH;
inline const std::string kKovaMsg = KOVA_KOVAMSG_PATH;
inline const std::string kNoServer = "请先打开串口服务器";

// Waits for a condition without sleeping, for at most a generous bound.
template <typename Predicate>
bool eventually(Predicate done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) {
            return true;
        }
        std::this_thread::yield();
    }
    return done();
}

struct RecordingStatus : cClientLED::StatusWindow {
    void SetText(const char* text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

// A line of "kovamsg listen": title, kind, then name=value fields, tab separated.
struct ListenLine {
    std::string title;
    std::string kind;
    std::map<std::string, std::string> fields;
};

inline ListenLine parseListenLine(const std::string& line) {
    ListenLine out;
    std::istringstream in(line);
    std::string part;
    std::getline(in, out.title, '\t');
    std::getline(in, out.kind, '\t');
    while (std::getline(in, part, '\t')) {
        const std::size_t eq = part.find('=');
        out.fields[part.substr(0, eq)] = eq == std::string::npos ? "" : part.substr(eq + 1);
    }
    return out;
}

inline std::string hexOf(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 0x0F];
    }
    return out;
}

class LedFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("KOVA_WINDOWS_DIR", (root_ / "windows").c_str(), 1);
        startDir_ = fs::current_path();
    }

    void TearDown() override {
        children_.clear();
        fs::current_path(startDir_);
        for (const char* name : {"KOVA_WINDOWS_DIR", "KOVA_DRIVE_D", "KOVA_DRIVE_E"}) {
            ::unsetenv(name);
        }
    }

    ChildProcess& start(const std::string& program, const std::vector<std::string>& args) {
        children_.push_back(std::make_unique<ChildProcess>(program, args));
        EXPECT_TRUE(children_.back()->started()) << program;
        return *children_.back();
    }

    // Starts a program that owns windows and waits until they can be found.
    ChildProcess& startServing(const std::string& program, const std::vector<std::string>& args,
                               const std::vector<std::string>& titles) {
        ChildProcess& child = start(program, args);
        for (const std::string& t : titles) {
            EXPECT_TRUE(eventually([&] { return windowExists(t); })) << "no window " << t;
        }
        return child;
    }

    TempDir dir_;
    const fs::path root_ = dir_.path();
    fs::path startDir_;
    std::vector<std::unique_ptr<ChildProcess>> children_;
};

}  // namespace kova::test
