#pragma once
// The waits between attempts to get a lost link back: 50 ms, doubling up to 1 s, and 50 ms again
// once a poll cycle has gone through. Never a tight loop, never more than 1 s between attempts.

#include <algorithm>
#include <chrono>

namespace modbuscard {

class Backoff {
  public:
    static constexpr std::chrono::milliseconds kFirst{50};
    static constexpr std::chrono::milliseconds kLongest{1000};

    // The wait before the next attempt.
    std::chrono::milliseconds next() {
        const std::chrono::milliseconds wait = wait_;
        wait_ = std::min(wait_ * 2, kLongest);
        return wait;
    }

    void succeeded() { wait_ = kFirst; }

  private:
    std::chrono::milliseconds wait_ = kFirst;
};

}  // namespace modbuscard
