#include "art_icons.h"

#include <cmath>
#include <vector>

namespace art {

namespace {

// Points given on a 0..1 grid in both directions (y down), placed into the box.
std::vector<Point> place(std::vector<Point> unit, double x, double y, double w, double h) {
    for (Point& p : unit)
        p = {x + p.x * w, y + p.y * h};
    return unit;
}

} // namespace

void paintWaveIcon(Canvas& c, WaveIcon icon, double x, double y, double w, double h, double stroke,
                   RAST_pixel color) {
    const auto draw = [&](std::vector<Point> unit, RAST_pixel ink) {
        c.polyline(place(std::move(unit), x, y, w, h), stroke, ink);
    };
    switch (icon) {
    case WaveIcon::kSaw:
        draw({{0, 1}, {1 / 3.0, 0}, {1 / 3.0, 1}, {2 / 3.0, 0}, {2 / 3.0, 1}, {1, 0}, {1, 1}},
             color);
        break;
    case WaveIcon::kHardSync:
        draw({{0, 1}, {0.36, 0}, {0.36, 1}, {0.6, 0.35}, {0.6, 1}, {0.96, 0}, {0.96, 1}}, color);
        break;
    case WaveIcon::kPulse:
        draw({{0, 1}, {0, 0}, {0.2, 0}, {0.2, 1}, {0.5, 1}, {0.5, 0}, {0.7, 0}, {0.7, 1}, {1, 1}},
             color);
        break;
    case WaveIcon::kDetune: {
        // The second saw in a darker shade of the same ink, behind the first.
        const RAST_pixel shade = RAST_RGBA(RAST_GETR(color) * 3 / 5, RAST_GETG(color) * 3 / 5,
                                           RAST_GETB(color) * 3 / 5, 255);
        draw({{0.16, 1}, {0.58, 0}, {0.58, 1}, {1, 0}, {1, 1}}, shade);
        draw({{0, 1}, {0.42, 0}, {0.42, 1}, {0.84, 0}, {0.84, 1}}, color);
        break;
    }
    case WaveIcon::kSubWave: {
        std::vector<Point> sine;
        constexpr int kSteps = 16;
        for (int i = 0; i <= kSteps; ++i) {
            const double t = double(i) / kSteps;
            sine.push_back({t * 0.42, 0.5 - 0.5 * std::sin(t * 2 * M_PI)});
        }
        draw(sine, color);
        draw({{0.58, 0.5}, {0.58, 0}, {0.79, 0}, {0.79, 1}, {1, 1}, {1, 0.5}}, color);
        break;
    }
    }
}

} // namespace art
