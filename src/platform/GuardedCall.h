#pragma once
// Calls into outside modules that must never take the tool down with them.
//
// A guarded call that throws, or that raises SIGSEGV, SIGBUS, SIGFPE or SIGILL, returns to its
// caller as a failure. The fault handlers are installed only while guarded calls run; the
// process's previous handlers are back as soon as the last one returns, so a fault anywhere
// else still ends the process as it would have.
//
// A call abandoned by a fault does not unwind: objects created inside the module are not
// destroyed. That is the price of carrying on after a broken module; callers keep no state of
// their own inside the guarded function.

#include <type_traits>

namespace kova {

// Runs fn(context) guarded; true when it returned normally.
bool runGuarded(void (*fn)(void*), void* context) noexcept;

// Runs f() guarded. When it returns normally its result is stored in `result` and true comes
// back; otherwise `result` keeps its value and false comes back.
template <class F, class R>
bool guardedCall(F&& f, R& result) noexcept {
    struct Context {
        std::remove_reference_t<F>* f;
        R* result;
    } context{&f, &result};
    return runGuarded(
        [](void* raw) {
            auto* c = static_cast<Context*>(raw);
            *c->result = (*c->f)();
        },
        &context);
}

// Runs f() guarded for its effect only.
template <class F>
bool guardedCall(F&& f) noexcept {
    struct Context {
        std::remove_reference_t<F>* f;
    } context{&f};
    return runGuarded([](void* raw) { (*static_cast<Context*>(raw)->f)(); }, &context);
}

}  // namespace kova
