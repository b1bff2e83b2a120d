// A test module whose entry points fail inside the call, built four times: dereferencing null
// (FAULT_NULL), throwing (FAULT_THROW), dividing by zero (FAULT_DIVIDE) and running out of stack
// (FAULT_OVERFLOW). ExtInPutDig and
// ExtRelease work, so a test can see that calls after a failure still reach the module. With
// PASSWORD_BOX it is also a password-box component whose ExtDoModal fails the same way.
// Built without sanitizers: the faults must reach the loader, not a sanitizer report.

#include <stdexcept>

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

#if defined(FAULT_OVERFLOW)
volatile bool gDeeper = true;  // unknown to the compiler, so the recursion stays a recursion

[[gnu::noinline]] int descend(int depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (!gDeeper) {
        return frame[0];
    }
    return descend(depth + 1) + frame[0];
}
#endif

[[gnu::noinline]] int fail() {
#if defined(FAULT_NULL)
    int* volatile nothing = nullptr;
    return *nothing;
#elif defined(FAULT_THROW)
    throw std::runtime_error("module failure");
#elif defined(FAULT_DIVIDE)
    // Both operands unknown to the compiler, so a real division instruction runs.
    volatile int dividend = 7;
    volatile int zero = 0;
    return dividend / zero;
#elif defined(FAULT_OVERFLOW)
    return descend(0);
#else
#error "choose a fault"
#endif
}

}  // namespace

TEST_EXPORT int ExtGetAnalog(int /*channel*/, float* samples, int /*count*/) {
    const int value = fail();
    samples[0] = static_cast<float>(value);
    return value;
}
TEST_EXPORT float ExtGetFreb(int /*channel*/) {
    return static_cast<float>(fail());
}
TEST_EXPORT int ExtGetEnc3(int /*channel*/) {
    return fail();
}
TEST_EXPORT void ExtOutPutDig(int /*output*/, int /*state*/) {
    fail();
}
TEST_EXPORT int ExtStop() {
    return fail();
}
TEST_EXPORT int ExtInPutDig(int input) {
    return input + 1;
}
TEST_EXPORT int ExtRelease() {
    return 3;
}

#if defined(PASSWORD_BOX)
TEST_EXPORT int ExtDoModal(void* /*data*/) {
    return fail();
}
#endif
