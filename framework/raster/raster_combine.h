#pragma once
// The per-pixel blend functions. Each combines four source channel values (0-255) into one
// destination pixel with an integer weight w (256 = full strength). Divisions truncate toward
// zero; "clamped" results are limited to 0..255, "wrapped" ones keep their low 8 bits.

#include "raster/raster_pixel.h"

#include <array>
#include <cstdint>

namespace rast_detail {

inline unsigned char* bytes(RAST_pixel* p) {
    return reinterpret_cast<unsigned char*>(p);
}
constexpr int clamp255(int v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}
constexpr int clamp255(std::int64_t v) {
    return v < 0 ? 0 : (v > 255 ? 255 : static_cast<int>(v));
}
constexpr unsigned char wrap(int v) {
    return static_cast<unsigned char>(v & 0xFF);
}
constexpr unsigned char wrap(std::int64_t v) {
    return static_cast<unsigned char>(v & 0xFF);
}

// Applies f(destinationChannel, sourceChannel) to the four channels in memory order.
template <class F> inline void eachChannel(RAST_pixel* dest, int r, int g, int b, int a, F f) {
    unsigned char* d = bytes(dest);
    d[RAST_PIXEL_A] = f(d[RAST_PIXEL_A], a);
    d[RAST_PIXEL_R] = f(d[RAST_PIXEL_R], r);
    d[RAST_PIXEL_G] = f(d[RAST_PIXEL_G], g);
    d[RAST_PIXEL_B] = f(d[RAST_PIXEL_B], b);
}

constexpr std::array<std::uint16_t, 256> makeInverseTable() {
    std::array<std::uint16_t, 256> t{};
    for (int i = 1; i < 256; ++i)
        t[i] = static_cast<std::uint16_t>(65536 / i - 1);
    return t;
}

} // namespace rast_detail

// The float opacity as an integer weight (1.0 gives 256), truncated toward zero. Extreme and
// non-finite opacities are limited so that the blend arithmetic cannot overflow.
inline int RAST_AlphaToWeight(float alpha) {
    constexpr float limit = 1048576.0f;
    const float w = alpha * 256.0f;
    if (w != w) return 0;
    if (w <= -limit) return -1048576;
    if (w >= limit) return 1048576;
    return static_cast<int>(w);
}

// Reciprocals: entry i is floor(65536 / i) - 1, entry 0 is 0.
inline constexpr std::array<std::uint16_t, 256> RAST_RGB2HSV_invtab =
    rast_detail::makeInverseTable();

// Hue 0..383 in six sectors of 64, saturation and value 0..255.
inline void RAST_RGB2HSV(int r, int g, int b, int* h, int* s, int* v) {
    int max, base, delta, diff;
    if (g > r) {
        if (g <= b) {
            max = b, base = 256, delta = b - (g < r ? g : r), diff = r - g;
        } else {
            max = g, base = 128, delta = g - (b < r ? b : r), diff = b - r;
        }
    } else if (r <= b) {
        max = b, base = 256, delta = b - (g < r ? g : r), diff = r - g;
    } else {
        max = r, diff = g - b;
        if (g >= b) {
            base = 0, delta = r - b;
        } else {
            base = 383, delta = r - g;
        }
    }
    *h = diff * (static_cast<int>(RAST_RGB2HSV_invtab[delta]) + 1) / 1024 + base;
    *s = delta * static_cast<int>(RAST_RGB2HSV_invtab[max]) / 256;
    *v = max;
}

inline RAST_pixel RAST_HSV2Pix(int h, int s, int v, int alpha) {
    const int p = v * (256 - s) / 256;
    const int sector = h < 64 ? 0 : (h >= 320 ? 5 : h / 64);
    const int f = h - sector * 64;
    const int fall = v * (16384 - f * s) / 16384;
    const int rise = v * (16384 - (64 - f) * s) / 16384;
    int r, g, b;
    switch (sector) {
    case 0:
        r = v, g = rise, b = p;
        break;
    case 1:
        r = fall, g = v, b = p;
        break;
    case 2:
        r = p, g = v, b = rise;
        break;
    case 3:
        r = p, g = fall, b = v;
        break;
    case 4:
        r = rise, g = p, b = v;
        break;
    default:
        r = v, g = p, b = fall;
        break;
    }
    return RAST_RGBA(r & 0xFF, g & 0xFF, b & 0xFF, alpha & 0xFF);
}

