#include "art_background.h"

#include "art_controls.h"
#include "art_geometry.h"
#include "art_icons.h"
#include "art_keys.h"
#include "art_layout.h"
#include "art_style.h"

#include <cmath>

namespace art {

namespace {

constexpr double kPanelRadius = 6.0;
const TextStyle kSmallCaps{9, true, kDim, Align::kLeft, 2.0};

void paintSection(Canvas& bg, const Section& s) {
    bg.fillRoundRect(s.x, s.y, s.w, s.h, kPanelRadius, kPanelEdge);
    bg.fillRoundRectGradient(s.x + 1, s.y + 1, s.w - 2, s.h - 2, kPanelRadius - 1, kPanel,
                             kPanelShade);
    const Box title = sectionTitleExtent(bg, s);
    bg.text(s.title, title.x, title.y, title.w + 4, title.h, kTitleStyle);
    const double ruleX = title.right() + 8;
    bg.fillRect(ruleX, s.y + 13, s.x + s.w - 12 - ruleX, 1, kPanelEdge);
}

// The ring of value marks around a knob and the shadow it sits in.
void paintKnobScale(Canvas& bg, int x, int y) {
    const double cx = x + knobCentre(bg.scale()), cy = y + knobCentre(bg.scale());
    bg.fillCircle(cx, cy, kKnobRadius + 1.5, kShadow, 0.7f);
    constexpr int kMarks = 11;
    for (int i = 0; i < kMarks; ++i) {
        const double a = kKnobMinAngle + (kKnobMaxAngle - kKnobMinAngle) * i / (kMarks - 1);
        const bool major = i == 0 || i == kMarks - 1 || i == kMarks / 2;
        const double r0 = kKnobRadius + 3.5, r1 = major ? kKnobRadius + 6.0 : kKnobRadius + 5.0;
        bg.line(cx + r0 * std::sin(a), cy - r0 * std::cos(a), cx + r1 * std::sin(a),
                cy - r1 * std::cos(a), 1.4, major ? kLabel : rgb(112, 119, 128));
    }
}

// The slot a fader handle runs in, with a mark at every tenth of its travel.
void paintFaderScale(Canvas& bg, int x, int y) {
    const int centreTop = faderHandleTop(y, 1.0) + kHandleH / 2;
    const int centreBottom = faderHandleTop(y, 0.0) + kHandleH / 2;
    const double slotX = x + kHandleW / 2 - 2;
    bg.fillRoundRect(slotX - 1, centreTop - 7, 7, centreBottom - centreTop + 15, 3.5,
                     rgb(44, 48, 54));
    bg.fillRoundRect(slotX, centreTop - 6, 5, centreBottom - centreTop + 13, 2.5, kInset);
    for (int i = 0; i <= 10; ++i) {
        const int row = faderHandleTop(y, i / 10.0) + kHandleH / 2;
        const bool major = i % 5 == 0;
        const int len = major ? 6 : 4;
        const RAST_pixel ink = major ? kLabel : kDim;
        bg.fillRect(x - 2 - len, row, len, 1, ink);
        bg.fillRect(x + kHandleW + 2, row, len, 1, ink);
    }
}

void paintLabel(Canvas& bg, const PlacedControl& c) {
    const LabelSpot spot = labelSpot(c);
    TextStyle style = kLabelStyle;
    style.align = spot.align;
    bg.text(c.label, spot.box.x, spot.box.y, spot.box.w, spot.box.h, style);
}

// A sketch of the envelope's shape above its four faders, one stage over each.
void paintEnvelopeSketch(Canvas& bg) {
    const std::vector<Point> stages = {{606, 298}, {662, 262}, {738, 281}, {822, 281}, {878, 298}};
    const RAST_pixel ink = rgb(86, 93, 102);
    bg.polyline(stages, 1.5, ink);
    for (const Point& p : stages)
        bg.fillCircle(p.x, p.y, 2.0, ink);
}

void paintPresetField(Canvas& bg) {
    bg.text("PRESET", kPresetL + 1, 6, 100, 12, kSmallCaps);
    const int l = kPresetL - 4, t = kPresetT - 4;
    const int w = kPresetR - kPresetL + 9, h = kPresetB - kPresetT + 9;
    bg.fillRoundRect(l, t, w, h, 5, kPanelEdge);
    bg.fillRoundRect(l + 1, t + 1, w - 2, h - 2, 4, kInset);
}

void paintLogo(Canvas& bg) {
    const int right = kLogoR - 16;
    const TextStyle maker{9, true, kLabel, Align::kRight, 3.0};
    const TextStyle product{26, true, kText, Align::kRight, 5.0};
    bg.text("ZERLINDA AUDIO", kLogoL, 9, right - kLogoL, 12, maker);
    bg.text("KARVELUND", kLogoL, 19, right - kLogoL, 32, product);
    const double nameW = bg.textWidth("KARVELUND", product);
    paintWaveIcon(bg, WaveIcon::kSaw, right - nameW - 44, 29, 30, 12, 2.2, kAccent);
}

void paintFooter(Canvas& bg) {
    const int y = 492;
    bg.text("ZERLINDA AUDIO", 14, y, 400, 12, kSmallCaps);
    TextStyle right = kSmallCaps;
    right.align = Align::kRight;
    bg.text("VERSION 1.1.3", kEditorW - 414, y, 400, 12, right);
}

// The plate at the keyboard's right end.
void paintNameplate(Canvas& bg) {
    const Box plate = nameplate();
    bg.fillRoundRect(plate.x, plate.y, plate.w, plate.h, kPanelRadius, kPanelEdge);
    bg.fillRoundRectGradient(plate.x + 1, plate.y + 1, plate.w - 2, plate.h - 2, kPanelRadius - 1,
                             kPanel, kPanelShade);
    bg.text("8 VOICES", plate.x, plate.y + 10, plate.w, 16,
            TextStyle{13, true, kText, Align::kCenter, 3.0});
    bg.text("ANALOGUE SYNTHESIZER", plate.x, plate.y + 28, plate.w, 12,
            TextStyle{8, true, kDim, Align::kCenter, 0.8});
}

// Above each oscillator knob, a picture of what it does to the sound.
void paintOscillatorHints(Canvas& bg) {
    const struct {
        int knobX;
        WaveIcon icon;
    } hints[] = {{276, WaveIcon::kHardSync},
                 {356, WaveIcon::kPulse},
                 {434, WaveIcon::kDetune},
                 {512, WaveIcon::kSubWave}};
    for (const auto& h : hints) {
        const double centre = h.knobX + knobCentre(1);
        paintWaveIcon(bg, h.icon, centre - 14, 97, 28, 13, 1.4, rgb(128, 136, 146));
    }
}

} // namespace

std::unique_ptr<Canvas> drawBackground(int scale) {
    auto bg = std::make_unique<Canvas>(kEditorW, kEditorH, scale);
    bg->fillRectGradient(0, 0, kEditorW, kEditorH, rgb(25, 27, 31), rgb(15, 16, 19));
    paintPresetField(*bg);
    paintLogo(*bg);
    for (const Section& s : sections())
        paintSection(*bg, s);
    paintKeyboard(*bg);
    paintEnvelopeSketch(*bg);
    paintOscillatorHints(*bg);
    paintNameplate(*bg);
    for (const PlacedControl& c : placedControls()) {
        if (c.kind == Kind::kKnob) paintKnobScale(*bg, c.x, c.y);
        if (c.kind == Kind::kFader) paintFaderScale(*bg, c.x, c.y);
        paintLabel(*bg, c);
    }
    paintFooter(*bg);
    return bg;
}

} // namespace art
