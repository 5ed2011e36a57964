#pragma once

#include <bit>
#include <cstdint>

// Serialised framework state is stored in native order, which must be little-endian.
static_assert(std::endian::native == std::endian::little, "little-endian target expected");

// The value of a four-character code such as "Kvrn": first character most significant.
constexpr int MakeFourCC(const char (&code)[5]) {
    return static_cast<int>((static_cast<uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
                            (static_cast<uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
                            (static_cast<uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
                            static_cast<uint32_t>(static_cast<unsigned char>(code[3])));
}

inline uint32_t UTIL_GetBE32(const unsigned char* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

inline void UTIL_PutBE32(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

inline float UTIL_GetBEFloat(const unsigned char* p) {
    return std::bit_cast<float>(UTIL_GetBE32(p));
}

inline void UTIL_PutBEFloat(unsigned char* p, float f) {
    UTIL_PutBE32(p, std::bit_cast<uint32_t>(f));
}
