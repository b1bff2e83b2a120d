#include "CardSettings.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "platform/IniDocument.h"
#include "platform/Numbers.h"
#include "platform/TextCodec.h"

namespace ferroxan {
namespace {

constexpr std::size_t kValueBytes = 64;

// A number from the document, or the fallback when the key is missing, empty or not finite.
double number(const kova::IniDocument& doc, const std::string& section, const char* key,
              double fallback) {
    const std::string text = doc.readString(section, key, "", kValueBytes);
    if (text.find_first_not_of(" \t") == std::string::npos) {
        return fallback;
    }
    const double value = kova::parseLeadingDouble(text);
    return std::isfinite(value) ? value : fallback;
}

Waveform waveform(const kova::IniDocument& doc, const std::string& section) {
    const std::string mode = kova::asciiLower(doc.readString(section, "Mode", "", kValueBytes));
    if (mode == "sine") {
        return Waveform::Sine;
    }
    if (mode == "ramp") {
        return Waveform::Ramp;
    }
    return Waveform::Constant;
}

std::string sectionName(const char* prefix, int number) {
    return prefix + std::to_string(number);
}

}  // namespace

CardSettings parseCardSettings(const kova::IniDocument& doc) {
    CardSettings card;
    card.stepMs = std::max(0.0, number(doc, "Card", "Step", 0.0));
    card.sampleIntervalMs = std::max(0.0, number(doc, "Card", "SampleInterval", 1.0));
    const double seed = number(doc, "Card", "Seed", 1.0);
    card.seed = seed >= 0.0 && seed <= std::numeric_limits<std::uint32_t>::max()
                    ? static_cast<std::uint32_t>(seed)
                    : 1U;

    for (int ch = 0; ch < kAnalogChannels; ++ch) {
        const std::string section = sectionName("Analog", ch);
        AnalogSettings& a = card.analog[ch];
        a.mode = waveform(doc, section);
        a.level = number(doc, section, "Level", 0.0);
        a.amplitude = number(doc, section, "Amplitude", 0.0);
        a.periodMs = number(doc, section, "Period", 1000.0);
        a.noise = std::abs(number(doc, section, "Noise", 0.0));
    }
    for (int i = 0; i < kFrequencyChannels; ++i) {
        card.frequency[i] =
            number(doc, sectionName("Frequency", kFirstFrequencyChannel + i), "Value", 0.0);
    }
    for (int i = 0; i < kCounterChannels; ++i) {
        card.counterRate[i] =
            number(doc, sectionName("Counter", kFirstCounterChannel + i), "Rate", 0.0);
    }
    for (int i = 0; i < kDigitalInputs; ++i) {
        const std::string section = sectionName("Input", i);
        card.inputs[i].active = number(doc, section, "State", 0.0) == 1.0;
        card.inputs[i].blinkMs = number(doc, section, "Blink", 0.0);
    }
    return card;
}

double analogValue(const AnalogSettings& channel, double tMs) {
    if (channel.mode == Waveform::Constant || !(channel.periodMs > 0.0)) {
        return channel.level;
    }
    const double cycles = tMs / channel.periodMs;
    if (channel.mode == Waveform::Sine) {
        return channel.level + channel.amplitude * std::sin(2.0 * std::numbers::pi * cycles);
    }
    return channel.level + channel.amplitude * (cycles - std::floor(cycles));
}

void analogBurst(const AnalogSettings& channel, double lastMs, double stepMs, NoiseSource& noise,
                 float* samples, int count) {
    const bool noisy = channel.noise > 0.0;
    const auto store = [&](int i, double value) {
        samples[i] = static_cast<float>(noisy ? value + noise.uniform(channel.noise) : value);
    };
    if (channel.mode != Waveform::Sine || !(channel.periodMs > 0.0) || count < 2) {
        for (int i = 0; i < count; ++i) {
            store(i, analogValue(channel, lastMs - (count - 1 - i) * stepMs));
        }
        return;
    }
    // sin(a + k d) by turning (cos, sin) through d each sample; the phase is reduced to one
    // period first so that a long-running clock loses no digits.
    const double first = (lastMs - (count - 1) * stepMs) / channel.periodMs;
    const double angle = 2.0 * std::numbers::pi * (first - std::floor(first));
    const double delta = 2.0 * std::numbers::pi * (stepMs / channel.periodMs);
    const double cosDelta = std::cos(delta);
    const double sinDelta = std::sin(delta);
    double c = std::cos(angle);
    double sn = std::sin(angle);
    for (int i = 0; i < count; ++i) {
        store(i, channel.level + channel.amplitude * sn);
        const double next = sn * cosDelta + c * sinDelta;
        c = c * cosDelta - sn * sinDelta;
        sn = next;
    }
}

bool inputActive(const InputSettings& input, double tMs) {
    if (!(input.blinkMs > 0.0)) {
        return input.active;
    }
    const double phase = std::fmod(tMs, input.blinkMs);
    return (phase < 0.0 ? phase + input.blinkMs : phase) < input.blinkMs / 2.0;
}

int counterValue(double rate, double elapsedMs) {
    const double counts = std::floor(rate * elapsedMs / 1000.0);
    if (!(counts > std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    if (counts >= std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(counts);
}

}  // namespace ferroxan
