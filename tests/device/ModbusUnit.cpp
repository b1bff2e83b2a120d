#include "ModbusUnit.h"

#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

namespace kova::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStartPatience = std::chrono::seconds(60);
constexpr auto kAnswerPatience = std::chrono::seconds(20);

void endChild(pid_t pid) {
    if (pid <= 0) {
        return;
    }
    ::kill(pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

pid_t spawnProgram(const std::vector<std::string>& words, posix_spawn_file_actions_t* actions) {
    std::vector<std::string> copy = words;
    std::vector<char*> argv;
    for (std::string& w : copy) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, copy[0].c_str(), actions, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    return pid;
}

}  // namespace

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds bound) {
    const auto deadline = Clock::now() + bound;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

ModbusUnit::ModbusUnit() {
    spawn({});
    if (std::optional<std::string> first = readLine(kStartPatience);
        first && first->rfind("port ", 0) == 0) {
        port_ = std::stoi(first->substr(5));
        ready_ = port_ > 0;
    }
}

ModbusUnit::ModbusUnit(const std::filesystem::path& serialDevice) {
    spawn({"--rtu", serialDevice.string()});
    const std::optional<std::string> first = readLine(kStartPatience);
    ready_ = first && *first == "ready";
}

void ModbusUnit::spawn(const std::vector<std::string>& args) {
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0) {
        return;
    }
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
        ::close(toChild[0]);
        ::close(toChild[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    // Debian's Python modules import only under the system interpreter, whatever is on PATH.
    std::vector<std::string> words{"/usr/bin/python3", KOVA_TEST_MODBUS_UNIT};
    words.insert(words.end(), args.begin(), args.end());
    pid_ = spawnProgram(words, &actions);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
}

ModbusUnit::~ModbusUnit() {
    if (in_ >= 0) {
        ::close(in_);  // end of input ends the unit
    }
    endChild(pid_);
    if (out_ >= 0) {
        ::close(out_);
    }
}

std::optional<std::string> ModbusUnit::readLine(std::chrono::milliseconds patience) {
    return test::readLineFrom(out_, buffer_, patience);
}

std::string ModbusUnit::command(const std::string& line) {
    if (in_ < 0) {
        return "";
    }
    const std::string text = line + "\n";
    if (::write(in_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        return "";
    }
    return readLine(kAnswerPatience).value_or("");
}

void ModbusUnit::set(int unit, const std::string& table, int address,
                     const std::vector<int>& values) {
    std::ostringstream line;
    line << "set " << unit << ' ' << table << ' ' << address;
    for (int v : values) {
        line << ' ' << v;
    }
    ASSERT_EQ(command(line.str()), "ok") << line.str();
}

std::vector<int> ModbusUnit::get(int unit, const std::string& table, int address, int count) {
    std::istringstream answer(command("get " + std::to_string(unit) + " " + table + " " +
                                      std::to_string(address) + " " + std::to_string(count)));
    std::string head;
    std::vector<int> values;
    if (answer >> head && head == "values") {
        for (int v = 0; answer >> v;) {
            values.push_back(v);
        }
    }
    return values;
}

std::vector<std::string> ModbusUnit::requests() {
    std::istringstream answer(command("requests"));
    std::string head;
    std::vector<std::string> served;
    if (answer >> head && head == "requests") {
        for (std::string word; answer >> word;) {
            served.push_back(word);
        }
    }
    return served;
}

int ModbusUnit::heard() {
    const std::string answer = command("heard");
    return answer.rfind("heard ", 0) == 0 ? std::stoi(answer.substr(6)) : -1;
}

PtyPair::PtyPair(const std::filesystem::path& dir) : card_(dir / "card"), unit_(dir / "unit") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_ = spawnProgram({"/usr/bin/socat", "pty,raw,echo=0,link=" + card_.string(),
                         "pty,raw,echo=0,link=" + unit_.string()},
                        &actions);
    posix_spawn_file_actions_destroy(&actions);
    ready_ = pid_ > 0 && eventually([&] {
                 std::error_code ec;
                 return std::filesystem::exists(card_, ec) && std::filesystem::exists(unit_, ec);
             });
}

PtyPair::~PtyPair() {
    endChild(pid_);
}

}  // namespace kova::test
