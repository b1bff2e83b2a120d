// Ferroxan.so: a simulated acquisition card behind the hardware module's entry points. It reads
// what to produce from Ferroxan.ini beside itself (CardSettings.h), rereads it when the file
// changes (looking at most every 100 ms), and records the states of its digital outputs in
// FerroxanOutputs.ini beside it.

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>

#include "CardSettings.h"
#include "OutputsFile.h"
#include "SettingsWatch.h"
#include "platform/DynamicLibrary.h"
#include "platform/ModuleExport.h"

namespace fs = std::filesystem;

namespace ferroxan {
namespace {

constexpr const char* kSettingsFile = "Ferroxan.ini";
constexpr const char* kOutputsFile = "FerroxanOutputs.ini";

class Card {
  public:
    Card()
        : watch_(kova::ownModuleDirectory() / kSettingsFile),
          outputsFile_(kova::ownModuleDirectory() / kOutputsFile) {
        lastRealMs_ = realMs();
    }

    // Brings the settings up to date and advances the clock; returns the time of this read.
    double beginRead() {
        if (watch_.refresh()) {
            settings_ = watch_.settings();
            noise_.seed(settings_.seed);
        }
        const double real = realMs();
        clockMs_ += settings_.stepMs > 0.0 ? settings_.stepMs : real - lastRealMs_;
        lastRealMs_ = real;
        return clockMs_;
    }

    void readAnalog(int channel, float* samples, int count) {
        const double now = beginRead();
        analogBurst(settings_.analog[channel], now, settings_.sampleIntervalMs, noise_, samples,
                    count);
    }

    float readFrequency(int channel) {
        beginRead();
        return static_cast<float>(settings_.frequency[channel - kFirstFrequencyChannel]);
    }

    int readCounter(int channel) {
        const double now = beginRead();
        const int i = channel - kFirstCounterChannel;
        return counterValue(settings_.counterRate[i], now - counterZeroMs_[i]);
    }

    bool readInput(int input) {
        const double now = beginRead();
        return inputActive(settings_.inputs[input], now);
    }

    void resetCounters() {
        const double now = beginRead();
        counterZeroMs_.fill(now);
    }

    void recheckSettings() { watch_.recheckNow(); }

    void setOutput(int output, bool on) {
        const bool changed = outputs_[output] != on;
        outputs_[output] = on;
        if (changed || !outputsWritten_) {
            outputsWritten_ = writeOutputs(outputsFile_, outputs_);
        }
    }

  private:
    static double realMs() {
        using namespace std::chrono;
        return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
    }

    SettingsWatch watch_;
    fs::path outputsFile_;
    CardSettings settings_;
    NoiseSource noise_;
    double clockMs_ = 0.0;
    double lastRealMs_ = 0.0;
    std::array<double, kCounterChannels> counterZeroMs_{};
    OutputStates outputs_{};
    bool outputsWritten_ = false;
};

std::mutex gMutex;

Card& card() {
    static Card instance;
    return instance;
}

// Whether `channel` is one of the `count` channels numbered from `first`.
bool inBlock(int channel, int first, int count) {
    return channel >= first && channel < first + count;
}

}  // namespace
}  // namespace ferroxan

using ferroxan::card;
using ferroxan::gMutex;

// The card needs no opening: every read works. The client name selects nothing.
KOVA_MODULE_ENTRY void ExtOpen(const char* /*client*/) {}

KOVA_MODULE_ENTRY void ExtClose() {}

KOVA_MODULE_ENTRY int ExtStop() {
    return 0;
}

KOVA_MODULE_ENTRY int ExtRelease() {
    return 0;
}

KOVA_MODULE_ENTRY const char* ExtGetVersion() {
    return "Ferroxan 1.0 (simulated card)";
}

// Fills samples[0 .. count-1] with the channel's latest burst, oldest first. Returns 0, or -1
// (buffer untouched) for a channel outside 0-99 or no buffer.
KOVA_MODULE_ENTRY int ExtGetAnalog(int channel, float* samples, int count) {
    if (channel < 0 || channel >= ferroxan::kAnalogChannels || samples == nullptr) {
        return -1;
    }
    const std::lock_guard lock(gMutex);
    card().readAnalog(channel, samples, count);
    return 0;
}

// Every channel of the simulated card is always read: 0 for 0-399, 2 (not configured) elsewhere.
KOVA_MODULE_ENTRY int ExtGetStatusInfo(int channel) {
    const bool ours =
        channel >= 0 && channel < ferroxan::kFirstCounterChannel + ferroxan::kCounterChannels;
    return ours ? 0 : 2;
}

// Hertz on channels 100-299; 0 elsewhere.
KOVA_MODULE_ENTRY float ExtGetFreb(int channel) {
    if (!ferroxan::inBlock(channel, ferroxan::kFirstFrequencyChannel,
                           ferroxan::kFrequencyChannels)) {
        return 0.0f;
    }
    const std::lock_guard lock(gMutex);
    return card().readFrequency(channel);
}

// Counts since the last reset on channels 300-399; 0 elsewhere.
KOVA_MODULE_ENTRY int ExtGetEnc3(int channel) {
    if (!ferroxan::inBlock(channel, ferroxan::kFirstCounterChannel, ferroxan::kCounterChannels)) {
        return 0;
    }
    const std::lock_guard lock(gMutex);
    return card().readCounter(channel);
}

KOVA_MODULE_ENTRY void ExtResetCNT() {
    const std::lock_guard lock(gMutex);
    card().resetCounters();
}

// 1 when input 0-15 is active, else 0.
KOVA_MODULE_ENTRY int ExtInPutDig(int input) {
    if (input < 0 || input >= ferroxan::kDigitalInputs) {
        return 0;
    }
    const std::lock_guard lock(gMutex);
    return card().readInput(input) ? 1 : 0;
}

// Output 0-23 on for state 1, off for anything else; other outputs are ignored.
KOVA_MODULE_ENTRY void ExtOutPutDig(int output, int state) {
    if (output < 0 || output >= ferroxan::kDigitalOutputs) {
        return;
    }
    const std::lock_guard lock(gMutex);
    card().setOutput(output, state == 1);
}

// Makes the next read look at Ferroxan.ini at once: for tests and tools that have just edited it
// and must not wait for the card's next look.
KOVA_MODULE_ENTRY void FerroxanRecheckSettings() {
    const std::lock_guard lock(gMutex);
    card().recheckSettings();
}
