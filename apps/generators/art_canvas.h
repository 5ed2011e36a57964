#pragma once
// A bitmap drawn in layout units (the 1x editor's pixels) at a whole-number scale: shapes are
// antialiased by supersampling, text goes through the cached font of the raster library.

#include "raster/raster.h"

#include <map>
#include <memory>
#include <vector>

namespace art {

struct Point {
    double x, y;
};

enum class Align { kLeft, kCenter, kRight };

struct TextStyle {
    int size = 11; // character height in layout units
    bool bold = false;
    RAST_pixel color = 0xFFFFFFFF;
    Align align = Align::kCenter;
    double tracking = 0.0; // extra space between characters, layout units
};

// Fonts by device size and weight, made on first use.
class FontShelf {
public:
    RAST_CachedFont* font(int devicePixels, bool bold);

private:
    std::map<std::pair<int, bool>, std::unique_ptr<RAST_CachedFont>> mFonts;
};

class Canvas {
public:
    Canvas(int width, int height, int scale);

    RAST_MemBitmap* bitmap() { return &mBitmap; }
    int scale() const { return mScale; }
    int width() const { return mWidth; }
    int height() const { return mHeight; }

    void clear(RAST_pixel color);
    void fillRect(double x, double y, double w, double h, RAST_pixel color, float alpha = 1.0f);
    // Rows blend from top to bottom colour.
    void fillRectGradient(double x, double y, double w, double h, RAST_pixel top,
                          RAST_pixel bottom);
    void fillRoundRect(double x, double y, double w, double h, double radius, RAST_pixel color,
                       float alpha = 1.0f);
    void fillRoundRectGradient(double x, double y, double w, double h, double radius,
                               RAST_pixel top, RAST_pixel bottom);
    // A rounded frame of the given width drawn inside the rectangle.
    void strokeRoundRect(double x, double y, double w, double h, double radius, double width,
                         RAST_pixel color, float alpha = 1.0f);
    void fillCircle(double cx, double cy, double r, RAST_pixel color, float alpha = 1.0f);
    // Convex polygons only.
    void fillPolygon(const std::vector<Point>& points, RAST_pixel color, float alpha = 1.0f);
    // A straight stroke of the given width with square ends.
    void line(double x1, double y1, double x2, double y2, double width, RAST_pixel color,
              float alpha = 1.0f);
    // Connected strokes with round joints and ends; opaque colours only, as the pieces overlap.
    void polyline(const std::vector<Point>& points, double width, RAST_pixel color);

    // Single-line text, vertically centred in the box and aligned inside it.
    void text(const char* str, double x, double y, double w, double h, const TextStyle& style);
    double textWidth(const char* str, const TextStyle& style);

private:
    class Coverage;
    void paint(Coverage& coverage, RAST_pixel color, float alpha);
    void paintGradient(Coverage& coverage, RAST_pixel top, RAST_pixel bottom, double y, double h);

    int mWidth, mHeight, mScale;
    RAST_MemBitmap mBitmap;
    FontShelf mFonts;
};

// An image with transparency: shapes are painted in the colour layer (which starts filled with
// the colour its antialiased edges should have) and their outline in the shape layer, whose
// coverage becomes the alpha channel. Edge pixels so keep their own colour instead of fading to
// black.
class Sprite {
public:
    Sprite(int width, int height, int scale, RAST_pixel edgeColor);

    Canvas& color() { return *mColor; }
    Canvas& shape() { return *mShape; }
    // Moves the shape layer's coverage into the colour layer's alpha channel and hands over the
    // colour layer: the finished image.
    std::unique_ptr<Canvas> finish();

private:
    std::unique_ptr<Canvas> mColor;
    std::unique_ptr<Canvas> mShape;
};

constexpr RAST_pixel kCovered = RAST_RGBA(255, 255, 255, 255);

} // namespace art
