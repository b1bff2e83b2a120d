#pragma once
// A program started by a test, its standard output read line by line. Waits are bounded, so a
// hung child fails the test instead of hanging it.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kova::test {

class ChildProcess {
  public:
    // With `withStderr` the child's standard error is read as part of its output.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 bool withStderr = false);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // The next line of standard output; nothing when the child ends or stays silent too long.
    std::optional<std::string> readLine();
    // Waits for the child to end; its exit status, or -1 when it was killed or hung.
    int wait();

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffer_;
    std::optional<int> status_;
};

// The next line read from `fd` into `buffer` (which keeps what follows it), waiting at most
// `patience` for it; nothing when the stream ends or stays silent that long.
std::optional<std::string> readLineFrom(int fd, std::string& buffer,
                                        std::chrono::milliseconds patience);

// Runs a program to its end; its exit status and standard output.
struct Outcome {
    int status = -1;
    std::string output;
};
Outcome runProgram(const std::string& program, const std::vector<std::string>& args,
                   bool withStderr = false);

}  // namespace kova::test
