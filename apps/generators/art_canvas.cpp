#include "art_canvas.h"

#include "art_style.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace art {

namespace {

// Fine pixels per device pixel along each axis; odd, so that a device pixel's centre is a fine
// pixel's centre and circles centred on pixels stay exactly symmetric.
constexpr int kSupersample = 5;

unsigned channel(RAST_pixel p, int shift) {
    return (p >> shift) & 0xFFu;
}

RAST_pixel mix(RAST_pixel a, RAST_pixel b, double t) {
    RAST_pixel out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const double v = channel(a, shift) + (double(channel(b, shift)) - channel(a, shift)) * t;
        out |= static_cast<RAST_pixel>(std::lround(v)) << shift;
    }
    return out;
}

} // namespace

// The coverage of shapes over a box of device pixels: drawn unsmoothed at kSupersample times
// the resolution, then averaged down to one byte per device pixel.
class Canvas::Coverage {
public:
    Coverage(double left, double top, double right, double bottom, int limitW, int limitH)
        : mX(std::max(0, static_cast<int>(std::floor(left)))),
          mY(std::max(0, static_cast<int>(std::floor(top)))),
          mW(std::min(limitW, static_cast<int>(std::ceil(right))) - mX),
          mH(std::min(limitH, static_cast<int>(std::ceil(bottom))) - mY),
          mFine(std::max(mW, 0) * kSupersample, std::max(mH, 0) * kSupersample) {
        if (!empty()) RAST_FillRect(&mFine, 0, 0, mFine.getWidth(), mFine.getHeight(), 0, 1.0f, 0);
    }

    bool empty() const { return mW <= 0 || mH <= 0; }
    int x() const { return mX; }
    int y() const { return mY; }
    int w() const { return mW; }
    int h() const { return mH; }

    // Device coordinates, right and bottom exclusive.
    void rect(double l, double t, double r, double b) {
        const int fl = fineX(l), ft = fineY(t), fr = fineX(r), fb = fineY(b);
        if (fr > fl && fb > ft) RAST_FillRect(&mFine, fl, ft, fr - fl, fb - ft, kCovered, 1.0f, 0);
    }
    void disc(double cx, double cy, double r) {
        // The raster circle is centred on a pixel: the one whose area holds the centre.
        RAST_FillCircle(&mFine, static_cast<float>((cx - mX) * kSupersample - 0.5),
                        static_cast<float>((cy - mY) * kSupersample - 0.5),
                        static_cast<float>(r * kSupersample), kCovered, 1.0f, 0, false);
    }
    void polygon(const std::vector<Point>& points) {
        std::vector<int> xs, ys;
        for (const Point& p : points) {
            xs.push_back(fineX(p.x));
            ys.push_back(fineY(p.y));
        }
        RAST_FillConvexPolygon(&mFine, xs.data(), ys.data(), static_cast<int>(points.size()),
                               kCovered, 1.0f, 0);
    }

    std::vector<unsigned char> resolve() {
        std::vector<unsigned char> mask(static_cast<size_t>(std::max(mW, 0) * std::max(mH, 0)));
        const RAST_pixel* bits = mFine.getBits();
        const int span = mFine.getRowSpan();
        for (int y = 0; y < mH; ++y) {
            for (int x = 0; x < mW; ++x) {
                int sum = 0;
                for (int sy = 0; sy < kSupersample; ++sy) {
                    const RAST_pixel* row =
                        bits + (y * kSupersample + sy) * span + x * kSupersample;
                    for (int sx = 0; sx < kSupersample; ++sx)
                        sum += static_cast<int>(RAST_GETR(row[sx]));
                }
                mask[y * mW + x] = static_cast<unsigned char>(sum / (kSupersample * kSupersample));
            }
        }
        return mask;
    }

private:
    int fineX(double v) const { return static_cast<int>(std::lround((v - mX) * kSupersample)); }
    int fineY(double v) const { return static_cast<int>(std::lround((v - mY) * kSupersample)); }

    int mX, mY, mW, mH;
    RAST_MemBitmap mFine;
};

RAST_CachedFont* FontShelf::font(int devicePixels, bool bold) {
    auto& slot = mFonts[{devicePixels, bold}];
    if (!slot) {
        slot = std::make_unique<RAST_CachedFont>();
        slot->SetFromHFont(CreateFont(-devicePixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0,
                                      0, 0, 0, ANTIALIASED_QUALITY, 0, kSans),
                           RAST_FONT_FLAG_OWNS_HFONT);
    }
    return slot.get();
}

