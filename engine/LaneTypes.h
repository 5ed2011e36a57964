#pragma once

// Eight doubles in one value, one per voice, with element-wise operators, and the few
// primitives that depend on how the value is held. With AVX-512 a value is one native vector
// of eight. Narrower instruction sets hold it as two AVX or four SSE2 (or NEON) vectors:
// GCC would build comparisons and selects of an eight-wide vector there one lane at a time.
//
// Conditions are Masks (all bits set where true); select() is the only way to use one, since a
// struct cannot stand in a ?: condition.

#include <cstdint>

#if defined(__AVX512F__)
#include <immintrin.h>
#endif

// Internal linkage: each file compiled for an instruction set keeps its own copies.
#define LANE_INLINE static inline __attribute__((always_inline))

namespace lanes {

constexpr int kLanes = 8;

#if defined(__AVX512F__)

typedef double Lanes __attribute__((vector_size(kLanes * sizeof(double))));
typedef int64_t Mask __attribute__((vector_size(kLanes * sizeof(int64_t))));

LANE_INLINE Lanes splat(double x) {
    return Lanes{} + x;
}
LANE_INLINE Lanes select(Mask m, Lanes a, Lanes b) {
    return m ? a : b;
}
// Each lane rounded to float and back.
LANE_INLINE Lanes roundToFloat(Lanes x) {
    typedef float FloatLanes __attribute__((vector_size(kLanes * sizeof(float))));
    return __builtin_convertvector(__builtin_convertvector(x, FloatLanes), Lanes);
}
// Whether any lane holds a bit pattern other than +0.0. Reductions take doubles, not Masks:
// GCC keeps a comparison that feeds a select in a mask register, but turns a mask used as a
// value into a lane-by-lane loop.
LANE_INLINE bool anyBitsSet(Lanes x) {
    __m512i bits;
    __builtin_memcpy(&bits, &x, sizeof bits);
    return _mm512_test_epi64_mask(bits, bits) != 0;
}

#else

#if defined(__AVX__)
constexpr int kPartBytes = 32;
#else
constexpr int kPartBytes = 16;
#endif
constexpr int kPartLanes = kPartBytes / int(sizeof(double));
constexpr int kParts = kLanes / kPartLanes;
typedef double DoublePart __attribute__((vector_size(kPartBytes)));
typedef int64_t MaskPart __attribute__((vector_size(kPartBytes)));

template <typename Part, typename Element> struct PartsOf {
    Part part[kParts];

    // Through a may_alias pointer: clang binds no reference to a vector element.
    Element& operator[](int i) {
        typedef Element LaneElement __attribute__((may_alias));
        return reinterpret_cast<LaneElement*>(part)[i];
    }
    Element operator[](int i) const { return part[i / kPartLanes][i % kPartLanes]; }
};
using Lanes = PartsOf<DoublePart, double>;
using Mask = PartsOf<MaskPart, int64_t>;

// Each operator applies the part operator to every part: value with value, value with element
// and element with value. R is the result's type.
#define LANE_PARTS_OPERATOR(T, R, op)                                                              \
    LANE_INLINE R operator op(T a, T b) {                                                          \
        R r;                                                                                       \
        for (int k = 0; k < kParts; ++k)                                                           \
            r.part[k] = a.part[k] op b.part[k];                                                    \
        return r;                                                                                  \
    }                                                                                              \
    template <typename E> LANE_INLINE R operator op(T a, E b) {                                    \
        R r;                                                                                       \
        for (int k = 0; k < kParts; ++k)                                                           \
            r.part[k] = a.part[k] op b;                                                            \
        return r;                                                                                  \
    }                                                                                              \
    template <typename E> LANE_INLINE R operator op(E a, T b) {                                    \
        R r;                                                                                       \
        for (int k = 0; k < kParts; ++k)                                                           \
            r.part[k] = a op b.part[k];                                                            \
        return r;                                                                                  \
    }
#define LANE_PARTS_ASSIGNMENT(T, op)                                                               \
    template <typename E> LANE_INLINE T& operator op##=(T& a, E b) {                               \
        return a = a op b;                                                                         \
    }

LANE_PARTS_OPERATOR(Lanes, Lanes, +)
LANE_PARTS_OPERATOR(Lanes, Lanes, -)
LANE_PARTS_OPERATOR(Lanes, Lanes, *)
LANE_PARTS_OPERATOR(Lanes, Lanes, /)
LANE_PARTS_OPERATOR(Lanes, Mask, <)
LANE_PARTS_OPERATOR(Lanes, Mask, >)
LANE_PARTS_OPERATOR(Lanes, Mask, <=)
LANE_PARTS_OPERATOR(Lanes, Mask, >=)
LANE_PARTS_OPERATOR(Lanes, Mask, ==)
LANE_PARTS_OPERATOR(Lanes, Mask, !=)
LANE_PARTS_OPERATOR(Mask, Mask, &)
LANE_PARTS_OPERATOR(Mask, Mask, |)
LANE_PARTS_OPERATOR(Mask, Mask, ^)
LANE_PARTS_OPERATOR(Mask, Mask, +)
LANE_PARTS_OPERATOR(Mask, Mask, -)
LANE_PARTS_OPERATOR(Mask, Mask, <<)
LANE_PARTS_ASSIGNMENT(Lanes, +)
LANE_PARTS_ASSIGNMENT(Lanes, -)
LANE_PARTS_ASSIGNMENT(Lanes, *)
LANE_PARTS_ASSIGNMENT(Mask, &)
#undef LANE_PARTS_OPERATOR
#undef LANE_PARTS_ASSIGNMENT

LANE_INLINE Lanes operator-(Lanes a) {
    for (DoublePart& p : a.part)
        p = -p;
    return a;
}

LANE_INLINE Lanes splat(double x) {
    Lanes r;
    for (DoublePart& p : r.part)
        p = DoublePart{} + x;
    return r;
}
LANE_INLINE Lanes select(Mask m, Lanes a, Lanes b) {
    for (int k = 0; k < kParts; ++k) {
#if defined(__AVX__)
        a.part[k] = m.part[k] ? a.part[k] : b.part[k];
#else
        // In bits: SSE2 has no blend, and GCC 12 can fail to lower a ?: on these masks.
        MaskPart x, y;
        __builtin_memcpy(&x, &a.part[k], sizeof x);
        __builtin_memcpy(&y, &b.part[k], sizeof y);
        x = (x & m.part[k]) | (y & ~m.part[k]);
        __builtin_memcpy(&a.part[k], &x, sizeof x);
#endif
    }
    return a;
}
// Each lane rounded to float and back.
LANE_INLINE Lanes roundToFloat(Lanes x) {
    typedef float FloatPart __attribute__((vector_size(kPartBytes / 2)));
    for (DoublePart& p : x.part)
        p = __builtin_convertvector(__builtin_convertvector(p, FloatPart), DoublePart);
    return x;
}
// Whether any lane holds a bit pattern other than +0.0.
LANE_INLINE bool anyBitsSet(Lanes x) {
    MaskPart bits = {};
    for (const DoublePart& p : x.part) {
        MaskPart b;
        __builtin_memcpy(&b, &p, sizeof b);
        bits |= b;
    }
    int64_t any = 0;
    for (int i = 0; i < kPartLanes; ++i)
        any |= bits[i];
    return any != 0;
}
#endif

} // namespace lanes
