#include "util/UTIL_Base64.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

} // namespace

int base64EncodedLength(int inLen) {
    return inLen > 0 ? (inLen + 2) / 3 * 4 : 0;
}

void base64encode(const unsigned char* in, char* out, int inLen) {
    for (int i = 0; i < inLen; i += 3) {
        const int n = inLen - i < 3 ? inLen - i : 3;
        unsigned bits = static_cast<unsigned>(in[i]) << 16;
        if (n > 1) bits |= static_cast<unsigned>(in[i + 1]) << 8;
        if (n > 2) bits |= in[i + 2];
        *out++ = kAlphabet[(bits >> 18) & 63];
        *out++ = kAlphabet[(bits >> 12) & 63];
        *out++ = n > 1 ? kAlphabet[(bits >> 6) & 63] : '=';
        *out++ = n > 2 ? kAlphabet[bits & 63] : '=';
    }
    *out = '\0';
}

int base64decode(const char* in, unsigned char* out, int maxOutLen) {
    if (!in || !out) return 0;
    int written = 0;
    unsigned bits = 0;
    int nBits = 0;
    for (; *in && written < maxOutLen; ++in) {
        const int sextet = SextetOf(*in);
        if (sextet < 0) break;
        bits = (bits << 6) | static_cast<unsigned>(sextet);
        nBits += 6;
        if (nBits >= 8) {
            nBits -= 8;
            out[written++] = static_cast<unsigned char>((bits >> nBits) & 0xFF);
        }
    }
    return written;
}