Canvas::Canvas(int width, int height, int scale)
    : mWidth(width), mHeight(height), mScale(scale), mBitmap(width * scale, height * scale) {
    clear(0);
}

void Canvas::clear(RAST_pixel color) {
    RAST_FillRect(&mBitmap, 0, 0, mBitmap.getWidth(), mBitmap.getHeight(), color, 1.0f, 0);
}

void Canvas::paint(Coverage& cov, RAST_pixel color, float alpha) {
    if (cov.empty()) return;
    const std::vector<unsigned char> mask = cov.resolve();
    RAST_DrawGlyph(&mBitmap, cov.x(), cov.y(), color, alpha, mask.data(), cov.w(), cov.h(),
                   RAST_BLIT_MODE_COPY);
}

void Canvas::paintGradient(Coverage& cov, RAST_pixel top, RAST_pixel bottom, double y, double h) {
    if (cov.empty()) return;
    const std::vector<unsigned char> mask = cov.resolve();
    const double y0 = y * mScale, span = std::max(1.0, h * mScale - 1.0);
    for (int row = 0; row < cov.h(); ++row) {
        const double t = std::clamp((cov.y() + row - y0) / span, 0.0, 1.0);
        RAST_DrawGlyph(&mBitmap, cov.x(), cov.y() + row, mix(top, bottom, t), 1.0f,
                       mask.data() + static_cast<size_t>(row) * cov.w(), cov.w(), 1,
                       RAST_BLIT_MODE_COPY);
    }
}

void Canvas::fillRect(double x, double y, double w, double h, RAST_pixel color, float alpha) {
    const double s = mScale;
    Coverage cov(x * s, y * s, (x + w) * s, (y + h) * s, mBitmap.getWidth(), mBitmap.getHeight());
    cov.rect(x * s, y * s, (x + w) * s, (y + h) * s);
    paint(cov, color, alpha);
}

void Canvas::fillRectGradient(double x, double y, double w, double h, RAST_pixel top,
                              RAST_pixel bottom) {
    const double s = mScale;
    Coverage cov(x * s, y * s, (x + w) * s, (y + h) * s, mBitmap.getWidth(), mBitmap.getHeight());
    cov.rect(x * s, y * s, (x + w) * s, (y + h) * s);
    paintGradient(cov, top, bottom, y, h);
}

namespace {

template <class Cov>
void roundRectShape(Cov& cov, double x, double y, double w, double h, double r) {
    r = std::clamp(r, 0.0, std::min(w, h) / 2);
    cov.rect(x + r, y, x + w - r, y + h);
    cov.rect(x, y + r, x + w, y + h - r);
    if (r <= 0) return;
    cov.disc(x + r, y + r, r);
    cov.disc(x + w - r, y + r, r);
    cov.disc(x + r, y + h - r, r);
    cov.disc(x + w - r, y + h - r, r);
}

} // namespace

void Canvas::fillRoundRect(double x, double y, double w, double h, double radius, RAST_pixel color,
                           float alpha) {
    const double s = mScale;
    Coverage cov(x * s, y * s, (x + w) * s, (y + h) * s, mBitmap.getWidth(), mBitmap.getHeight());
    roundRectShape(cov, x * s, y * s, w * s, h * s, radius * s);
    paint(cov, color, alpha);
}

void Canvas::fillRoundRectGradient(double x, double y, double w, double h, double radius,
                                   RAST_pixel top, RAST_pixel bottom) {
    const double s = mScale;
    Coverage cov(x * s, y * s, (x + w) * s, (y + h) * s, mBitmap.getWidth(), mBitmap.getHeight());
    roundRectShape(cov, x * s, y * s, w * s, h * s, radius * s);
    paintGradient(cov, top, bottom, y, h);
}

void Canvas::strokeRoundRect(double x, double y, double w, double h, double radius, double width,
                             RAST_pixel color, float alpha) {
    // The frame's coverage is the outer shape's less the inner shape's.
    const double s = mScale;
    Coverage outer(x * s, y * s, (x + w) * s, (y + h) * s, mBitmap.getWidth(), mBitmap.getHeight());
    Coverage inner(x * s, y * s, (x + w) * s, (y + h) * s, mBitmap.getWidth(), mBitmap.getHeight());
    roundRectShape(outer, x * s, y * s, w * s, h * s, radius * s);
    roundRectShape(inner, (x + width) * s, (y + width) * s, (w - 2 * width) * s,
                   (h - 2 * width) * s, std::max(0.0, radius - width) * s);
    if (outer.empty()) return;
    std::vector<unsigned char> mask = outer.resolve();
    const std::vector<unsigned char> hole = inner.resolve();
    for (size_t i = 0; i < mask.size(); ++i)
        mask[i] = static_cast<unsigned char>(std::max(0, mask[i] - hole[i]));
    RAST_DrawGlyph(&mBitmap, outer.x(), outer.y(), color, alpha, mask.data(), outer.w(), outer.h(),
                   RAST_BLIT_MODE_COPY);
}

