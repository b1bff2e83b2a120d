// A test card whose readings the test sets and whose digital output commands it reads back in
// call order: every analog sample reads the set level, frequency and counter channels the set
// values, digital input n the set value (any integer, not only 0 and 1).

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
constexpr int kInputs = 16;
constexpr int kMaxCommands = 512;

float gLevel = 0.0f;
float gFrequency = 0.0f;
int gCounter = 0;
int gCounterResets = 0;
int gAnalogReads = 0;
int gStatus = 0;
int gInputs[kInputs] = {};
int gCommands[kMaxCommands][2] = {};
int gCommandCount = 0;
}  // namespace

TEST_EXPORT int ExtGetAnalog(int /*channel*/, float* samples, int count) {
    ++gAnalogReads;
    for (int i = 0; i < count; ++i) {
        samples[i] = gLevel;
    }
    return count;
}
TEST_EXPORT int ExtGetStatusInfo(int /*channel*/) {
    return gStatus;
}
TEST_EXPORT float ExtGetFreb(int /*channel*/) {
    return gFrequency;
}
TEST_EXPORT int ExtGetEnc3(int /*channel*/) {
    return gCounter;
}
TEST_EXPORT void ExtResetCNT() {
    ++gCounterResets;
}
TEST_EXPORT int ExtInPutDig(int input) {
    return input >= 0 && input < kInputs ? gInputs[input] : 0;
}
TEST_EXPORT void ExtOutPutDig(int output, int state) {
    if (gCommandCount < kMaxCommands) {
        gCommands[gCommandCount][0] = output;
        gCommands[gCommandCount][1] = state;
        ++gCommandCount;
    }
}

TEST_EXPORT void TestReset() {
    gLevel = 0.0f;
    gFrequency = 0.0f;
    gCounter = 0;
    gCounterResets = 0;
    gAnalogReads = 0;
    gStatus = 0;
    for (int& input : gInputs) {
        input = 0;
    }
    gCommandCount = 0;
}
TEST_EXPORT void TestSetLevel(float level) {
    gLevel = level;
}
// The state every channel reports (0 fresh, 1 link down, 2 not configured, 3 device exception).
TEST_EXPORT void TestSetStatus(int state) {
    gStatus = state;
}
TEST_EXPORT void TestSetFrequency(float value) {
    gFrequency = value;
}
TEST_EXPORT void TestSetCounter(int value) {
    gCounter = value;
}
TEST_EXPORT void TestSetInput(int input, int value) {
    if (input >= 0 && input < kInputs) {
        gInputs[input] = value;
    }
}
TEST_EXPORT int TestCounterResets() {
    return gCounterResets;
}
TEST_EXPORT int TestAnalogReads() {
    return gAnalogReads;
}
// The output commands so far as (output, state) pairs; forgets them.
TEST_EXPORT int TestTakeCommands(int* pairs, int maxPairs) {
    const int n = gCommandCount < maxPairs ? gCommandCount : maxPairs;
    for (int i = 0; i < n; ++i) {
        pairs[2 * i] = gCommands[i][0];
        pairs[2 * i + 1] = gCommands[i][1];
    }
    gCommandCount = 0;
    return n;
}
