#include "platform/GuardedCall.h"

#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>

#include "platform/DynamicLibrary.h"

namespace {

using Probe = int (*)(int);

// A real fault inside a module: ExtGetEnc3 of the faulting test modules.
Probe faultingEntry(const kova::DynamicLibrary& module) {
    return reinterpret_cast<Probe>(module.symbol("ExtGetEnc3"));
}

int marker = 0;
void markingHandler(int) {
    marker = 1;
}

// The handler currently installed for a signal.
void* currentHandler(int sig) {
    struct sigaction now {};
    sigaction(sig, nullptr, &now);
    return (now.sa_flags & SA_SIGINFO) != 0 ? reinterpret_cast<void*>(now.sa_sigaction)
                                            : reinterpret_cast<void*>(now.sa_handler);
}

}  // namespace

TEST(GuardedCallTest, ANormalReturnPassesTheResultOn) {
    int result = -1;
    EXPECT_TRUE(kova::guardedCall([] { return 42; }, result));
    EXPECT_EQ(result, 42);

    int calls = 0;
    EXPECT_TRUE(kova::guardedCall([&] { ++calls; }));
    EXPECT_EQ(calls, 1);
}

TEST(GuardedCallTest, AThrownExceptionBecomesAFailure) {
    int result = -1;
    EXPECT_FALSE(kova::guardedCall([]() -> int { throw std::runtime_error("x"); }, result));
    EXPECT_EQ(result, -1);  // untouched
    EXPECT_FALSE(kova::guardedCall([] { throw 7; }));
}

TEST(GuardedCallTest, EachProcessorFaultSignalBecomesAFailure) {
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) {
        int result = -1;
        EXPECT_FALSE(kova::guardedCall([sig] { return raise(sig); }, result)) << sig;
        EXPECT_EQ(result, -1) << sig;
    }
}

TEST(GuardedCallTest, RealFaultsInsideAModuleBecomeFailures) {
    for (const char* file : {KOVA_TEST_NULL_DEREF_CARD, KOVA_TEST_DIVIDING_CARD}) {
        const kova::DynamicLibrary module = kova::DynamicLibrary::open(file);
        ASSERT_TRUE(module.isOpen()) << module.error();
        const Probe probe = faultingEntry(module);
        ASSERT_NE(probe, nullptr);
        for (int round = 0; round < 3; ++round) {  // the guard is whole again after a fault
            int result = -1;
            EXPECT_FALSE(kova::guardedCall([probe] { return probe(300); }, result)) << file;
            EXPECT_EQ(result, -1);
        }
    }
}

TEST(GuardedCallTest, PreviousHandlersAreBackAfterEveryCall) {
    struct sigaction mine {};
    mine.sa_handler = markingHandler;
    sigemptyset(&mine.sa_mask);
    struct sigaction saved[2]{};
    sigaction(SIGFPE, &mine, &saved[0]);
    sigaction(SIGBUS, &mine, &saved[1]);

    EXPECT_TRUE(kova::guardedCall([] {}));
    EXPECT_EQ(currentHandler(SIGFPE), reinterpret_cast<void*>(markingHandler));
    EXPECT_FALSE(kova::guardedCall([] { raise(SIGFPE); }));
    EXPECT_EQ(currentHandler(SIGFPE), reinterpret_cast<void*>(markingHandler));
    EXPECT_EQ(currentHandler(SIGBUS), reinterpret_cast<void*>(markingHandler));

    // Outside a guard the process's own handler gets the signal again.
    marker = 0;
    raise(SIGBUS);
    EXPECT_EQ(marker, 1);

    sigaction(SIGFPE, &saved[0], nullptr);
    sigaction(SIGBUS, &saved[1], nullptr);
}

TEST(GuardedCallTest, NestedCallsFailOnlyAsFarAsTheInnerGuard) {
    bool innerReturned = true;
    int afterInner = 0;
    const bool outerReturned = kova::guardedCall([&] {
        innerReturned = kova::guardedCall([] { raise(SIGSEGV); });
        afterInner = 1;
    });
    EXPECT_TRUE(outerReturned);
    EXPECT_FALSE(innerReturned);
    EXPECT_EQ(afterInner, 1);
}

TEST(GuardedCallTest, AFaultOutsideAGuardStillEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            const kova::DynamicLibrary module =
                kova::DynamicLibrary::open(KOVA_TEST_NULL_DEREF_CARD);
            const Probe probe = faultingEntry(module);
            int ignored = 0;
            kova::guardedCall([probe] { return probe(300); }, ignored);
            probe(300);  // unguarded
        },
        "");
}
