#include "art_about.h"

#include "art_style.h"

namespace art {

std::unique_ptr<Canvas> drawAboutBox(int scale) {
    constexpr double kRadius = 10.0;
    Sprite box(kAboutW, kAboutH, scale, kAccent);
    box.shape().fillRoundRect(0, 0, kAboutW, kAboutH, kRadius, kCovered);

    Canvas& paint = box.color();
    paint.fillRoundRectGradient(1.5, 1.5, kAboutW - 3, kAboutH - 3, kRadius - 1.5, rgb(44, 48, 54),
                                rgb(27, 29, 33));
    const auto line = [&](const char* text, double y, double h, const TextStyle& style) {
        paint.text(text, 0, y, kAboutW, h, style);
    };
    line("KARVELUND", 22, 38, TextStyle{30, true, kText, Align::kCenter, 6.0});
    line("8-voice analogue synthesizer", 60, 16, TextStyle{12, false, kLabel, Align::kCenter});
    line("Version 1.1.3", 88, 16, TextStyle{12, false, kText, Align::kCenter});
    line("Zerlinda Audio", 106, 16, TextStyle{12, true, kAccent, Align::kCenter});
    line("Sound engine, presets and artwork by the Zerlinda Audio team", 126, 16,
         TextStyle{11, false, kLabel, Align::kCenter});
    line("click to close", 152, 14, TextStyle{10, false, kDim, Align::kCenter, 0.5});
    return box.finish();
}

} // namespace art
