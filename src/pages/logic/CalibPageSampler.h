#pragma once
// One sampling tick of the calibration page without its window: which channel the
// channel-number display names, how that channel is read, the text the voltage field shows and
// the line the acquisition log gets.

#include <optional>
#include <string>
#include <string_view>

#include "DataDeal.h"
#include "pages/logic/ChannelKind.h"

class CExtModule;

namespace kova {

class MathHD;
class SystemLibrary;
struct SampleBuffer;

// How the page reads a card channel: counters up to 699.
using SampledKind = ChannelKind;
SampledKind sampledKindOf(int channel);

// The channel a display text names: the leading number of its first three characters, so "1234"
// samples channel 123.
int sampledChannel(std::string_view display);

// The acquisition log's lines, exactly as the line's tools write them.
std::string analogLogLine(float value);  // "volt: %f    data:\r\n"
std::string countLogLine(float value);   // "volt: %f   data:\r\n"

// What one tick gives the page.
struct SampleOutput {
    int channel = 0;
    std::optional<float> reading;        // the value shown, when one is
    std::optional<std::string> shown;    // the voltage field's new text
    std::optional<std::string> logLine;  // the line to log when logging is on
    int linkState = 0;                   // the card's ExtGetStatusInfo for the channel
};

class CalibPageSampler {
  public:
    // The card, the system library's filter, the shared sample buffer and the page's sliding
    // average.
    CalibPageSampler(CExtModule& card, SystemLibrary& system, SampleBuffer& samples,
                     MathHD& average);
    // With the process's shared sample buffer.
    CalibPageSampler(CExtModule& card, SystemLibrary& system, MathHD& average);

    // Reads the channel `display` names: analog channels through the chain with `burstCount`
    // samples and the filter `coefficient`, shown with "%.3f"; frequency and counter channels
    // straight from the card, shown with "%.0f". The display "未选择" reads nothing. A channel
    // the card reports no fresh reading for shows the state in words and is neither read nor
    // logged.
    SampleOutput sample(std::string_view display, int burstCount, float coefficient);

  private:
    CExtModule& card_;
    SystemLibrary& system_;
    SampleBuffer& samples_;
    MathHD& average_;
    // Burst averaging: the page's own, made with it.
    DataDeal deal_;
};

}  // namespace kova
