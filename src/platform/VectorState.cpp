#include "platform/VectorState.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace kova {

#if defined(__x86_64__) || defined(__i386__)

namespace {

// The instruction faults on a processor without AVX (or whose system does not save its state),
// so it runs only where the run-time check allows it.
__attribute__((target("avx"))) void zeroUpperHalves() noexcept {
    _mm256_zeroupper();
}

bool hasAvx() noexcept {
    static const bool avx = [] {
        __builtin_cpu_init();  // may run before the library's own detection
        return __builtin_cpu_supports("avx") != 0;
    }();
    return avx;
}

}  // namespace

void clearUpperVectorState() noexcept {
    if (hasAvx()) {
        zeroUpperHalves();
    }
}

#else

void clearUpperVectorState() noexcept {}

#endif

}  // namespace kova