// ---- Weighted combines ----

inline void RAST_CombinePixelsClobberNoClamp(RAST_pixel* dest, int r, int g, int b, int a, int) {
    *dest = RAST_RGBA(r, g, b, a);
}

inline void RAST_CombinePixelsHalfMixNoClamp(RAST_pixel* dest, int r, int g, int b, int a, int) {
    rast_detail::eachChannel(dest, r, g, b, a,
                             [](int d, int s) { return rast_detail::wrap((d + s) / 2); });
}

inline void RAST_CombinePixelsCopyNoClamp(RAST_pixel* dest, int r, int g, int b, int a, int w) {
    const int iw = 256 - w;
    rast_detail::eachChannel(dest, r, g, b, a, [iw](int d, int s) {
        return rast_detail::wrap(s + static_cast<int>(static_cast<std::int64_t>(d - s) * iw / 256));
    });
}

inline void RAST_CombinePixelsAdd(RAST_pixel* dest, int r, int g, int b, int a, int w) {
    rast_detail::eachChannel(dest, r, g, b, a,
                             [w](int d, int s) { return rast_detail::clamp255(d + s * w / 256); });
}

inline void RAST_CombinePixelsColorDodge(RAST_pixel* dest, int r, int g, int b, int a, int w) {
    rast_detail::eachChannel(dest, r, g, b, a, [w](int d, int s) {
        const int k = 256 - s * w / 256;
        return rast_detail::clamp255(k >= 2 ? d * 256 / k : d * 256);
    });
}

inline void RAST_CombinePixelsMulNoClamp(RAST_pixel* dest, int r, int g, int b, int a, int w) {
    rast_detail::eachChannel(dest, r, g, b, a, [w](int d, int s) {
        const std::int64_t f =
            static_cast<std::int64_t>(256 - w) * 256 + static_cast<std::int64_t>(s) * w;
        return rast_detail::wrap(d * f / 65536);
    });
}

inline void RAST_CombinePixelsOverlay(RAST_pixel* dest, int r, int g, int b, int a, int w) {
    rast_detail::eachChannel(dest, r, g, b, a, [w](int d, int s) {
        const std::int64_t t =
            static_cast<std::int64_t>(s) * w + static_cast<std::int64_t>(256 - w) * 128;
        return rast_detail::clamp255(d * (d * (32768 - t) / 256 + t) / 32768);
    });
}

// Red shifts the hue (128 = none), green scales saturation, blue scales value; alpha becomes a.
inline void RAST_CombinePixelsHSVAdjust(RAST_pixel* dest, int r, int g, int b, int a, int w) {
    const unsigned char* d = rast_detail::bytes(dest);
    int h, s, v;
    RAST_RGB2HSV(d[RAST_PIXEL_R], d[RAST_PIXEL_G], d[RAST_PIXEL_B], &h, &s, &v);
    h += ((r + r / 2 - 192) * w) / 256;
    if (h < 0) {
        h += 384;
    } else if (h >= 384) {
        h -= 384;
    }
    s = rast_detail::clamp255(s + ((g - 128) * w) / 128);
    v = rast_detail::clamp255(v + ((b - 128) * w) / 128);
    *dest = RAST_HSV2Pix(h, s, v, a);
}

// ---- Source-alpha combines: the weight is scaled by the source pixel's own alpha ----

constexpr int RAST_SourceAlphaWeight(int w, int a) {
    return w * (a + 1) / 256;
}

inline void RAST_CombinePixelsCopySourceAlphaNoClamp(RAST_pixel* dest, int r, int g, int b, int a,
                                                     int w) {
    if (a == 0) return;
    const int e = RAST_SourceAlphaWeight(w, a);
    unsigned char* d = rast_detail::bytes(dest);
    const auto mix = [e](int dc, int sc) {
        return rast_detail::wrap(
            sc + static_cast<int>(static_cast<std::int64_t>(dc - sc) * (256 - e) / 256));
    };
    d[RAST_PIXEL_R] = mix(d[RAST_PIXEL_R], r);
    d[RAST_PIXEL_G] = mix(d[RAST_PIXEL_G], g);
    d[RAST_PIXEL_B] = mix(d[RAST_PIXEL_B], b);
    const int na = d[RAST_PIXEL_A] + e;
    d[RAST_PIXEL_A] = rast_detail::wrap(na < 255 ? na : 255);
}

