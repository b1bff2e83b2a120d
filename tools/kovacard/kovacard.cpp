// kovacard: loads a hardware module by path through the tool's loader and reads or switches it
// from a terminal, for commissioning a station's card (the simulated one included).

#include <charconv>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "ToolOptions.h"
#include "device/CExtModule.h"
#include "platform/Numbers.h"

namespace {

constexpr int kOk = kova::tool::kExitOk;
constexpr int kFailed = kova::tool::kExitFailed;

constexpr int kMaxChannels = 1000;
constexpr int kMaxSamples = 80;

constexpr std::string_view kUsage =
    "Usage: kovacard MODULE analog CHANNELS [--samples N]\n"
    "   or: kovacard MODULE freq CHANNELS\n"
    "   or: kovacard MODULE count CHANNELS [--reset]\n"
    "   or: kovacard MODULE in [INPUTS]\n"
    "   or: kovacard MODULE out OUTPUT STATE\n"
    "   or: kovacard MODULE status CHANNELS\n"
    "   or: kovacard MODULE watch analog|freq|count|in|status CHANNELS [--period MS] [--times N]\n"
    "   or: kovacard --help | --version\n";

constexpr std::string_view kHelp =
    "\n"
    "Loads the hardware module MODULE (a Windows-style or host path; NAME.dll opens NAME.so\n"
    "beside it) as the tool does, opens it, and reads or switches the card:\n"
    "\n"
    "  analog  the voltage of analog channels (0-99): the mean of the last N samples\n"
    "          (--samples, 1-80, default 10)\n"
    "  freq    the frequency reading of channels 100-299, Hz\n"
    "  count   the counter of channels 300 and above; --reset zeroes the counters first\n"
    "  in      the digital inputs (0-15; all of them when none are given), 1 active, 0 not\n"
    "  out     switches digital output 0-23 on (1) or off (0)\n"
    "  status  each channel's state: 0 fresh, 1 link down, 2 not configured, 3 device exception\n"
    "  watch   repeats one of the reads every --period milliseconds (default 500), --times\n"
    "          times (default: until interrupted), one line a round\n"
    "\n"
    "CHANNELS and INPUTS are numbers and ranges separated by commas: 0-7, 0,3, 0-3,8.\n"
    "Before reading, kovacard waits up to --wait milliseconds (default 3000) for the card's\n"
    "first readings of the channels asked for; a card without states reads at once.\n"
    "One line a channel: NUMBER VALUE, or NUMBER -- (STATE) when the card has no fresh reading.\n"
    "\n"
    "Exit status: 0 success, 1 the module could not be loaded or a channel had no fresh\n"
    "reading, 2 usage error.\n";

enum class Read { Analog, Freq, Count, In, Status };

struct Arguments {
    bool reset = false;
    std::vector<std::string> positional;
    std::optional<std::string> samples;
    std::optional<std::string> period;
    std::optional<std::string> times;
    std::optional<std::string> wait;
};

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

int usageError(const std::string& message) {
    return kova::tool::usageError("kovacard", message, kUsage);
}

// Options may stand anywhere, "--" ends them; a negative number is an argument.
const kova::tool::Program kProgram{
    "kovacard",
    {{"--help", "--reset"}, {"--samples", "--period", "--times", "--wait"}, true},
    kUsage,
    kHelp};

Arguments argumentsOf(kova::tool::Options& options) {
    Arguments out;
    out.reset = options.has("--reset");
    out.positional = std::move(options.positional);
    out.samples = options.value("--samples");
    out.period = options.value("--period");
    out.times = options.value("--times");
    out.wait = options.value("--wait");
    return out;
}

std::optional<int> wholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// "0-7", "0,3", "0-3,8": every number within [low, high], in the order given.
std::optional<std::vector<int>> channelList(std::string_view text, int low, int high) {
    std::vector<int> channels;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        const std::size_t dash = item.find('-', 1);
        const std::optional<int> first = wholeNumber(item.substr(0, dash));
        const std::optional<int> last =
            dash == std::string_view::npos ? first : wholeNumber(item.substr(dash + 1));
        if (!first || !last || *first > *last || *first < low || *last > high ||
            channels.size() + static_cast<std::size_t>(*last - *first) >= kMaxChannels) {
            return std::nullopt;
        }
        for (int c = *first; c <= *last; ++c) {
            channels.push_back(c);
        }
    }
    if (channels.empty()) {
        return std::nullopt;
    }
    return channels;
}

