#pragma once
// Scaled and rotated blits, sampling by nearest neighbour or bilinear filter
// (RAST_BLIT_FILTER_BILINEAR in the mode word).

#include "raster/raster_bitmap.h"

// Draws the source rectangle (srcx, srcy, srcw, srch) into the destination rectangle. A negative
// destination width or height mirrors the picture on that axis.
void RAST_ScaledBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     float srcx, float srcy, float srcw, float srch, float alpha, int mode);

// As the scaled blit, rotated by angle (radians) about the centre of the destination rectangle,
// the source centre displaced by (rotxcent, rotycent) source pixels. cliptosourcerect skips
// samples outside the source rectangle, otherwise only those outside the source bitmap.
void RAST_RotatedBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                      float srcx, float srcy, float srcw, float srch, float angle,
                      bool cliptosourcerect, float alpha, int mode, float rotxcent = 0.0f,
                      float rotycent = 0.0f);

// Sample filters on two pixels p (column x of row y) and q. Bilinear: q is the pixel below p,
// the right neighbours of both are read too; xf, yf are 0..65535. Linear: fraction t toward q.
inline RAST_pixel RAST_BilinearFilterI(const RAST_pixel* p, const RAST_pixel* q, int xf, int yf) {
    const int f = static_cast<int>((static_cast<long long>(xf) * yf) >> 16);
    const int wp = 65536 - xf - yf + f, wpr = xf - f, wq = yf - f, wqr = f;
    RAST_pixel out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const auto ch = [shift](const RAST_pixel* px) {
            return static_cast<int>((*px >> shift) & 0xFF);
        };
        const int v = (ch(p) * wp + ch(p + 1) * wpr + ch(q) * wq + ch(q + 1) * wqr) / 65536;
        out |= static_cast<RAST_pixel>(v & 0xFF) << shift;
    }
    return out;
}

inline RAST_pixel RAST_LinearFilterI(const RAST_pixel* p, const RAST_pixel* q, int t) {
    RAST_pixel out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = static_cast<int>((*p >> shift) & 0xFF),
                  b = static_cast<int>((*q >> shift) & 0xFF);
        out |= static_cast<RAST_pixel>(((a * (65536 - t) + b * t) / 65536) & 0xFF) << shift;
    }
    return out;
}
