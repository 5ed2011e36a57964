// The drawing operations the controls use: bitmaps, rotation, lines, shapes and pixels. Every
// one is limited to the rectangle being redrawn, so that redrawing part of the editor never
// disturbs the pixels outside that part.
#include "editor/IGraphics.h"

#include "editor/RastClipView.h"
#include "raster/raster.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// Calls draw (view, offsetX, offsetY) with a view of the bitmap limited to clip; draw takes
// the bitmap's coordinates less the offsets. False without a bitmap.
// The part of r inside clip (unlike IRECT::Intersect, touching edges give nothing).
IRECT ClipTo(const IRECT& r, const IRECT& clip) {
    const IRECT cut(std::max(r.L, clip.L), std::max(r.T, clip.T), std::min(r.R, clip.R),
                    std::min(r.B, clip.B));
    return cut.W() > 0 && cut.H() > 0 ? cut : IRECT();
}

IRECT ScaledRECT(const IRECT& r, int s) {
    return s == 1 ? r : IRECT(r.L * s, r.T * s, r.R * s, r.B * s);
}

template <class Draw> bool DrawClipped(RAST_IBitmap* bitmap, const IRECT& clip, Draw draw) {
    if (!bitmap) return false;
    RastClipView view(bitmap, clip);
    if (view.Valid()) draw(&view, view.OffsetX(), view.OffsetY());
    return true;
}

} // namespace

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY,
                           const IChannelBlend* blend) {
    if (!mDrawBitmap || !bitmap || !bitmap->mData || !dest) return false;
    const IRECT r = dest->Intersect(mDrawRECT);
    if (r.W() <= 0 || r.H() <= 0) return true;
    srcX += r.L - dest->L;
    srcY += r.T - dest->T;
    const int s = mDrawScale;
    RAST_Blit(mDrawBitmap.get(), AtDrawScale(bitmap), r.L * s, r.T * s, srcX * s, srcY * s,
              r.W() * s, r.H() * s, RastWeight(blend), RastBlendMode(blend));
    return true;
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, const IChannelBlend* blend) {
    if (!bitmap) return false;
    int srcX = 0, srcY = 0;
    if (bitmap->N > 1 && frame > 1) {
        if (bitmap->mFramesAreHorizontal)
            srcX = static_cast<int>(0.5 + static_cast<double>(bitmap->W) * (frame - 1) / bitmap->N);
        else
            srcY = static_cast<int>(0.5 + static_cast<double>(bitmap->H) * (frame - 1) / bitmap->N);
    }
    return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int centreX, int centreY, double angle,
                                  int yOffsetZeroDeg, const IChannelBlend* blend) {
    if (!bitmap || !bitmap->mData) return false;
    const int s = mDrawScale;
    const int w = bitmap->W * s, h = bitmap->H * s;
    const float weight = RastWeight(blend);
    const int mode = RastBlendMode(blend) | RAST_BLIT_FILTER_BILINEAR;
    RAST_IBitmap* pixels = AtDrawScale(bitmap);
    return DrawClipped(
        mDrawBitmap.get(), ScaledRECT(mDrawRECT, s), [&](RAST_IBitmap* view, int ox, int oy) {
            RAST_RotatedBlit(view, pixels, centreX * s - w / 2 - ox, centreY * s - h / 2 - oy, w, h,
                             0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h),
                             static_cast<float>(angle), false, weight, mode, 0.0f,
                             static_cast<float>(yOffsetZeroDeg * s));
        });
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y,
                                double angleDegrees, const IChannelBlend* blend) {
    if (!mDrawBitmap || !base || !base->mData || !mask || !mask->mData || !top || !top->mData)
        return false;
    const int s = mDrawScale;
    const int w = base->W * s, h = base->H * s;
    const float radians = static_cast<float>(angleDegrees * std::numbers::pi / 180.0);
    const float centreOffsetX = (w % 2) ? -0.5f : 0.0f;
    if (!mTmpBitmap) mTmpBitmap = std::make_unique<RAST_MemBitmap>(0, 0, 4);
    RAST_IBitmap* tmp = mTmpBitmap.get();
    RAST_Copy(tmp, AtDrawScale(base));
    // Keep red, green and blue; the mask's rotated alpha is added over a clear alpha.
    RAST_ClearRect(tmp, 0, 0, w, h, 0xFFFFFF00u, 0);
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    RAST_RotatedBlit(tmp, AtDrawScale(mask), 0, 0, w, h, 0.0f, 0.0f, fw, fh, radians, true, 1.0f,
                     RAST_BLIT_USE_ALPHA | RAST_BLIT_FILTER_BILINEAR | RAST_BLIT_MODE_ADD,
                     centreOffsetX, 0.0f);
    RAST_RotatedBlit(tmp, AtDrawScale(top), 0, 0, w, h, 0.0f, 0.0f, fw, fh, radians, true, 1.0f,
                     RAST_BLIT_USE_ALPHA | RAST_BLIT_FILTER_BILINEAR, centreOffsetX, 0.0f);
    x *= s;
    y *= s;
    const IRECT r = IRECT(x, y, x + w, y + h).Intersect(ScaledRECT(mDrawRECT, s));
    if (r.W() <= 0 || r.H() <= 0) return true;
    RAST_Blit(mDrawBitmap.get(), tmp, r.L, r.T, r.L - x, r.T - y, r.W(), r.H(), RastWeight(blend),
              RastBlendMode(blend));
    return true;
}

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend,
                          bool /*antiAlias*/) {
    const int s = mDrawScale;
    const int px = static_cast<int>(x + 0.5f) * s, py = static_cast<int>(y + 0.5f) * s;
    return DrawClipped(mDrawBitmap.get(), ScaledRECT(mDrawRECT, s),
                       [&](RAST_IBitmap* view, int ox, int oy) {
                           for (int dy = 0; dy < s; ++dy)
                               for (int dx = 0; dx < s; ++dx)
                                   RAST_PutPixel(view, px + dx - ox, py + dy - oy, RastColor(color),
                                                 RastWeight(blend), RastBlendMode(blend));
                       });
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y) {
    if (!mDrawBitmap || !mDrawBitmap->getBits()) return false;
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return false;
    for (int dy = 0; dy < mDrawScale; ++dy)
        for (int dx = 0; dx < mDrawScale; ++dx)
            mDrawBitmap->getBits()[static_cast<std::ptrdiff_t>(y * mDrawScale + dy) *
                                       mDrawBitmap->getRowSpan() +
                                   x * mDrawScale + dx] = RastColor(color);
    return true;
}

