#include "platform/GuardedCall.h"

#include <csetjmp>
#include <csignal>
#include <cstddef>
#include <mutex>

namespace kova {
namespace {

constexpr int kFaults[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr std::size_t kFaultCount = sizeof(kFaults) / sizeof(kFaults[0]);

// One guarded call in progress on this thread; calls nest.
struct Frame {
    sigjmp_buf resume;
    Frame* outer;
};

// Initial-exec: a signal handler must not be the first to touch a thread's dynamic TLS block.
__attribute__((tls_model("initial-exec"))) thread_local Frame* tCurrent = nullptr;

std::mutex gInstallMutex;
int gActiveCalls = 0;  // guarded calls in progress in the whole process
struct sigaction gPrevious[kFaultCount];

std::size_t faultIndex(int sig) {
    for (std::size_t i = 0; i < kFaultCount; ++i) {
        if (kFaults[i] == sig) {
            return i;
        }
    }
    return kFaultCount;
}

// A fault on a thread that is not inside a guarded call belongs to whoever handled it before.
void passOn(int sig, siginfo_t* info, void* ucontext) {
    const std::size_t i = faultIndex(sig);
    if (i == kFaultCount) {
        return;
    }
    const struct sigaction& previous = gPrevious[i];
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(sig, info, ucontext);
        return;
    }
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN &&
        previous.sa_handler != nullptr) {
        previous.sa_handler(sig);
        return;
    }
    // Default action: a real fault repeats on return and now kills; a sent signal is sent again
    // and delivered once this handler returns.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(sig, &fallback, nullptr);
    if (info == nullptr || info->si_code <= 0) {
        raise(sig);
    }
}

void onFault(int sig, siginfo_t* info, void* ucontext) {
    Frame* frame = tCurrent;
    if (frame != nullptr) {
        siglongjmp(frame->resume, sig);
    }
    passOn(sig, info, ucontext);
}

void install() {
    const std::lock_guard lock(gInstallMutex);
    if (gActiveCalls++ > 0) {
        return;
    }
    struct sigaction action {};
    action.sa_sigaction = onFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kFaultCount; ++i) {
        sigaction(kFaults[i], &action, &gPrevious[i]);
    }
}

void uninstall() {
    const std::lock_guard lock(gInstallMutex);
    if (--gActiveCalls > 0) {
        return;
    }
    for (std::size_t i = 0; i < kFaultCount; ++i) {
        sigaction(kFaults[i], &gPrevious[i], nullptr);
    }
}

}  // namespace

bool runGuarded(void (*fn)(void*), void* context) noexcept {
    Frame frame{};
    frame.outer = tCurrent;
    install();
    volatile bool returned = false;
    tCurrent = &frame;
    // The mask is saved so that leaving the handler by the jump unblocks the signal again.
    if (sigsetjmp(frame.resume, 1) == 0) {
        try {
            fn(context);
            returned = true;
        } catch (...) {
            // Whatever a module throws ends at its boundary; the caller returns its default.
            returned = false;
        }
    }
    tCurrent = frame.outer;
    uninstall();
    return returned;
}

}  // namespace kova
