#pragma once
// Pixel layout, drawing mode word and the source rectangle shared by every raster function.

#include <bit>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "pixels are stored alpha, red, green, blue in memory and packed little-endian");

using RAST_pixel = std::uint32_t;

// Byte offsets of the channels inside a pixel in memory.
constexpr int RAST_PIXEL_A = 0;
constexpr int RAST_PIXEL_R = 1;
constexpr int RAST_PIXEL_G = 2;
constexpr int RAST_PIXEL_B = 3;

constexpr RAST_pixel RAST_RGBA(unsigned r, unsigned g, unsigned b, unsigned a) {
    return (a & 0xFFu) | (r & 0xFFu) << 8 | (g & 0xFFu) << 16 | (b & 0xFFu) << 24;
}
constexpr unsigned RAST_GETA(RAST_pixel p) {
    return p & 0xFFu;
}
constexpr unsigned RAST_GETR(RAST_pixel p) {
    return (p >> 8) & 0xFFu;
}
constexpr unsigned RAST_GETG(RAST_pixel p) {
    return (p >> 16) & 0xFFu;
}
constexpr unsigned RAST_GETB(RAST_pixel p) {
    return p >> 24;
}

// Mode word: bits 0-7 combine mode, 8-15 filter, bit 16 source alpha.
constexpr int RAST_BLIT_MODE_COPY = 0;
constexpr int RAST_BLIT_MODE_ADD = 1;
constexpr int RAST_BLIT_MODE_DODGE = 2;
constexpr int RAST_BLIT_MODE_MUL = 3;
constexpr int RAST_BLIT_MODE_OVERLAY = 4;
constexpr int RAST_BLIT_MODE_HSVADJ = 5;
constexpr int RAST_BLIT_MODE_CHANCOPY = 0xF0;
constexpr int RAST_BLIT_MODE_MASK = 0xFF;
constexpr int RAST_BLIT_FILTER_NONE = 0;
constexpr int RAST_BLIT_FILTER_BILINEAR = 0x100;
constexpr int RAST_BLIT_FILTER_MASK = 0xFF00;
constexpr int RAST_BLIT_USE_ALPHA = 0x10000;

// Channel copy mode word: the destination byte (mode >> 2) & 3 receives the source byte mode & 3.
constexpr int RAST_BLIT_MODE_CHANCOPY_FOR(int srcByte, int dstByte) {
    return RAST_BLIT_MODE_CHANCOPY | (dstByte & 3) << 2 | (srcByte & 3);
}

// Rectangle with exclusive right and bottom edges.
struct RECT {
    std::int32_t left, top, right, bottom;
};