IColor IGraphics::GetPoint(int x, int y) {
    if (!mDrawBitmap) return COLOR_TRANSPARENT;
    return IColorFromPixel(RAST_GetPixel(mDrawBitmap.get(), x * mDrawScale, y * mDrawScale));
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antiAlias) {
    const int s = mDrawScale;
    const int ix1 = static_cast<int>(x1) * s, iy1 = static_cast<int>(y1) * s;
    const int ix2 = static_cast<int>(x2) * s, iy2 = static_cast<int>(y2) * s;
    const IRECT clip = ScaledRECT(mDrawRECT, s);
    const RAST_pixel c = RastColor(color);
    const float weight = RastWeight(blend);
    const int mode = RastBlendMode(blend);
    // Rows and columns come out the same whatever clips them.
    if (ix1 == ix2 || iy1 == iy2) {
        return DrawClipped(mDrawBitmap.get(), clip, [&](RAST_IBitmap* view, int ox, int oy) {
            RAST_Line(view, ix1 - ox, iy1 - oy, ix2 - ox, iy2 - oy, c, weight, mode, antiAlias);
        });
    }
    if (!mDrawBitmap) return false;
    RAST_IBitmap* target = mDrawBitmap.get();
    const IRECT bounds(0, 0, target->getWidth(), target->getHeight());
    // An antialiased pixel pair may reach one pixel beyond the end points.
    const IRECT box = ClipTo(IRECT(std::min(ix1, ix2) - 1, std::min(iy1, iy2) - 1,
                                   std::max(ix1, ix2) + 2, std::max(iy1, iy2) + 2),
                             bounds);
    const IRECT visible = ClipTo(box, clip);
    if (visible.W() <= 0 || visible.H() <= 0) return true;
    if (visible == box) {
        RAST_Line(target, ix1, iy1, ix2, iy2, c, weight, mode, antiAlias);
        return true;
    }
    // A sloped line cut short by the clip would take a slightly different path, so it is drawn
    // whole over a copy of the pixels it crosses and only the part inside the clip comes back.
    if (!mLineBitmap) mLineBitmap = std::make_unique<RAST_MemBitmap>();
    RAST_IBitmap* scratch = mLineBitmap.get();
    if (scratch->getWidth() != bounds.W() || scratch->getHeight() != bounds.H())
        scratch->resize(bounds.W(), bounds.H());
    RAST_Blit(scratch, target, box.L, box.T, box.L, box.T, box.W(), box.H(), 1.0f,
              RAST_BLIT_MODE_COPY);
    RAST_Line(scratch, ix1, iy1, ix2, iy2, c, weight, mode, antiAlias);
    RAST_Blit(target, scratch, visible.L, visible.T, visible.L, visible.T, visible.W(), visible.H(),
              1.0f, RAST_BLIT_MODE_COPY);
    return true;
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle,
                        float maxAngle, const IChannelBlend* blend, bool antiAlias) {
    const float s = static_cast<float>(mDrawScale);
    return DrawClipped(mDrawBitmap.get(), ScaledRECT(mDrawRECT, mDrawScale),
                       [&](RAST_IBitmap* view, int ox, int oy) {
                           RAST_Arc(view, cx * s - ox, cy * s - oy, r * s, minAngle, maxAngle,
                                    RastColor(color), RastWeight(blend), RastBlendMode(blend),
                                    antiAlias);
                       });
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r,
                           const IChannelBlend* blend, bool antiAlias) {
    const float s = static_cast<float>(mDrawScale);
    return DrawClipped(mDrawBitmap.get(), ScaledRECT(mDrawRECT, mDrawScale),
                       [&](RAST_IBitmap* view, int ox, int oy) {
                           RAST_Circle(view, cx * s - ox, cy * s - oy, r * s, RastColor(color),
                                       RastWeight(blend), RastBlendMode(blend), antiAlias);
                       });
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antiAlias) {
    const int s = mDrawScale;
    return DrawClipped(
        mDrawBitmap.get(), ScaledRECT(mDrawRECT, s), [&](RAST_IBitmap* view, int ox, int oy) {
            RAST_FillCircle(view, static_cast<float>(cx * s - ox), static_cast<float>(cy * s - oy),
                            r * static_cast<float>(s), RastColor(color), RastWeight(blend),
                            RastBlendMode(blend), antiAlias);
        });
}