void Canvas::fillCircle(double cx, double cy, double r, RAST_pixel color, float alpha) {
    const double s = mScale;
    Coverage cov((cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s, mBitmap.getWidth(),
                 mBitmap.getHeight());
    cov.disc(cx * s, cy * s, r * s);
    paint(cov, color, alpha);
}

void Canvas::fillPolygon(const std::vector<Point>& points, RAST_pixel color, float alpha) {
    if (points.size() < 3) return;
    const double s = mScale;
    double l = points[0].x, t = points[0].y, r = l, b = t;
    std::vector<Point> device;
    for (const Point& p : points) {
        l = std::min(l, p.x), r = std::max(r, p.x), t = std::min(t, p.y), b = std::max(b, p.y);
        device.push_back({p.x * s, p.y * s});
    }
    Coverage cov(l * s, t * s, r * s, b * s, mBitmap.getWidth(), mBitmap.getHeight());
    cov.polygon(device);
    paint(cov, color, alpha);
}

void Canvas::line(double x1, double y1, double x2, double y2, double width, RAST_pixel color,
                  float alpha) {
    const double dx = x2 - x1, dy = y2 - y1, len = std::hypot(dx, dy);
    if (len <= 0) return;
    const double nx = -dy / len * width / 2, ny = dx / len * width / 2;
    fillPolygon({{x1 + nx, y1 + ny}, {x2 + nx, y2 + ny}, {x2 - nx, y2 - ny}, {x1 - nx, y1 - ny}},
                color, alpha);
}

void Canvas::polyline(const std::vector<Point>& points, double width, RAST_pixel color) {
    for (size_t i = 0; i + 1 < points.size(); ++i)
        line(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, width, color);
    for (const Point& p : points)
        fillCircle(p.x, p.y, width / 2, color);
}

double Canvas::textWidth(const char* str, const TextStyle& style) {
    RAST_CachedFont* font = mFonts.font(style.size * mScale, style.bold);
    double total = 0;
    const size_t n = std::strlen(str);
    for (size_t i = 0; i < n; ++i) {
        RECT r{0, 0, 0, 0};
        font->DrawText(nullptr, str + i, 1, &r, DT_CALCRECT | DT_SINGLELINE);
        total += r.right;
    }
    return total / mScale + style.tracking * (n > 0 ? double(n - 1) : 0.0);
}

void Canvas::text(const char* str, double x, double y, double w, double h, const TextStyle& style) {
    RAST_CachedFont* font = mFonts.font(style.size * mScale, style.bold);
    font->SetTextColor(style.color);
    const double width = textWidth(str, style);
    double left = x;
    if (style.align == Align::kCenter) left = x + (w - width) / 2;
    if (style.align == Align::kRight) left = x + w - width;
    // Characters are placed one by one so that tracking can widen the text.
    int pen = static_cast<int>(std::lround(left * mScale));
    const int top = static_cast<int>(std::lround(y * mScale));
    const int bottom = static_cast<int>(std::lround((y + h) * mScale));
    for (const char* c = str; *c; ++c) {
        RECT measure{0, 0, 0, 0};
        font->DrawText(nullptr, c, 1, &measure, DT_CALCRECT | DT_SINGLELINE);
        RECT box{pen, top, pen + measure.right + 4 * mScale, bottom};
        font->DrawText(&mBitmap, c, 1, &box, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOCLIP);
        pen += measure.right + static_cast<int>(std::lround(style.tracking * mScale));
    }
}

Sprite::Sprite(int width, int height, int scale, RAST_pixel edgeColor)
    : mColor(std::make_unique<Canvas>(width, height, scale)),
      mShape(std::make_unique<Canvas>(width, height, scale)) {
    mColor->clear(edgeColor);
}

std::unique_ptr<Canvas> Sprite::finish() {
    RAST_Blit(mColor->bitmap(), mShape->bitmap(), 0, 0, nullptr, 1.0f,
              RAST_BLIT_MODE_CHANCOPY_FOR(RAST_PIXEL_R, RAST_PIXEL_A));
    return std::move(mColor);
}

} // namespace art
