#pragma once

// Flushes denormal results and inputs to zero while in scope and restores the caller's
// floating-point mode afterwards. Decaying filter and DC-blocker tails otherwise fall into
// denormal arithmetic, which is many times slower on x86.
#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>

class DenormalGuard {
public:
    DenormalGuard() : saved(_mm_getcsr()) { _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero); }
    ~DenormalGuard() { _mm_setcsr(saved); }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned saved;
};
#else
class DenormalGuard {};
#endif
