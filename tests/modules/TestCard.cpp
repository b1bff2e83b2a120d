// A test module with the acquisition-card group of entry points, built twice: with only that
// group, and (TEST_CARD_FULL) with the closing and dialog entry points and a few shared names as
// well. Results are simple functions of the arguments so tests see them passed on unchanged;
// the Test* functions let a test look at what the module received.

#include <cstring>

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
char gClient[64] = "";
int gCloses = 0;
int gCounterResets = 0;
int gLastOutput = -1;
int gLastOutputState = -1;
int gOutputs[24] = {};
int gHighOutputsAtClose = -1;  // outputs high at the last ExtClose
char gEvents[256] = "";        // "open:<client>;" and "close;" in call order

void note(const char* event) {
    std::strncat(gEvents, event, sizeof gEvents - std::strlen(gEvents) - 1);
}
}  // namespace

TEST_EXPORT void ExtOpen(const char* client) {
    std::strncpy(gClient, client != nullptr ? client : "(null)", sizeof gClient - 1);
    note("open:");
    note(gClient);
    note(";");
}
TEST_EXPORT void ExtClose() {
    ++gCloses;
    gHighOutputsAtClose = 0;
    for (const int state : gOutputs) {
        gHighOutputsAtClose += state == 1 ? 1 : 0;
    }
    note("close;");
}
TEST_EXPORT int ExtInPutDig(int input) {
    return 1000 + input;
}
TEST_EXPORT void ExtOutPutDig(int output, int state) {
    gLastOutput = output;
    gLastOutputState = state;
    if (output >= 0 && output < 24) {
        gOutputs[output] = state;
    }
}
TEST_EXPORT int ExtGetAnalog(int channel, float* samples, int count) {
    for (int i = 0; i < count; ++i) {
        samples[i] = static_cast<float>(channel) + 0.25f * static_cast<float>(i);
    }
    return count;
}
TEST_EXPORT void ExtResetCNT() {
    ++gCounterResets;
}
TEST_EXPORT int ExtGetEnc3(int channel) {
    return channel + 7;
}
TEST_EXPORT float ExtGetFreb(int channel) {
    return static_cast<float>(channel) * 0.5f;
}
TEST_EXPORT float ExtGetDis(int channel) {
    return static_cast<float>(channel);
}
TEST_EXPORT void ExtResetDis() {}
TEST_EXPORT int ExtSetDis(int channel) {
    return channel;
}
TEST_EXPORT int ExtGetVer() {
    return 1;
}
TEST_EXPORT const char* ExtGetVersion() {
    return "TestCard 1";
}

#if defined(TEST_CARD_FULL)
TEST_EXPORT int ExtStop() {
    note("stop;");
    return 11;
}
TEST_EXPORT int ExtRelease() {
    note("release;");
    return 12;
}
TEST_EXPORT int ExtInit() {
    return 13;
}
TEST_EXPORT int ExtDoModal(void* data) {
    *static_cast<int*>(data) = 42;
    return 1;
}
#endif

TEST_EXPORT const char* TestClient() {
    return gClient;
}
TEST_EXPORT const char* TestEvents() {
    return gEvents;
}
TEST_EXPORT int TestCloses() {
    return gCloses;
}
TEST_EXPORT int TestCounterResets() {
    return gCounterResets;
}
TEST_EXPORT int TestLastOutput() {
    return gLastOutput;
}
TEST_EXPORT int TestLastOutputState() {
    return gLastOutputState;
}
TEST_EXPORT int TestHighOutputsAtClose() {
    return gHighOutputsAtClose;
}