bool IGraphics::RoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend,
                          int cornerRadius, bool antiAlias) {
    if (!r) return false;
    const int s = mDrawScale;
    const IRECT box = ScaledRECT(*r, s);
    return DrawClipped(
        mDrawBitmap.get(), ScaledRECT(mDrawRECT, s), [&](RAST_IBitmap* view, int ox, int oy) {
            RAST_RoundRect(view, static_cast<float>(box.L - ox), static_cast<float>(box.T - oy),
                           static_cast<float>(box.W()), static_cast<float>(box.H()),
                           cornerRadius * s, RastColor(color), RastWeight(blend),
                           RastBlendMode(blend), antiAlias);
        });
}

bool IGraphics::FillRoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend,
                              int cornerRadius, bool antiAlias) {
    if (!r) return false;
    const RAST_pixel c = RastColor(color);
    const float weight = RastWeight(blend);
    const int mode = RastBlendMode(blend);
    const int cr = cornerRadius * mDrawScale;
    const IRECT box = ScaledRECT(*r, mDrawScale);
    return DrawClipped(
        mDrawBitmap.get(), ScaledRECT(mDrawRECT, mDrawScale),
        [&](RAST_IBitmap* view, int ox, int oy) {
            const int l = box.L - ox, t = box.T - oy, w = box.W(), h = box.H();
            RAST_FillRect(view, l + cr, t, w - 2 * cr, h, c, weight, mode);
            RAST_FillRect(view, l, t + cr, cr, h - 2 * cr, c, weight, mode);
            RAST_FillRect(view, l + w - cr, t + cr, cr, h - 2 * cr, c, weight, mode);
            const float fl = static_cast<float>(l), ft = static_cast<float>(t);
            const float fw = static_cast<float>(w), fh = static_cast<float>(h);
            const float fc = static_cast<float>(cr);
            RAST_FillCircle(view, fl + fc, ft + fc, fc, c, weight, mode, antiAlias);
            RAST_FillCircle(view, fl + fw - fc - 1, ft + fh - fc - 1, fc, c, weight, mode,
                            antiAlias);
            RAST_FillCircle(view, fl + fw - fc - 1, ft + fc, fc, c, weight, mode, antiAlias);
            RAST_FillCircle(view, fl + fc, ft + fh - fc - 1, fc, c, weight, mode, antiAlias);
        });
}

