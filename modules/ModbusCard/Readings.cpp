#include "Readings.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace modbuscard {

void Readings::configure(const CardSettings& settings, bool open) {
    const std::lock_guard lock(mutex_);
    open_ = open;
    linkUp_ = false;
    freshFor_ = std::chrono::milliseconds(3 * settings.link.pollMs + settings.link.timeoutMs);
    channels_.clear();
    if (settings.linkValid) {
        for (const auto& [number, c] : settings.channels) {
            channels_[number].settings = c;
        }
    }
    inputsConfigured_ = settings.linkValid && settings.inputs.has_value();
    inputsRead_ = false;
    inputBits_ = 0;
    pendingOutputs_.fill(-1);
}

void Readings::close() {
    const std::lock_guard lock(mutex_);
    open_ = false;
    linkUp_ = false;
}

void Readings::setLinkUp(bool up) {
    const std::lock_guard lock(mutex_);
    linkUp_ = up;
}

void Readings::storeValue(int channel, const RawValue& raw, Clock::time_point now) {
    const std::lock_guard lock(mutex_);
    const auto it = channels_.find(channel);
    if (it == channels_.end()) {
        return;
    }
    Channel& c = it->second;
    c.last = Last::Value;
    c.readAt = now;
    c.raw = raw;
    c.value = raw.value * c.settings.scale + c.settings.offset;
    if (c.zeroPending) {
        c.zeroPending = false;
        c.counterZeroed = true;
        c.counterZero = raw;
    }
    if (channel < kAnalogChannels) {
        c.history[c.historyNext] = static_cast<float>(c.value);
        c.historyNext = (c.historyNext + 1) % kAnalogHistory;
        c.historyCount = std::min(c.historyCount + 1, kAnalogHistory);
    }
}

void Readings::storeException(int channel, int /*code*/) {
    const std::lock_guard lock(mutex_);
    const auto it = channels_.find(channel);
    if (it != channels_.end()) {
        it->second.last = Last::Exception;
    }
}

void Readings::storeNoAnswer(int channel) {
    const std::lock_guard lock(mutex_);
    const auto it = channels_.find(channel);
    if (it != channels_.end()) {
        it->second.last = Last::NoAnswer;
    }
}

void Readings::storeInputs(std::uint16_t bits, Clock::time_point now) {
    const std::lock_guard lock(mutex_);
    inputsRead_ = true;
    inputBits_ = bits;
    inputsAt_ = now;
}

void Readings::inputsFailed() {
    const std::lock_guard lock(mutex_);
    inputsRead_ = false;
}

std::array<int, kDigitalOutputs> Readings::takeOutputs() {
    const std::lock_guard lock(mutex_);
    std::array<int, kDigitalOutputs> taken = pendingOutputs_;
    pendingOutputs_.fill(-1);
    return taken;
}

void Readings::requeueOutput(int output, int state) {
    const std::lock_guard lock(mutex_);
    if (pendingOutputs_[output] == -1) {
        pendingOutputs_[output] = state;
    }
}

bool Readings::fresh(Clock::time_point readAt, Clock::time_point now) const {
    return now - readAt <= freshFor_;
}

const Readings::Channel* Readings::find(int channel) const {
    const auto it = channels_.find(channel);
    return it == channels_.end() ? nullptr : &it->second;
}

ChannelState Readings::stateLocked(const Channel* c, Clock::time_point now) const {
    if (!open_ || c == nullptr) {
        return ChannelState::NotConfigured;
    }
    if (!linkUp_ || c->last == Last::NoAnswer) {
        return ChannelState::LinkDown;
    }
    if (c->last == Last::Exception) {
        return ChannelState::DeviceException;
    }
    if (c->last == Last::Value && fresh(c->readAt, now)) {
        return ChannelState::Fresh;
    }
    return ChannelState::LinkDown;  // the device has not answered in time
}

ChannelState Readings::state(int channel, Clock::time_point now) const {
    const std::lock_guard lock(mutex_);
    return stateLocked(find(channel), now);
}

int Readings::analog(int channel, float* samples, int count, Clock::time_point now) const {
    if (samples == nullptr || count <= 0) {
        return 0;
    }
    const std::lock_guard lock(mutex_);
    const Channel* c = channel >= 0 && channel < kAnalogChannels ? find(channel) : nullptr;
    if (stateLocked(c, now) != ChannelState::Fresh) {
        std::fill(samples, samples + count, std::numeric_limits<float>::quiet_NaN());
        return 0;
    }
    // Sample i is the one (count - 1 - i) reads before the newest; older than the history
    // holds repeats the oldest.
    const int held = c->historyCount;
    const int newest = (c->historyNext + kAnalogHistory - 1) % kAnalogHistory;
    for (int i = 0; i < count; ++i) {
        const int back = std::min(count - 1 - i, held - 1);
        samples[i] = c->history[(newest - back + kAnalogHistory) % kAnalogHistory];
    }
    return count;
}

float Readings::frequency(int channel, Clock::time_point now) const {
    const std::lock_guard lock(mutex_);
    const Channel* c = channel >= kFirstFrequencyChannel && channel < kFirstCounterChannel
                           ? find(channel)
                           : nullptr;
    if (stateLocked(c, now) != ChannelState::Fresh) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    return static_cast<float>(c->value);
}

int Readings::counter(int channel, Clock::time_point now) const {
    const std::lock_guard lock(mutex_);
    const Channel* c = channel >= kFirstCounterChannel ? find(channel) : nullptr;
    if (stateLocked(c, now) != ChannelState::Fresh || c->zeroPending) {
        return 0;
    }
    const double value =
        c->counterZeroed
            ? counterDelta(c->settings.format, c->raw, c->counterZero) * c->settings.scale
            : c->value;
    if (!std::isfinite(value)) {
        return 0;
    }
    return static_cast<int>(std::clamp(std::llround(value),
                                       static_cast<long long>(std::numeric_limits<int>::min()),
                                       static_cast<long long>(std::numeric_limits<int>::max())));
}

int Readings::input(int input, Clock::time_point now) const {
    if (input < 0 || input >= kDigitalInputs) {
        return 0;
    }
    const std::lock_guard lock(mutex_);
    if (!open_ || !linkUp_ || !inputsConfigured_ || !inputsRead_ || !fresh(inputsAt_, now)) {
        return 0;
    }
    return (inputBits_ >> input) & 1U;
}

void Readings::queueOutput(int output, int state) {
    if (output < 0 || output >= kDigitalOutputs) {
        return;
    }
    const std::lock_guard lock(mutex_);
    if (open_) {
        pendingOutputs_[output] = state == 1 ? 1 : 0;
    }
}

void Readings::resetCounters() {
    const std::lock_guard lock(mutex_);
    for (auto& [number, c] : channels_) {
        if (number < kFirstCounterChannel) {
            continue;
        }
        if (c.last == Last::Value) {
            c.counterZeroed = true;
            c.counterZero = c.raw;
            c.zeroPending = false;
        } else {
            c.zeroPending = true;
        }
    }
}

}  // namespace modbuscard
