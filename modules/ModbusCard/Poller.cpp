#include "Poller.h"

#include <modbus.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>

#include "Backoff.h"

namespace modbuscard {
namespace {

// The exception code of a failed request the device refused, or 0 when it did not answer.
int exceptionCode(int error) {
    if (error >= EMBXILFUN && error <= EMBXGTAR) {
        return error - MODBUS_ENOBASE;
    }
    return error == EMBUNKEXC ? -1 : 0;
}

std::string describe(int error) {
    return modbus_strerror(error);
}

std::string exceptionText(int code) {
    return code < 0 ? "an unknown exception" : "exception " + std::to_string(code);
}

const char* tableName(Table t) {
    return t == Table::Input ? "input" : "holding";
}

}  // namespace

Poller::Poller(CardSettings settings, Readings& readings, CardLog& log)
    : settings_(std::move(settings)), readings_(readings), log_(log) {
    std::vector<ChannelSettings> channels;
    for (const auto& [number, c] : settings_.channels) {
        channels.push_back(c);
    }
    reads_ = planReads(channels);
}

Poller::~Poller() {
    stop();
}

std::string Poller::linkName() const {
    const LinkSettings& l = settings_.link;
    if (l.transport == Transport::Tcp) {
        return "tcp " + l.host + ":" + std::to_string(l.port);
    }
    return "rtu " + l.device + " " + std::to_string(l.baud) + " " + std::to_string(l.dataBits) +
           l.parity + std::to_string(l.stopBits);
}

void Poller::start() {
    if (thread_.joinable()) {
        return;
    }
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
}

void Poller::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
    disconnect();
    if (ctx_ != nullptr) {
        modbus_free(ctx_);
        ctx_ = nullptr;
    }
}

bool Poller::connect() {
    const LinkSettings& l = settings_.link;
    if (ctx_ == nullptr) {
        ctx_ = l.transport == Transport::Tcp
                   ? modbus_new_tcp_pi(l.host.c_str(), std::to_string(l.port).c_str())
                   : modbus_new_rtu(l.device.c_str(), l.baud, l.parity, l.dataBits, l.stopBits);
        if (ctx_ == nullptr) {
            lostReason_ = describe(errno);
            return false;
        }
        const auto seconds = static_cast<std::uint32_t>(l.timeoutMs / 1000);
        const auto micros = static_cast<std::uint32_t>(l.timeoutMs % 1000 * 1000);
        modbus_set_response_timeout(ctx_, seconds, micros);
        modbus_set_byte_timeout(ctx_, seconds, micros);
    }
    if (modbus_connect(ctx_) != 0) {
        lostReason_ = describe(errno);
        return false;
    }
    connected_ = true;
    return true;
}

void Poller::disconnect() {
    if (ctx_ != nullptr && connected_) {
        modbus_close(ctx_);
    }
    connected_ = false;
}

Poller::Cycle Poller::lost(const std::string& why) {
    lostReason_ = why;
    return Cycle::LinkLost;
}

void Poller::noteException(int channel, const std::string& what, int code) {
    const auto it = exceptionShown_.find(channel);
    if (it == exceptionShown_.end() || it->second != code) {
        log_.write(what + ": device " + exceptionText(code));
        exceptionShown_[channel] = code;
    }
}

bool Poller::writeOutputs(const std::array<int, kDigitalOutputs>& outputs, bool& answered) {
    if (!settings_.outputs) {
        return true;
    }
    for (int k = 0; k < kDigitalOutputs; ++k) {
        if (outputs[k] < 0) {
            continue;
        }
        const int coil = settings_.outputs->address + k;
        modbus_set_slave(ctx_, settings_.outputs->unit);
        if (modbus_write_bit(ctx_, coil, outputs[k]) == 1) {
            answered = true;
            continue;
        }
        const int error = errno;
        if (const int code = exceptionCode(error); code != 0) {
            answered = true;
            log_.write("output " + std::to_string(k) + " (unit " +
                       std::to_string(settings_.outputs->unit) + " coil " + std::to_string(coil) +
                       "): device " + exceptionText(code));
            continue;
        }
        // Not written: it and every later one wait for the next cycle.
        for (int rest = k; rest < kDigitalOutputs; ++rest) {
            if (outputs[rest] >= 0) {
                readings_.requeueOutput(rest, outputs[rest]);
            }
        }
        lostReason_ = describe(error);
        return false;
    }
    return true;
}

