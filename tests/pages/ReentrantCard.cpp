// A test card whose analog read calls a function the test sets, so the test can make a timer tick
// arrive while the page is still inside the previous one. Every sample reads 1.0.

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
void (*gHook)(void*) = nullptr;
void* gContext = nullptr;
int gReads = 0;
}  // namespace

TEST_EXPORT int ExtGetAnalog(int /*channel*/, float* samples, int count) {
    ++gReads;
    for (int i = 0; i < count; ++i) {
        samples[i] = 1.0f;
    }
    if (gHook != nullptr) {
        gHook(gContext);
    }
    return count;
}

TEST_EXPORT void TestSetAnalogHook(void (*hook)(void*), void* context) {
    gHook = hook;
    gContext = context;
}

TEST_EXPORT int TestAnalogReads() {
    return gReads;
}
