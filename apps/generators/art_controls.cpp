#include "art_controls.h"

#include "art_style.h"

#include <algorithm>
#include <cmath>

namespace art {

namespace {

constexpr double kSwitchRadius = 4.0;

} // namespace

double knobCentre(int scale) {
    return kKnobSize / 2 + 0.5 / scale;
}

std::unique_ptr<Canvas> drawKnob(int scale) {
    Sprite knob(kKnobSize, kKnobSize, scale, kShadow);
    const double c = knobCentre(scale);
    knob.shape().fillCircle(c, c, kKnobRadius, kCovered);

    Canvas& paint = knob.color();
    // Radially symmetric body, so it looks the same at every angle: a dark rim, a lit bevel
    // and a face that darkens toward its centre.
    paint.fillCircle(c, c, kKnobRadius - 1.0, rgb(78, 83, 92));
    paint.fillCircle(c, c, kKnobRadius - 2.0, rgb(54, 58, 65));
    constexpr int kRings = 6;
    for (int i = 0; i < kRings; ++i) {
        const double t = double(i) / (kRings - 1);
        const unsigned v = static_cast<unsigned>(std::lround(50 - 8 * t));
        paint.fillCircle(c, c, 14.5 - 9.0 * t, rgb(v, v + 3, v + 8));
    }
    // The pointer: straight up from near the centre to the bevel.
    paint.fillRect(c - 1.0, c - (kKnobRadius - 1.5), 2.0, kKnobRadius - 6.5, kAccent);
    return knob.finish();
}

int faderHandleTop(int faderY, double value) {
    return faderY + static_cast<int>((1.0 - value) * (kFaderTravel - kHandleH));
}

std::unique_ptr<Canvas> drawFaderHandle(int scale) {
    Sprite handle(kHandleW, kHandleH, scale, kShadow);
    handle.shape().fillRoundRect(0, 0, kHandleW, kHandleH, 3, kCovered);

    Canvas& paint = handle.color();
    paint.fillRoundRectGradient(1, 1, kHandleW - 2, kHandleH - 2, 2, rgb(226, 229, 234),
                                rgb(150, 156, 166));
    // Engraved grips above and below the centre line.
    for (int row : {6, 9, 21, 24}) {
        paint.fillRect(4, row, kHandleW - 8, 1, rgb(112, 118, 128));
        paint.fillRect(4, row + 1, kHandleW - 8, 1, rgb(236, 238, 241), 0.6f);
    }
    const int centre = kHandleH / 2; // row 15 lines up with the value marks
    paint.fillRect(1, centre - 1, kHandleW - 2, 3, kShadow);
    paint.fillRect(1, centre, kHandleW - 2, 1, kAccent);
    return handle.finish();
}

int frameSwitchWidth(const FrameSwitchArt& art) {
    const int n = static_cast<int>(art.options.size());
    return art.stacked ? art.partWidth : art.partWidth * n;
}

int frameSwitchHeight(const FrameSwitchArt& art) {
    const int n = static_cast<int>(art.options.size());
    return art.stacked ? kSegmentH * n : kSegmentH;
}

std::unique_ptr<Canvas> drawFrameSwitch(const FrameSwitchArt& art, int scale) {
    const int n = static_cast<int>(art.options.size());
    const int w = frameSwitchWidth(art), h = frameSwitchHeight(art);
    Sprite image(w, h * n, scale, kInsetEdge);
    Canvas& paint = image.color();
    for (int lit = 0; lit < n; ++lit) {
        const double top = lit * h;
        image.shape().fillRoundRect(0, top, w, h, kSwitchRadius, kCovered);
        paint.fillRoundRect(1, top + 1, w - 2, h - 2, kSwitchRadius - 1, rgb(24, 26, 30));
        for (int i = 0; i < n; ++i) {
            // The editor divides the frame into equal parts: these are its hit areas.
            const double px = art.stacked ? 0 : i * art.partWidth;
            const double py = art.stacked ? top + i * kSegmentH : top;
            const double pw = art.stacked ? w : art.partWidth;
            TextStyle style{kSwitchTextSize, false, kLabel, Align::kCenter, 0.0};
            if (i == lit) {
                paint.fillRoundRect(px + 2, py + 2, pw - 4, kSegmentH - 4, kSwitchRadius - 1,
                                    kAccent);
                style.bold = true;
                style.color = kOnAccent;
            }
            paint.text(art.options[i], px, py, pw, kSegmentH, style);
            // A divider between two unlit neighbours.
            if (i + 1 < n && i != lit && i + 1 != lit) {
                if (art.stacked) {
                    paint.fillRect(6, py + kSegmentH, pw - 12, 1, kInsetEdge);
                } else {
                    paint.fillRect(px + pw, top + 5, 1, kSegmentH - 10, kInsetEdge);
                }
            }
        }
    }
    return image.finish();
}

std::unique_ptr<Canvas> drawStepper(const std::vector<std::string>& texts, int scale) {
    const int n = static_cast<int>(texts.size());
    Sprite image(kStepperW, kStepperH * n, scale, kInsetEdge);
    Canvas& paint = image.color();
    const double mid = kStepperH / 2.0;
    for (int f = 0; f < n; ++f) {
        const double top = f * kStepperH;
        image.shape().fillRoundRect(0, top, kStepperW, kStepperH, kSwitchRadius, kCovered);
        paint.fillRoundRect(1, top + 1, kStepperW - 2, kStepperH - 2, kSwitchRadius - 1, kInset);
        paint.text(texts[f].c_str(), 0, top, kStepperW, kStepperH,
                   TextStyle{kSwitchTextSize, false, kText, Align::kCenter, 0.0});
        // The arrows of the left and right quarters, dimmed where the value cannot go further.
        const RAST_pixel down = f > 0 ? kAccent : kDim;
        const RAST_pixel up = f + 1 < n ? kAccent : kDim;
        paint.fillPolygon({{8, top + mid}, {13, top + mid - 4.5}, {13, top + mid + 4.5}}, down);
        paint.fillPolygon({{kStepperW - 8.0, top + mid},
                           {kStepperW - 13.0, top + mid + 4.5},
                           {kStepperW - 13.0, top + mid - 4.5}},
                          up);
    }
    return image.finish();
}

} // namespace art
