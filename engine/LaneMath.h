#pragma once

// The engine's math on eight lanes (LaneTypes.h). Every function here performs the same IEEE
// operations in the same order as its scalar counterpart, so it gives bit-identical results,
// except exp2 and tanf, whose error bounds are stated with them.
//
// Code using lanes is compiled per instruction set, a whole file at a time (see
// VoiceBankKernel.h): GCC builds the comparisons of functions compiled for a target by
// attribute one lane at a time.

#include "LaneTypes.h"

namespace lanes {

// 1.0 where m is set, else 0.0: a condition kept as a number, for conditions used several times
// or combined (a product of flags is their conjunction, a sum of exclusive flags their union).
LANE_INLINE Lanes ones(Mask m) {
    return select(m, splat(1.0), splat(0.0));
}
// a where flag is not zero, else b.
LANE_INLINE Lanes pick(Lanes flag, Lanes a, Lanes b) {
    return select(flag != 0.0, a, b);
}
// std::clamp(x, lo, hi): lo when x < lo, hi when hi < x, else x (NaN passes through).
LANE_INLINE Lanes clamp(Lanes x, double lo, double hi) {
    return select(x < lo, splat(lo), select(hi < x, splat(hi), x));
}
LANE_INLINE Lanes abs(Lanes x) {
    Mask bits;
    __builtin_memcpy(&bits, &x, sizeof bits);
    bits &= INT64_MAX;
    __builtin_memcpy(&x, &bits, sizeof x);
    return x;
}
LANE_INLINE bool any(Mask m) {
    return anyBitsSet(ones(m));
}
LANE_INLINE bool all(Mask m) {
    return !anyBitsSet(select(m, splat(0.0), splat(1.0)));
}

// Whether every lane of a holds the same bits as b's (so -0.0 differs from 0.0, and a NaN can
// equal itself): for caches whose results could depend on the sign of a zero.
LANE_INLINE bool sameBits(Lanes a, Lanes b) {
    Mask x, y;
    __builtin_memcpy(&x, &a, sizeof x);
    __builtin_memcpy(&y, &b, sizeof y);
    x = x ^ y;
    __builtin_memcpy(&a, &x, sizeof a);
    return !anyBitsSet(a);
}

// fast_sin of every lane, bit for bit: subtracting -1 or 0 periods is adding one or nothing.
LANE_INLINE Lanes fast_sin(Lanes x) {
    x = select(x > 3.14159265, x - 6.28318531, select(x < -3.14159265, x + 6.28318531, x));
    return 1.27323954 * x - 0.405284735 * x * abs(x);
}

// std::floor of every lane, for |x| < 2^52.
LANE_INLINE Lanes floor(Lanes x) {
    constexpr double kRound = 4503599627370496.0; // 2^52
    const Lanes magnitude = abs(x);
    Lanes r = (magnitude + kRound) - kRound; // |x| rounded to nearest
    r = select(x < 0.0, -r, r);
    return select(r > x, r - 1.0, r);
}

// 2^x by 2^round(x) times a degree-13 Taylor polynomial of e^(f ln 2), |f| <= 0.5.
// Measured maximum error: 2 ulp against std::exp2 over -20..20 (see the engine tests).
LANE_INLINE Lanes exp2(Lanes x) {
    x = clamp(x, -1020.0, 1020.0);
    // Adding 1.5 * 2^52 rounds to an integer, which then sits in the low mantissa bits.
    constexpr double kRound = 6755399441055744.0;
    const Lanes shifted = x + kRound;
    const Lanes n = shifted - kRound;
    const Lanes t = (x - n) * 0.6931471805599453;
    Lanes p = splat(1.0 / 6227020800.0);
    p = p * t + 1.0 / 479001600.0;
    p = p * t + 1.0 / 39916800.0;
    p = p * t + 1.0 / 3628800.0;
    p = p * t + 1.0 / 362880.0;
    p = p * t + 1.0 / 40320.0;
    p = p * t + 1.0 / 5040.0;
    p = p * t + 1.0 / 720.0;
    p = p * t + 1.0 / 120.0;
    p = p * t + 1.0 / 24.0;
    p = p * t + 1.0 / 6.0;
    p = p * t + 0.5;
    p = p * t + 1.0;
    p = p * t + 1.0;
    Mask bits, roundBits;
    const Lanes roundLanes = splat(kRound);
    __builtin_memcpy(&bits, &shifted, sizeof bits);
    __builtin_memcpy(&roundBits, &roundLanes, sizeof roundBits);
    bits = (bits - roundBits + 1023) << 52; // the biased exponent of 2^n
    Lanes scale;
    __builtin_memcpy(&scale, &bits, sizeof scale);
    return p * scale;
}

// std::tan evaluated in single precision, for arguments in 0..pi/2: the argument is rounded to
// float, tan is computed in double (sin/cos Taylor series on 0..pi/4, the complement above it;
// relative error below 5e-16) and rounded to float, which is the correctly rounded result
// almost everywhere. The C library's tanf is not always correctly rounded: over the filter's
// range the two differ by one float ulp (6e-8 relative) for a few percent of arguments.
LANE_INLINE Lanes tanf(Lanes x) {
    const Lanes xd = roundToFloat(x);
    const Lanes upper = ones(xd > 0.78539816339744828);
    const Lanes y = pick(upper, (1.5707963267948966 - xd) + 6.123233995736766e-17, xd);
    const Lanes z = y * y;
    Lanes s = splat(1.0 / 355687428096000.0);
    s = s * z - 1.0 / 1307674368000.0;
    s = s * z + 1.0 / 6227020800.0;
    s = s * z - 1.0 / 39916800.0;
    s = s * z + 1.0 / 362880.0;
    s = s * z - 1.0 / 5040.0;
    s = s * z + 1.0 / 120.0;
    s = s * z - 1.0 / 6.0;
    s = (s * z + 1.0) * y;
    Lanes c = splat(1.0 / 20922789888000.0);
    c = c * z - 1.0 / 87178291200.0;
    c = c * z + 1.0 / 479001600.0;
    c = c * z - 1.0 / 3628800.0;
    c = c * z + 1.0 / 40320.0;
    c = c * z - 1.0 / 720.0;
    c = c * z + 1.0 / 24.0;
    c = c * z - 0.5;
    c = c * z + 1.0;
    const Lanes t = pick(upper, c, s) / pick(upper, s, c);
    return roundToFloat(t);
}

} // namespace lanes