bool IGraphics::FillIRect(const IColor* color, IRECT* r, const IChannelBlend* blend) {
    if (!r) return false;
    const IRECT box = ScaledRECT(*r, mDrawScale);
    return DrawClipped(mDrawBitmap.get(), ScaledRECT(mDrawRECT, mDrawScale),
                       [&](RAST_IBitmap* view, int ox, int oy) {
                           RAST_FillRect(view, box.L - ox, box.T - oy, box.W(), box.H(),
                                         RastColor(color), RastWeight(blend), RastBlendMode(blend));
                       });
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* blend) {
    const int s = mDrawScale;
    return DrawClipped(
        mDrawBitmap.get(), ScaledRECT(mDrawRECT, s), [&](RAST_IBitmap* view, int ox, int oy) {
            RAST_FillTriangle(view, x1 * s - ox, y1 * s - oy, x2 * s - ox, y2 * s - oy, x3 * s - ox,
                              y3 * s - oy, RastColor(color), RastWeight(blend),
                              RastBlendMode(blend));
        });
}

bool IGraphics::FillIConvexPolygon(const IColor* color, const int* xs, const int* ys, int n,
                                   const IChannelBlend* blend) {
    if (!xs || !ys || n < 1) return false;
    const int s = mDrawScale;
    return DrawClipped(mDrawBitmap.get(), ScaledRECT(mDrawRECT, s),
                       [&](RAST_IBitmap* view, int ox, int oy) {
                           std::vector<int> vx(xs, xs + n), vy(ys, ys + n);
                           for (int& x : vx)
                               x = x * s - ox;
                           for (int& y : vy)
                               y = y * s - oy;
                           RAST_FillConvexPolygon(view, vx.data(), vy.data(), n, RastColor(color),
                                                  RastWeight(blend), RastBlendMode(blend));
                       });
}

bool IGraphics::DrawVerticalLine(const IColor* color, int x, int yLo, int yHi) {
    const int s = mDrawScale;
    return DrawClipped(
        mDrawBitmap.get(), ScaledRECT(mDrawRECT, s), [&](RAST_IBitmap* view, int ox, int oy) {
            // A line one editor unit wide: s pixels at a denser scale.
            for (int i = 0; i < s; ++i)
                RAST_Line(view, x * s + i - ox, yLo * s - oy, x * s + i - ox, yHi * s + s - 1 - oy,
                          RastColor(color), 1.0f, RAST_BLIT_MODE_COPY, false);
        });
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int y, int xLo, int xHi) {
    const int s = mDrawScale;
    return DrawClipped(
        mDrawBitmap.get(), ScaledRECT(mDrawRECT, s), [&](RAST_IBitmap* view, int ox, int oy) {
            for (int i = 0; i < s; ++i)
                RAST_Line(view, xLo * s - ox, y * s + i - oy, xHi * s + s - 1 - ox, y * s + i - oy,
                          RastColor(color), 1.0f, RAST_BLIT_MODE_COPY, false);
        });
}

bool IGraphics::DrawVerticalLine(const IColor* color, IRECT* r, float x) {
    if (!r) return false;
    x = std::clamp(x, 0.0f, 1.0f);
    const int lineX = r->L + static_cast<int>(x * static_cast<float>(r->W()));
    return DrawVerticalLine(color, lineX, r->T, r->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, IRECT* r, float y) {
    if (!r) return false;
    y = std::clamp(y, 0.0f, 1.0f);
    const int lineY = r->B - static_cast<int>(y * static_cast<float>(r->H()));
    return DrawHorizontalLine(color, lineY, r->L, r->R);
}

bool IGraphics::DrawRect(const IColor* color, IRECT* r) {
    if (!r) return false;
    // The outline lies on the rectangle's outermost pixels (right and bottom are exclusive).
    const int right = r->R - 1, bottom = r->B - 1;
    bool drawn = DrawHorizontalLine(color, r->T, r->L, right);
    drawn = DrawHorizontalLine(color, bottom, r->L, right) && drawn;
    drawn = DrawVerticalLine(color, r->L, r->T, bottom) && drawn;
    drawn = DrawVerticalLine(color, right, r->T, bottom) && drawn;
    return drawn;
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin,
                               float rMax, const IChannelBlend* blend, bool antiAlias) {
    const float sinA = std::sin(angle), cosA = std::cos(angle);
    return DrawLine(color, cx + rMin * sinA, cy - rMin * cosA, cx + rMax * sinA, cy - rMax * cosA,
                    blend, antiAlias);
}