const char* stateName(int state) {
    switch (state) {
        case 0:
            return "fresh";
        case 1:
            return "link down";
        case 2:
            return "not configured";
        case 3:
            return "device exception";
        default:
            return "unknown state";
    }
}

struct Request {
    Read read = Read::Analog;
    std::vector<int> channels;
    int samples = 10;
};

// One reading as text: the value, or "-- (state)"; false when it was not fresh.
bool readOne(CExtModule& card, const Request& r, int channel, std::string& text) {
    if (r.read == Read::Status) {
        const int state = card.ExtGetStatusInfo(channel);
        text = std::to_string(state) + " " + stateName(state);
        return true;
    }
    if (r.read == Read::In) {
        text = std::to_string(card.ExtInPutDig(channel) == 1 ? 1 : 0);
        return true;
    }
    const int state = card.ExtGetStatusInfo(channel);
    double value = std::nan("");
    if (state == 0) {
        if (r.read == Read::Analog) {
            float samples[kMaxSamples];
            for (float& s : samples) {
                s = std::nanf("");
            }
            card.ExtGetAnalog(channel, samples, r.samples);
            double sum = 0.0;
            for (int i = 0; i < r.samples; ++i) {
                sum += samples[i];
            }
            value = sum / r.samples;
        } else if (r.read == Read::Freq) {
            value = card.ExtGetFreb(channel);
        } else {
            text = std::to_string(card.ExtGetEnc3(channel));
            return true;
        }
    }
    if (state != 0 || !std::isfinite(value)) {
        text = std::string("-- (") + stateName(state == 0 ? 1 : state) + ")";
        return false;
    }
    text = kova::formatFixed(value, r.read == Read::Analog ? 4 : 3);
    return true;
}

