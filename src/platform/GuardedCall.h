#pragma once
// Calls into outside modules that must never take the tool down with them.
//
// A guarded call that throws, or whose module raises SIGSEGV, SIGBUS, SIGFPE or SIGILL in its own
// code, returns to its caller as a failure. The fault handlers are installed once per process and
// armed per thread, so a call costs no system call. A fault anywhere else (another thread, our own
// code or Qt running inside a module's nested event loop, a library the module called) goes on to
// the handler that was there before ours and ends the process as it would have. Each thread that
// makes guarded calls gets an alternate signal stack, so a module that overflows its stack is
// caught too.
//
// A call abandoned by a fault does not unwind: objects created inside the module are not
// destroyed. That is the price of carrying on after a broken module; callers keep no state of
// their own inside the guarded function.

#include <cstdint>
#include <span>
#include <type_traits>
#include <utility>

namespace kova {

// One mapped code segment of a loaded module, [begin, end).
struct CodeRange {
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;
};

// The code a guarded call answers for: a fault counts as the call's own only when the faulting
// instruction lies in `ranges`, or anywhere when `anyCode` is set (calls that wrap code of our
// own, such as tests of the guard itself). No ranges and not anyCode: no fault is caught.
struct GuardedCode {
    std::span<const CodeRange> ranges;
    bool anyCode = false;
};

inline constexpr GuardedCode kAnyCode{{}, true};

// Runs fn(context) guarded; true when it returned normally.
bool runGuarded(GuardedCode code, void (*fn)(void*), void* context) noexcept;

// Runs f() guarded. When it returns normally its result is stored in `result` and true comes
// back; otherwise `result` keeps its value and false comes back.
template <class F, class R>
bool guardedCall(GuardedCode code, F&& f, R& result) noexcept {
    struct Context {
        std::remove_reference_t<F>* f;
        R* result;
    } context{&f, &result};
    return runGuarded(
        code,
        [](void* raw) {
            auto* c = static_cast<Context*>(raw);
            *c->result = (*c->f)();
        },
        &context);
}

// Runs f() guarded for its effect only.
template <class F>
bool guardedCall(GuardedCode code, F&& f) noexcept {
    struct Context {
        std::remove_reference_t<F>* f;
    } context{&f};
    return runGuarded(
        code, [](void* raw) { (*static_cast<Context*>(raw)->f)(); }, &context);
}

// The same, answering for a fault in any code.
template <class F, class R>
bool guardedCall(F&& f, R& result) noexcept {
    return guardedCall(kAnyCode, std::forward<F>(f), result);
}
template <class F>
bool guardedCall(F&& f) noexcept {
    return guardedCall(kAnyCode, std::forward<F>(f));
}

}  // namespace kova