Poller::Cycle Poller::pollOnce() {
    const bool tcp = settings_.link.transport == Transport::Tcp;
    bool answered = false;
    bool failed = false;
    if (!writeOutputs(readings_.takeOutputs(), answered)) {
        if (tcp) {
            return Cycle::LinkLost;
        }
        failed = true;
        modbus_flush(ctx_);
    }

    std::array<std::uint16_t, kMaxRegistersPerRead> words{};
    for (std::size_t i = 0; i < reads_.size();) {
        const RegisterRead& read = reads_[i];
        modbus_set_slave(ctx_, read.unit);
        const int rc = read.table == Table::Input
                           ? modbus_read_input_registers(ctx_, read.start, read.count, words.data())
                           : modbus_read_registers(ctx_, read.start, read.count, words.data());
        const Clock::time_point now = Clock::now();
        if (rc == read.count) {
            answered = true;
            silentUnits_.erase(read.unit);
            for (const ChannelSettings& c : read.members) {
                readings_.storeValue(
                    c.channel, decodeValue(&words[c.reg - read.start], c.format, c.highWordFirst),
                    now);
                exceptionShown_.erase(c.channel);
            }
            ++i;
            continue;
        }
        const int error = rc < 0 ? errno : EMBBADDATA;
        if (const int code = exceptionCode(error); code != 0) {
            answered = true;
            if (read.members.size() > 1) {
                // One refused register spoils the group: read its channels one by one from now
                // on, so that the others keep working.
                log_.write("unit " + std::to_string(read.unit) + " " + tableName(read.table) +
                           " registers " + std::to_string(read.start) + "-" +
                           std::to_string(read.start + read.count - 1) + ": device " +
                           exceptionText(code) + "; reading them one by one");
                std::vector<RegisterRead> singles = splitRead(read);
                reads_.erase(reads_.begin() + static_cast<std::ptrdiff_t>(i));
                reads_.insert(reads_.begin() + static_cast<std::ptrdiff_t>(i), singles.begin(),
                              singles.end());
                continue;
            }
            const ChannelSettings& c = read.members.front();
            readings_.storeException(c.channel, code);
            noteException(c.channel,
                          "channel " + std::to_string(c.channel) + " (unit " +
                              std::to_string(c.unit) + " " + tableName(c.table) + " register " +
                              std::to_string(c.reg) + ")",
                          code);
            ++i;
            continue;
        }
        if (tcp) {
            return lost(describe(error));
        }
        // On a serial bus one silent unit must not silence the others.
        failed = true;
        lostReason_ = describe(error);
        for (const ChannelSettings& c : read.members) {
            readings_.storeNoAnswer(c.channel);
        }
        if (silentUnits_.insert(read.unit).second) {
            log_.write("unit " + std::to_string(read.unit) + " does not answer: " + lostReason_);
        }
        modbus_flush(ctx_);
        ++i;
    }

    if (settings_.inputs) {
        const DigitalSettings& in = *settings_.inputs;
        std::array<std::uint8_t, kDigitalInputs> bits{};
        modbus_set_slave(ctx_, in.unit);
        const int rc = in.table == BitTable::Discrete
                           ? modbus_read_input_bits(ctx_, in.address, kDigitalInputs, bits.data())
                           : modbus_read_bits(ctx_, in.address, kDigitalInputs, bits.data());
        if (rc == kDigitalInputs) {
            answered = true;
            std::uint16_t mask = 0;
            for (int k = 0; k < kDigitalInputs; ++k) {
                mask = static_cast<std::uint16_t>(mask | (bits[k] != 0 ? 1U << k : 0U));
            }
            readings_.storeInputs(mask, Clock::now());
            exceptionShown_.erase(-1);
        } else {
            readings_.inputsFailed();
            const int error = rc < 0 ? errno : EMBBADDATA;
            if (const int code = exceptionCode(error); code != 0) {
                answered = true;
                noteException(-1, "digital inputs (unit " + std::to_string(in.unit) + ")", code);
            } else if (tcp) {
                return lost(describe(error));
            } else {
                failed = true;
                lostReason_ = describe(error);
                modbus_flush(ctx_);
            }
        }
    }
    return failed && !answered ? Cycle::LinkLost : Cycle::Good;
}

bool Poller::waitUntil(Clock::time_point until) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_until(lock, until, [this] { return stopping_; });
}

void Poller::run() {
    Backoff backoff;
    bool shownDown = false;
    const auto period = std::chrono::milliseconds(settings_.link.pollMs);
    for (;;) {
        {
            const std::lock_guard lock(mutex_);
            if (stopping_) {
                break;
            }
        }
        if (!connected_) {
            if (!connect()) {
                if (!shownDown) {
                    log_.write("cannot connect to " + linkName() + ": " + lostReason_ +
                               "; retrying");
                    shownDown = true;
                }
                readings_.setLinkUp(false);
                if (!waitUntil(Clock::now() + backoff.next())) {
                    break;
                }
                continue;
            }
            log_.write("connected to " + linkName());
            shownDown = false;
            readings_.setLinkUp(true);
        }
        const Clock::time_point cycleStart = Clock::now();
        if (pollOnce() == Cycle::LinkLost) {
            log_.write("link to " + linkName() + " lost: " + lostReason_ + "; retrying");
            shownDown = true;
            disconnect();
            readings_.setLinkUp(false);
            if (!waitUntil(Clock::now() + backoff.next())) {
                break;
            }
            continue;
        }
        backoff.succeeded();
        if (!waitUntil(cycleStart + period)) {
            break;
        }
    }
    flushOutputs();
    disconnect();
}

void Poller::flushOutputs() {
    const std::array<int, kDigitalOutputs> outputs = readings_.takeOutputs();
    if (!settings_.outputs ||
        std::all_of(outputs.begin(), outputs.end(), [](int state) { return state < 0; })) {
        return;
    }
    bool answered = false;
    if ((!connected_ && !connect()) || !writeOutputs(outputs, answered)) {
        readings_.takeOutputs();  // nobody is left to write them
        log_.write("outputs switched before closing not written: " + lostReason_);
    }
}

}  // namespace modbuscard
