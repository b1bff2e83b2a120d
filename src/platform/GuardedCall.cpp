#include "platform/GuardedCall.h"

#include <pthread.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <csignal>
#include <cstddef>
#include <memory>
#include <mutex>

#include "platform/VectorState.h"

namespace kova {
namespace {

constexpr int kFaults[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr std::size_t kFaultCount = sizeof(kFaults) / sizeof(kFaults[0]);

// Room for our handler and for whichever handler a fault is passed on to (a sanitizer's report
// needs a good deal more than the minimum).
constexpr std::size_t kAltStackBytes = std::size_t{128} * 1024;

// One guarded call in progress on this thread; calls nest.
struct Frame {
    sigjmp_buf resume;
    GuardedCode code;
    Frame* outer;
};

// Initial-exec: a signal handler must not be the first to touch a thread's dynamic TLS block.
__attribute__((tls_model("initial-exec"))) thread_local Frame* tCurrent = nullptr;
__attribute__((tls_model("initial-exec"))) thread_local bool tArmed = false;

std::once_flag gInstalled;
struct sigaction gPrevious[kFaultCount];

std::size_t faultIndex(int sig) {
    for (std::size_t i = 0; i < kFaultCount; ++i) {
        if (kFaults[i] == sig) {
            return i;
        }
    }
    return kFaultCount;
}

std::uintptr_t faultingInstruction(const void* ucontext) {
    const auto* uc = static_cast<const ucontext_t*>(ucontext);
    if (uc == nullptr) {
        return 0;
    }
#if defined(__x86_64__)
    return static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__i386__)
    return static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_EIP]);
#elif defined(__aarch64__)
    return static_cast<std::uintptr_t>(uc->uc_mcontext.pc);
#else
    return 0;  // unknown machine: no fault is taken for a module's
#endif
}

bool answersFor(const GuardedCode& code, std::uintptr_t instruction) {
    if (code.anyCode) {
        return true;
    }
    return std::any_of(code.ranges.begin(), code.ranges.end(), [instruction](const CodeRange& r) {
        return instruction >= r.begin && instruction < r.end;
    });
}

// A fault that is not a guarded call's belongs to whoever handled it before.
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
    const std::uintptr_t instruction = faultingInstruction(ucontext);
    for (Frame* frame = tCurrent; frame != nullptr; frame = frame->outer) {
        if (answersFor(frame->code, instruction)) {
            // The jump keeps the mask of the handler, which blocks `sig`; unblock it so that
            // the next fault of the call is caught as well.
            sigset_t unblock;
            sigemptyset(&unblock);
            sigaddset(&unblock, sig);
            pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
            siglongjmp(frame->resume, sig);
        }
    }
    passOn(sig, info, ucontext);
}

void installHandlers() {
    struct sigaction action {};
    action.sa_sigaction = onFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kFaultCount; ++i) {
        sigaction(kFaults[i], &action, &gPrevious[i]);
    }
}

// This thread's alternate signal stack, unless the thread already had one (a sanitizer's, say).
class AltStack {
  public:
    AltStack() {
        stack_t current{};
        if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0) {
            return;
        }
        const long minimum = sysconf(_SC_MINSIGSTKSZ);
        const std::size_t size = std::max<std::size_t>(
            kAltStackBytes, minimum > 0 ? static_cast<std::size_t>(minimum) * 4 : 0);
        memory_ = std::make_unique<char[]>(size);
        stack_t mine{};
        mine.ss_sp = memory_.get();
        mine.ss_size = size;
        if (sigaltstack(&mine, nullptr) != 0) {
            memory_.reset();
        }
    }
    ~AltStack() {
        if (!memory_) {
            return;
        }
        stack_t current{};
        if (sigaltstack(nullptr, &current) == 0 && current.ss_sp == memory_.get()) {
            stack_t off{};
            off.ss_flags = SS_DISABLE;
            sigaltstack(&off, nullptr);
        }
    }
    AltStack(const AltStack&) = delete;
    AltStack& operator=(const AltStack&) = delete;

  private:
    std::unique_ptr<char[]> memory_;
};

[[gnu::noinline]] void armThisThread() {
    std::call_once(gInstalled, installHandlers);
    thread_local AltStack altStack;
    tArmed = true;
}

}  // namespace

bool runGuarded(GuardedCode code, void (*fn)(void*), void* context) noexcept {
    if (!tArmed) {
        armThisThread();
    }
    Frame frame{};
    frame.code = code;
    frame.outer = tCurrent;
    volatile bool returned = false;
    // The mask is not saved (that would be a system call per call); the handler unblocks the
    // signal itself before it jumps.
    if (sigsetjmp(frame.resume, 0) == 0) {
        tCurrent = &frame;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        clearUpperVectorState();
        try {
            fn(context);
            returned = true;
        } catch (...) {
            // Whatever a module throws ends at its boundary; the caller returns its default.
            returned = false;
        }
    }
    tCurrent = frame.outer;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    return returned;
}

}  // namespace kova
