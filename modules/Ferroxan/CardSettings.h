#pragma once
// What the simulated acquisition card produces, as read from Ferroxan.ini, and the pure signal
// laws behind its readings. Times are milliseconds of the card's own clock.

#include <array>
#include <cstdint>

#include "device/CardChannels.h"

namespace kova {
class IniDocument;
}

namespace ferroxan {

using namespace kova::card;

// The simulated card answers on all frequency channels and on the first hundred counters.
inline constexpr int kFrequencyChannels = kFirstCounterChannel - kFirstFrequencyChannel;
inline constexpr int kCounterChannels = 100;  // 300-399

enum class Waveform : std::uint8_t { Constant, Sine, Ramp };

struct AnalogSettings {
    Waveform mode = Waveform::Constant;
    double level = 0.0;      // volts: the constant, the sine's centre, the ramp's start
    double amplitude = 0.0;  // volts: the sine's peak deviation, the ramp's rise per period
    double periodMs = 1000.0;
    double noise = 0.0;  // volts: uniform noise within +-noise; 0 keeps readings exact
};

struct InputSettings {
    bool active = false;   // the input's state while it does not blink
    double blinkMs = 0.0;  // > 0: active for the first half of every period of this length
};

struct CardSettings {
    double stepMs = 0.0;  // > 0: every read advances the clock by this much instead of real time
    double sampleIntervalMs = 1.0;  // spacing of the samples of one analog burst
    std::uint32_t seed = 1;         // of the noise generator
    std::array<AnalogSettings, kAnalogChannels> analog{};
    std::array<double, kFrequencyChannels> frequency{};  // hertz, by channel - 100
    std::array<double, kCounterChannels> counterRate{};  // counts per second, by channel - 300
    std::array<InputSettings, kDigitalInputs> inputs{};
};

// The settings a document holds; anything missing or unreadable keeps its default.
CardSettings parseCardSettings(const kova::IniDocument& document);

// The noise-free voltage of an analog channel at time t.
double analogValue(const AnalogSettings& channel, double tMs);

// The noise source of the analog readings: uniform in [-bound, bound), a few nanoseconds a
// sample (a burst of 80 noisy samples is read every tick).
class NoiseSource {
  public:
    void seed(std::uint32_t seed) { state_ = seed; }

    // splitmix64: one multiply-xorshift round a number, and well mixed from any seed.
    double uniform(double bound) {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        z ^= z >> 31;
        const double unit = static_cast<double>(z >> 11) * 0x1p-53;  // [0, 1)
        return bound * (2.0 * unit - 1.0);
    }

  private:
    std::uint64_t state_ = 1;
};

// A burst of `count` samples stepMs apart, the last at lastMs: analogValue at each time, plus
// noise when the channel has it, stored as single precision. A sine turns its phase by a rotation
// instead of one sin() a sample, equal to analogValue to within a few units in the last place of
// a double.
void analogBurst(const AnalogSettings& channel, double lastMs, double stepMs, NoiseSource& noise,
                 float* samples, int count);

// Whether a digital input is active at time t.
bool inputActive(const InputSettings& input, double tMs);

// A counter's value after `elapsedMs` at `rate` counts per second, kept in the 32-bit range.
int counterValue(double rate, double elapsedMs);

}  // namespace ferroxan