inline void RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp(RAST_pixel* dest, int r, int g,
                                                                    int b, int a, int) {
    if (a == 0) return;
    if (a == 255) {
        *dest = RAST_RGBA(r, g, b, 255);
        return;
    }
    unsigned char* d = rast_detail::bytes(dest);
    const auto mix = [a](int dc, int sc) {
        return rast_detail::wrap(sc + (dc - sc) * (255 - a) / 256);
    };
    d[RAST_PIXEL_R] = mix(d[RAST_PIXEL_R], r);
    d[RAST_PIXEL_G] = mix(d[RAST_PIXEL_G], g);
    d[RAST_PIXEL_B] = mix(d[RAST_PIXEL_B], b);
    const int na = d[RAST_PIXEL_A] + a;
    d[RAST_PIXEL_A] = static_cast<unsigned char>(na < 255 ? na : 255);
}

inline void RAST_CombinePixelsAddSourceAlpha(RAST_pixel* dest, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    RAST_CombinePixelsAdd(dest, r, g, b, a, RAST_SourceAlphaWeight(w, a));
}

inline void RAST_CombinePixelsColorDodgeSourceAlpha(RAST_pixel* dest, int r, int g, int b, int a,
                                                    int w) {
    RAST_CombinePixelsColorDodge(dest, r, g, b, a, RAST_SourceAlphaWeight(w, a));
}

inline void RAST_CombinePixelsMulSourceAlphaNoClamp(RAST_pixel* dest, int r, int g, int b, int a,
                                                    int w) {
    if (a == 0) return;
    RAST_CombinePixelsMulNoClamp(dest, r, g, b, a, RAST_SourceAlphaWeight(w, a));
}

inline void RAST_CombinePixelsOverlaySourceAlpha(RAST_pixel* dest, int r, int g, int b, int a,
                                                 int w) {
    RAST_CombinePixelsOverlay(dest, r, g, b, a, RAST_SourceAlphaWeight(w, a));
}

inline void RAST_CombinePixelsHSVAdjustSourceAlpha(RAST_pixel* dest, int r, int g, int b, int a,
                                                   int w) {
    RAST_CombinePixelsHSVAdjust(dest, r, g, b, a, RAST_SourceAlphaWeight(w, a));
}

// ---- Word-wise mixes on whole pixels (exact weights only) ----

constexpr RAST_pixel RAST_HalfShift(RAST_pixel s) {
    return (s >> 1) & 0x7F7F7F7Fu;
}
constexpr RAST_pixel RAST_QuarterShift(RAST_pixel s) {
    return (s >> 2) & 0x3F3F3F3Fu;
}
constexpr RAST_pixel RAST_ThreeQuarterShift(RAST_pixel s) {
    return RAST_HalfShift(s) + RAST_QuarterShift(s);
}

inline void RAST_CombinePixelsClobberFAST(RAST_pixel* dest, RAST_pixel s) {
    *dest = s;
}

inline void RAST_CombinePixelsHalfMixFAST(RAST_pixel* dest, RAST_pixel s) {
    *dest = RAST_HalfShift(*dest) + RAST_HalfShift(s);
}

// The "2" forms take the colour already shifted (computed once per fill).
inline void RAST_CombinePixelsHalfMix2FAST(RAST_pixel* dest, RAST_pixel shifted) {
    *dest = RAST_HalfShift(*dest) + shifted;
}

inline void RAST_CombinePixelsQuarterMix2FAST(RAST_pixel* dest, RAST_pixel shifted) {
    *dest = RAST_HalfShift(*dest) + RAST_QuarterShift(*dest) + shifted;
}

inline void RAST_CombinePixelsThreeQuarterMix2FAST(RAST_pixel* dest, RAST_pixel shifted) {
    *dest = RAST_QuarterShift(*dest) + shifted;
}
