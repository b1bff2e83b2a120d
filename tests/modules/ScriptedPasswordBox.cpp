// A password-box component for the start-up tests: answers ExtDoModal with whatever the test set,
// and remembers the calls and what it found in the caller's record. A test keeps its own handle
// open so that this state outlives the tool's Unload.
#include <cstdint>
#include <cstring>
#include <string>

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
int answer = 0;
std::string calls;
std::int32_t statusSeen = 0;
}  // namespace

TEST_EXPORT void TestSetAnswer(int value) {
    answer = value;
}
TEST_EXPORT const char* TestCalls() {
    return calls.c_str();
}
TEST_EXPORT std::int32_t TestStatusSeen() {
    return statusSeen;
}

TEST_EXPORT int ExtDoModal(void* data) {
    calls += "ExtDoModal;";
    if (data != nullptr) {
        auto* bytes = static_cast<unsigned char*>(data);
        std::memcpy(&statusSeen, bytes + 150, sizeof statusSeen);
        std::memcpy(bytes + 0, "operator", 9);
    }
    return answer;
}

TEST_EXPORT int ExtStop() {
    calls += "ExtStop;";
    return 0;
}
