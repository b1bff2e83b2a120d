#pragma once
// What the poll thread last read, as the entry points hand it out. The poll thread stores each
// answer here and the entry points copy from here; both hold the lock only for the copy, never
// across bus traffic. Times are passed in, so the rules can be tested without waiting.

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "ModbusSettings.h"
#include "RegisterPlan.h"

namespace modbuscard {

using Clock = std::chrono::steady_clock;

// What ExtGetStatusInfo reports for a channel.
enum class ChannelState : int { Fresh = 0, LinkDown = 1, NotConfigured = 2, DeviceException = 3 };

inline constexpr int kAnalogHistory = 80;

class Readings {
  public:
    // Forgets everything read and takes the channels of these settings. `open` is false for a
    // card that ExtOpen has not opened (or that was closed): every channel then reads as not
    // configured.
    void configure(const CardSettings& settings, bool open);
    void close();

    // From the poll thread.
    void setLinkUp(bool up);
    void storeValue(int channel, const RawValue& raw, Clock::time_point now);
    void storeException(int channel, int code);
    void storeNoAnswer(int channel);
    void storeInputs(std::uint16_t bits, Clock::time_point now);
    void inputsFailed();
    // The outputs switched since the last call, each with its last state (-1: not switched).
    std::array<int, kDigitalOutputs> takeOutputs();
    // Puts back an output that could not be written, unless a newer state is already waiting.
    void requeueOutput(int output, int state);

    // From the entry points.
    ChannelState state(int channel, Clock::time_point now) const;
    // Fills `count` samples oldest first; the number filled, 0 (and NaN) while the state is not
    // Fresh.
    int analog(int channel, float* samples, int count, Clock::time_point now) const;
    float frequency(int channel, Clock::time_point now) const;  // NaN while not Fresh
    int counter(int channel, Clock::time_point now) const;      // 0 while not Fresh
    int input(int input, Clock::time_point now) const;          // 1 active, 0 otherwise
    void queueOutput(int output, int state);
    void resetCounters();

  private:
    enum class Last : std::uint8_t { Nothing, Value, Exception, NoAnswer };
    struct Channel {
        ChannelSettings settings;
        Last last = Last::Nothing;
        Clock::time_point readAt{};
        RawValue raw;
        double value = 0.0;  // raw * Scale + Offset
        std::array<float, kAnalogHistory> history{};
        int historyCount = 0;  // samples held, at most kAnalogHistory
        int historyNext = 0;   // where the next sample goes
        bool counterZeroed = false;
        bool zeroPending = false;  // reset before the first reading: the next one is the zero
        RawValue counterZero;
    };

    ChannelState stateLocked(const Channel* c, Clock::time_point now) const;
    const Channel* find(int channel) const;
    bool fresh(Clock::time_point readAt, Clock::time_point now) const;

    mutable std::mutex mutex_;
    bool open_ = false;
    bool linkUp_ = false;
    Clock::duration freshFor_{};
    std::map<int, Channel> channels_;
    bool inputsConfigured_ = false;
    bool inputsRead_ = false;
    std::uint16_t inputBits_ = 0;
    Clock::time_point inputsAt_{};
    std::array<int, kDigitalOutputs> pendingOutputs_{};
};

}  // namespace modbuscard
