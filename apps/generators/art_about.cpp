#include "art_about.h"

#include "art_icons.h"
#include "art_style.h"

namespace art {

std::unique_ptr<Canvas> drawAboutBox(int scale) {
    constexpr double kRadius = 10.0;
    constexpr double kShadow = 8.0; // soft shadow around the panel, inside the image
    constexpr double kPanelW = kAboutW - 2 * kShadow, kPanelH = kAboutH - 2 * kShadow;
    Sprite box(kAboutW, kAboutH, scale, rgb(0, 0, 0));

    // The shadow: rings of low coverage that add up toward the panel's edge.
    constexpr int kSteps = 8;
    for (int i = 0; i < kSteps; ++i) {
        const double grow = kShadow * (kSteps - i) / kSteps;
        box.shape().fillRoundRect(kShadow - grow, kShadow - grow + 2, kPanelW + 2 * grow,
                                  kPanelH + 2 * grow - 2, kRadius + grow, kCovered, 0.1f);
    }
    box.shape().fillRoundRect(kShadow, kShadow, kPanelW, kPanelH, kRadius, kCovered);

    Canvas& paint = box.color();
    paint.fillRoundRect(kShadow, kShadow, kPanelW, kPanelH, kRadius, kAccent);
    paint.fillRoundRectGradient(kShadow + 1.5, kShadow + 1.5, kPanelW - 3, kPanelH - 3,
                                kRadius - 1.5, rgb(46, 50, 57), rgb(27, 29, 33));
    const auto line = [&](const char* text, double y, double h, const TextStyle& style) {
        paint.text(text, 0, y, kAboutW, h, style);
    };
    paintWaveIcon(paint, WaveIcon::kSaw, kAboutW / 2 - 16, 24, 32, 11, 2.2, kAccent);
    line("KARVELUND", 38, 36, TextStyle{30, true, kText, Align::kCenter, 6.0});
    line("8-voice analogue synthesizer", 74, 16, TextStyle{12, false, kLabel, Align::kCenter});
    paint.fillRect(kAboutW / 2 - 90, 100, 180, 1, rgb(70, 75, 84));
    line("Version 1.1.3", 108, 16, TextStyle{12, false, kText, Align::kCenter});
    line("Zerlinda Audio", 126, 16, TextStyle{12, true, kAccent, Align::kCenter});
    line("Sound engine, presets and artwork by the Zerlinda Audio team", 146, 14,
         TextStyle{11, false, kLabel, Align::kCenter});
    line("click to close", 168, 14, TextStyle{10, false, kDim, Align::kCenter, 0.5});
    return box.finish();
}

} // namespace art