// Waits for the card's first readings: until no channel asked for is link-down any more.
void awaitReadings(CExtModule& card, const Request& r, int waitMs) {
    if (r.read == Read::In) {
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        bool pending = false;
        for (int c : r.channels) {
            pending = pending || card.ExtGetStatusInfo(c) == 1;
        }
        if (!pending || interrupted || std::chrono::steady_clock::now() >= deadline) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::optional<Read> readKind(std::string_view name) {
    if (name == "analog") {
        return Read::Analog;
    }
    if (name == "freq") {
        return Read::Freq;
    }
    if (name == "count") {
        return Read::Count;
    }
    if (name == "in") {
        return Read::In;
    }
    if (name == "status") {
        return Read::Status;
    }
    return std::nullopt;
}

std::optional<int> option(const std::optional<std::string>& text, int fallback, int low, int high) {
    if (!text) {
        return fallback;
    }
    const std::optional<int> value = wholeNumber(*text);
    if (!value || *value < low || *value > high) {
        return std::nullopt;
    }
    return value;
}

int run(const Arguments& args) {
    if (args.positional.size() < 2) {
        return usageError("a module and a command are needed");
    }
    const std::string& modulePath = args.positional[0];
    std::string command = args.positional[1];
    std::vector<std::string> rest(args.positional.begin() + 2, args.positional.end());
    const bool watch = command == "watch";
    if (watch) {
        if (rest.empty()) {
            return usageError("watch needs what to read");
        }
        command = rest.front();
        rest.erase(rest.begin());
    } else if (args.period || args.times) {
        return usageError("--period and --times apply only to watch");
    }

    Request request;
    std::optional<int> output;
    std::optional<int> state;
    if (command == "out" && !watch) {
        if (rest.size() != 2) {
            return usageError("out takes an output and a state");
        }
        output = wholeNumber(rest[0]);
        state = wholeNumber(rest[1]);
        if (!output || *output < 0 || *output > 23 || !state || (*state != 0 && *state != 1)) {
            return usageError("out takes an output 0-23 and a state 0 or 1");
        }
    } else if (const std::optional<Read> kind = readKind(command)) {
        request.read = *kind;
        if (rest.size() > 1 || (rest.empty() && *kind != Read::In)) {
            return usageError(command + " takes one list of channels");
        }
        struct Band {
            int low;
            int high;
        };
        const Band band = *kind == Read::Analog  ? Band{0, 99}
                          : *kind == Read::Freq  ? Band{100, 299}
                          : *kind == Read::Count ? Band{300, 1 << 30}
                          : *kind == Read::In    ? Band{0, 15}
                                                 : Band{0, 1 << 30};
        const std::optional<std::vector<int>> channels =
            channelList(rest.empty() ? "0-15" : rest[0], band.low, band.high);
        if (!channels) {
            return usageError(
                "channels of " + command + " are " + std::to_string(band.low) +
                (band.high == (1 << 30) ? " and above" : "-" + std::to_string(band.high)) +
                ", as in 0-7 or 0,3");
        }
        request.channels = *channels;
    } else {
        return usageError("unknown command " + command);
    }
    if (args.samples && request.read != Read::Analog) {
        return usageError("--samples applies only to analog");
    }
    if (args.reset && request.read != Read::Count) {
        return usageError("--reset applies only to count");
    }
    const std::optional<int> samples = option(args.samples, 10, 1, kMaxSamples);
    const std::optional<int> period = option(args.period, 500, 1, 3600000);
    const std::optional<int> times = option(args.times, 0, 1, 1 << 30);
    const std::optional<int> waitMs = option(args.wait, 3000, 0, 600000);
    if (!samples || !period || !times || !waitMs) {
        return usageError(
            "--samples takes 1-80, --period and --times whole numbers above 0, "
            "--wait 0 or more");
    }
    request.samples = *samples;

    CExtModule card;
    if (!card.Load(modulePath)) {
        std::cerr << "kovacard: cannot load " << modulePath << "\n";
        return kFailed;
    }
    card.ExtClose();
    card.ExtOpen("kovacard");
    int status = kOk;
    if (output) {
        card.ExtOutPutDig(*output, *state);
    } else {
        if (args.reset) {
            awaitReadings(card, request, *waitMs);
            card.ExtResetCNT();
        }
        awaitReadings(card, request, *waitMs);
        const auto start = std::chrono::steady_clock::now();
        for (int round = 0; !interrupted; ++round) {
            std::string line;
            for (int c : request.channels) {
                std::string text;
                if (!readOne(card, request, c, text)) {
                    status = kFailed;
                }
                if (watch) {
                    line += (line.empty() ? "" : "  ") + std::to_string(c) + "=" + text;
                } else {
                    std::cout << c << ' ' << text << '\n';
                }
            }
            if (!watch) {
                break;
            }
            const auto next = start + std::chrono::milliseconds(*period) * (round + 1);
            const double elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::cout << kova::formatFixed(elapsed, 3) << "  " << line << std::endl;
            if (*times > 0 && round + 1 >= *times) {
                break;
            }
            while (!interrupted && std::chrono::steady_clock::now() < next) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
    }
    // Closing as the tool does also writes an output switched just now.
    card.ExtClose();
    card.ExtStop();
    card.ExtRelease();
    card.Unload();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    return kova::tool::runProgram(kProgram, argc, argv, [](kova::tool::Options& options) {
        std::signal(SIGINT, onInterrupt);
        std::signal(SIGTERM, onInterrupt);
        return run(argumentsOf(options));
    });
}
