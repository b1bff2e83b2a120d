#include "platform/GuardedCall.h"

#if defined(__x86_64__)
#include <cpuid.h>
#endif

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <thread>

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

#if defined(__x86_64__)
// The processor's record of register state in use (XGETBV 1): bit 2, upper vector halves.
// Absent where the processor cannot tell; then the test has nothing to look at.
bool upperStateKnown() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_AVX) != 0 && (c & bit_OSXSAVE) != 0 &&
           __get_cpuid_count(0xD, 1, &a, &b, &c, &d) && (a & (1U << 2)) != 0;
}
bool upperStateInUse() {
    std::uint32_t low = 0, high = 0;
    asm volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(1));
    return (low & (1U << 2)) != 0;
}
#endif

}  // namespace

TEST(GuardedCallTest, AModuleStartsWithoutTheUpperVectorStateItsCallerLeft) {
#if defined(__x86_64__)
    if (!upperStateKnown()) {
        GTEST_SKIP() << "the processor does not report its vector state";
    }
    // As Qt's painting leaves it: a 256-bit register written, never cleared.
    asm volatile("vpcmpeqd %%ymm7, %%ymm7, %%ymm7" ::: "xmm7");
    ASSERT_TRUE(upperStateInUse());
    bool inUse = true;
    EXPECT_TRUE(kova::guardedCall([] { return upperStateInUse(); }, inUse));
    EXPECT_FALSE(inUse);
#else
    GTEST_SKIP() << "no upper vector state on this processor";
#endif
}

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

TEST(GuardedCallTest, FaultsOutsideAGuardGoToTheHandlerThatWasThereBefore) {
    // In a fresh process, so that the handler below is the one the guard finds at its first call.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            struct sigaction mine {};
            mine.sa_handler = markingHandler;
            sigemptyset(&mine.sa_mask);
            sigaction(SIGFPE, &mine, nullptr);
            sigaction(SIGBUS, &mine, nullptr);

            bool guarded = kova::guardedCall([] {});
            guarded = !kova::guardedCall([] { raise(SIGFPE); }) && guarded;
            const bool stayed = currentHandler(SIGBUS) != reinterpret_cast<void*>(markingHandler);
            // The guard's handlers stay for the process; outside a guard the process's own
            // handler still gets the signal.
            marker = 0;
            raise(SIGBUS);
            const bool passedOn = marker == 1;
            marker = 0;
            raise(SIGFPE);
            std::exit(guarded && stayed && passedOn && marker == 1 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
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

TEST(GuardedCallTest, AFaultCountsOnlyInsideTheCalledModulesOwnCode) {
    const kova::DynamicLibrary nullDeref = kova::DynamicLibrary::open(KOVA_TEST_NULL_DEREF_CARD);
    const kova::DynamicLibrary dividing = kova::DynamicLibrary::open(KOVA_TEST_DIVIDING_CARD);
    ASSERT_TRUE(nullDeref.isOpen() && dividing.isOpen());
    for (const kova::DynamicLibrary* module : {&nullDeref, &dividing}) {
        ASSERT_FALSE(module->code().ranges.empty());
        int result = -1;
        EXPECT_FALSE(kova::guardedCall(
            module->code(), [probe = faultingEntry(*module)] { return probe(300); }, result));
        EXPECT_EQ(result, -1);
    }

    // The division faults in code the guard does not answer for: the process ends.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            int ignored = 0;
            kova::guardedCall(
                nullDeref.code(), [probe = faultingEntry(dividing)] { return probe(300); },
                ignored);
        },
        "");
    // So does our own code faulting while the module's call runs (a nested event loop, say).
    EXPECT_DEATH(
        {
            kova::guardedCall(nullDeref.code(), [] { raise(SIGSEGV); });
            std::exit(0);
        },
        "");
}

TEST(GuardedCallTest, AStackOverflowInAModuleBecomesAFailure) {
    const kova::DynamicLibrary module = kova::DynamicLibrary::open(KOVA_TEST_OVERFLOWING_CARD);
    ASSERT_TRUE(module.isOpen()) << module.error();
    const Probe probe = faultingEntry(module);
    for (int round = 0; round < 2; ++round) {
        int result = -1;
        EXPECT_FALSE(kova::guardedCall(
            module.code(), [probe] { return probe(300); }, result));
        EXPECT_EQ(result, -1);
    }
}

TEST(GuardedCallTest, EachThreadIsGuardedOnItsOwn) {
    const kova::DynamicLibrary module = kova::DynamicLibrary::open(KOVA_TEST_NULL_DEREF_CARD);
    ASSERT_TRUE(module.isOpen()) << module.error();
    const Probe probe = faultingEntry(module);
    bool otherReturned = true;
    std::thread other([&] {
        int result = 0;
        otherReturned = kova::guardedCall(
            module.code(), [probe] { return probe(300); }, result);
    });
    other.join();
    EXPECT_FALSE(otherReturned);

    // A fault on a thread outside any guard ends the process, even while this thread is inside
    // a guarded call into the very module that faults.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            kova::guardedCall(module.code(), [probe] {
                std::thread unguarded([probe] { probe(300); });
                unguarded.join();
            });
            std::exit(0);
        },
        "");
}
