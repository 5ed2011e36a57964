#include "raster/raster_utf8.h"

namespace {

bool continuation(unsigned char c) {
    return c >= 0x80 && c <= 0xBF;
}

// Whether bytes s[1..n] exist within the count and are continuation bytes.
bool followedBy(const unsigned char* s, int count, int n) {
    if (count >= 0 && count < n + 1) return false;
    for (int i = 1; i <= n; ++i) {
        if (!continuation(s[i])) return false; // also stops at the terminating zero
    }
    return true;
}

} // namespace

int RAST_ReadUTF8Char(const char* text, int* count, std::uint16_t* code) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    if (*count == 0 || !s[0]) return 0;
    const unsigned lead = s[0];
    int used = 1;
    unsigned value = lead;
    if (lead >= 0xC2 && lead <= 0xDF && followedBy(s, *count, 1)) {
        value = (lead & 0x1F) << 6 | (s[1] & 0x3F);
        used = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF && followedBy(s, *count, 2)) {
        value = (lead & 0x0F) << 12 | (s[1] & 0x3F) << 6 | (s[2] & 0x3F);
        used = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4 && followedBy(s, *count, 3)) {
        value = ' ';
        used = 4;
    }
    *code = static_cast<std::uint16_t>(value);
    if (*count > 0) *count = *count > used ? *count - used : 0;
    return used;
}

int RAST_WriteUTF8Char(std::uint16_t code, char out[4]) {
    int n;
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        n = 1;
    } else if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | code >> 6);
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        n = 2;
    } else {
        out[0] = static_cast<char>(0xE0 | code >> 12);
        out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (code & 0x3F));
        n = 3;
    }
    out[n] = 0;
    return n;
}
