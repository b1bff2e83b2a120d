#include "pages/logic/CalibPageSampler.h"

#include "calib/ReadingChain.h"
#include "device/CExtModule.h"
#include "pages/logic/CalibPoints.h"
#include "pages/logic/LinkState.h"
#include "platform/Numbers.h"
#include "platform/TextCodec.h"

namespace kova {

namespace {

// The channel is read from this many characters of the display: numbers have three digits.
constexpr std::size_t kChannelDigits = 3;

std::string logLine(float value, std::string_view blanks) {
    return "volt: " + formatFixed(value, 6) + std::string(blanks) + "data:\r\n";
}

}  // namespace

SampledKind sampledKindOf(int channel) {
    return channelKindOf(channel, kPageCounterEnd);
}

int sampledChannel(std::string_view display) {
    return parseLeadingInt(cutToGbkBytes(display, kChannelDigits));
}

std::string analogLogLine(float value) {
    return logLine(value, "    ");
}

std::string countLogLine(float value) {
    return logLine(value, "   ");
}

CalibPageSampler::CalibPageSampler(CExtModule& card, SystemLibrary& system, SampleBuffer& samples,
                                   MathHD& average)
    : card_(card), system_(system), samples_(samples), average_(average) {}

CalibPageSampler::CalibPageSampler(CExtModule& card, SystemLibrary& system, MathHD& average)
    : CalibPageSampler(card, system, sharedSampleBuffer(), average) {}

SampleOutput CalibPageSampler::sample(std::string_view display, int burstCount, float coefficient) {
    SampleOutput out;
    out.channel = sampledChannel(display);
    if (display == kNoChannelText || sampledKindOf(out.channel) == SampledKind::Unread) {
        return out;
    }
    out.linkState = card_.ExtGetStatusInfo(out.channel);
    if (out.linkState != kReadingFresh) {
        out.shown = std::string(linkStateText(out.linkState));
        return out;
    }
    switch (sampledKindOf(out.channel)) {
        case SampledKind::Analog: {
            ReadingChain chain(card_, system_, samples_);
            const ChainReading r =
                chain.tick(out.channel, burstCount, average_, deal_, coefficient);
            // While the sliding average fills, the log still gets the burst's own average.
            const float logged = r.ready ? r.value : r.burstAverage;
            if (r.ready) {
                out.reading = r.value;
                out.shown = formatFixed(r.value, 3);
            }
            out.logLine = analogLogLine(logged);
            break;
        }
        case SampledKind::Frequency:
        case SampledKind::Counter: {
            const float value = sampledKindOf(out.channel) == SampledKind::Frequency
                                    ? card_.ExtGetFreb(out.channel)
                                    : static_cast<float>(card_.ExtGetEnc3(out.channel));
            out.reading = value;
            out.shown = formatFixed(value, 0);
            out.logLine = countLogLine(value);
            break;
        }
        case SampledKind::Unread:
            break;
    }
    return out;
}

}  // namespace kova
