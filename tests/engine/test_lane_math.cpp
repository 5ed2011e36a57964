// The SIMD bank's exp2 and tanf against the C library, with the error bounds the bank states.

#pragma GCC diagnostic ignored "-Wpsabi"

#include "LaneMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

int64_t ulpDistance(double a, double b) {
    int64_t ia, ib;
    std::memcpy(&ia, &a, sizeof a);
    std::memcpy(&ib, &b, sizeof b);
    return ia > ib ? ia - ib : ib - ia;
}

int32_t floatUlpDistance(float a, float b) {
    int32_t ia, ib;
    std::memcpy(&ia, &a, sizeof a);
    std::memcpy(&ib, &b, sizeof b);
    return ia > ib ? ia - ib : ib - ia;
}

} // namespace

TEST(LaneMath, Exp2IsWithinTwoUlpOfTheLibrary) {
    int64_t worst = 0;
    for (double x = -20.0; x < 20.0; x += 0.0007317) {
        lanes::Lanes in = lanes::splat(x);
        in[3] = -x;
        const lanes::Lanes out = lanes::exp2(in);
        worst = std::max(worst, ulpDistance(out[0], std::exp2(x)));
        worst = std::max(worst, ulpDistance(out[3], std::exp2(-x)));
    }
    EXPECT_LE(worst, 2);
    EXPECT_EQ(lanes::exp2(lanes::splat(0.0))[0], 1.0);
    EXPECT_EQ(lanes::exp2(lanes::splat(10.0))[5], 1024.0);
}

TEST(LaneMath, TanfIsWithinOneFloatUlpOfTheLibraryOverTheFilterRange) {
    int32_t worst = 0;
    int differing = 0, total = 0;
    for (double x = 0.0; x < 0.997 * 3.14159265359 * 0.5; x += 1.3e-5, ++total) {
        const float expected = std::tan(static_cast<float>(x));
        const float got = static_cast<float>(lanes::tanf(lanes::splat(x))[2]);
        const int32_t d = floatUlpDistance(got, expected);
        worst = std::max(worst, d);
        differing += d != 0;
    }
    EXPECT_LE(worst, 1);
    EXPECT_LT(differing, total / 10) << "rounding differs only occasionally";
}

#include "EngineMath.h"

TEST(LaneMath, FastSineAndFloorMatchTheScalarFunctions) {
    for (double x = -12.0; x < 12.0; x += 0.01379) {
        lanes::Lanes in = lanes::splat(x);
        EXPECT_EQ(lanes::fast_sin(in)[1], ::fast_sin(x));
        EXPECT_EQ(lanes::floor(in)[6], std::floor(x));
    }
}

// The bank's caches and fast paths hang on these tests: each must see a difference in any one
// lane, whichever part of the value holds it.
TEST(LaneMath, AnyAllAndSameBitsSeeEveryLane) {
    using lanes::Lanes;
    const Lanes zeros = lanes::splat(0.0);
    EXPECT_FALSE(lanes::any(zeros != 0.0));
    EXPECT_TRUE(lanes::all(zeros == 0.0));
    EXPECT_TRUE(lanes::sameBits(zeros, lanes::splat(0.0)));
    for (int lane = 0; lane < lanes::kLanes; ++lane) {
        for (double odd : {1.0, -0.0, double(NAN)}) {
            Lanes x = zeros;
            x[lane] = odd;
            const bool equalToZero = odd == 0.0; // -0.0 equals 0.0 but has other bits
            EXPECT_EQ(lanes::any(x != 0.0), !equalToZero) << lane << " " << odd;
            EXPECT_EQ(lanes::all(x == 0.0), equalToZero) << lane << " " << odd;
            EXPECT_FALSE(lanes::sameBits(x, zeros)) << lane << " " << odd;
            EXPECT_TRUE(lanes::sameBits(x, x)) << lane << " " << odd << ": bits equal themselves";
        }
    }
}
