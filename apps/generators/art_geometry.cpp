#include "art_geometry.h"

#include "art_controls.h"
#include "art_keys.h"
#include "art_style.h"

#include <cmath>

namespace art {

namespace {

constexpr int kLabelGap = 8; // between a label and the control it names
constexpr int kLabelH = 14;
constexpr double kKnobMarksReach = 24.5; // from the knob's centre
constexpr int kFaderMarksReach = 8;      // beyond the handle on each side

} // namespace

const TextStyle kLabelStyle{kLabelSize, false, kLabel, Align::kCenter, 0.0};
const TextStyle kTitleStyle{kTitleSize, true, kAccent, Align::kLeft, 1.5};

Box keyboardBed() {
    const int right = whiteKeyLeft(kKeyboardOctaves * 7 + 1) + 1;
    return {0, kKeyboardY - 2.0, double(right), kWhiteKeyH + 4.0};
}

Box nameplate() {
    const Box bed = keyboardBed();
    return {bed.right() + 4, bed.y, 150, bed.h};
}

Box sectionBox(const Section& s) {
    return {double(s.x), double(s.y), double(s.w), double(s.h)};
}

Box sectionTitleExtent(Canvas& measure, const Section& s) {
    return {s.x + 12.0, s.y + 6.0, measure.textWidth(s.title, kTitleStyle), 14};
}

Box controlBox(const PlacedControl& c) {
    switch (c.kind) {
    case Kind::kKnob:
        return {double(c.x), double(c.y), kKnobSize, kKnobSize};
    case Kind::kFader:
        return {double(c.x), double(c.y), kHandleW, kFaderTravel};
    case Kind::kStepSwitch:
        return {double(c.x), double(c.y), kStepperW, kStepperH};
    case Kind::kFrameSwitch: {
        const FrameSwitchArt& art = frameSwitch(c.image);
        return {double(c.x), double(c.y), double(frameSwitchWidth(art)),
                double(frameSwitchHeight(art))};
    }
    }
    return {};
}

Box controlExtent(const PlacedControl& c) {
    const Box box = controlBox(c);
    if (c.kind == Kind::kKnob) {
        // The marks span the knob's travel, so below the knob they reach only as far as the
        // ends of its range.
        const double cx = box.x + kKnobSize / 2 + 0.5, cy = box.y + kKnobSize / 2 + 0.5;
        const double below = kKnobMarksReach * -std::cos(kKnobMaxAngle);
        return {cx - kKnobMarksReach, cy - kKnobMarksReach, 2 * kKnobMarksReach,
                kKnobMarksReach + below};
    }
    if (c.kind == Kind::kFader)
        return {box.x - kFaderMarksReach, box.y, box.w + 2 * kFaderMarksReach, box.h};
    return box;
}

LabelSpot labelSpot(const PlacedControl& c) {
    const Box extent = controlExtent(c), box = controlBox(c);
    if (c.side == LabelSide::kLeft) {
        constexpr double kWidth = 120;
        return {{extent.x - kLabelGap - kWidth, box.y, kWidth, box.h}, Align::kRight};
    }
    constexpr double kWidth = 100;
    const double centre = extent.x + extent.w / 2;
    // Under a knob the label tucks between the ends of its marks.
    const double top = c.kind == Kind::kKnob ? box.bottom() + 5 : box.bottom() + 3;
    return {{centre - kWidth / 2, top, kWidth, kLabelH}, Align::kCenter};
}

Box labelExtent(Canvas& measure, const PlacedControl& c) {
    const LabelSpot spot = labelSpot(c);
    const double w = measure.textWidth(c.label, kLabelStyle);
    const double h = kLabelSize + 2; // cap height plus descenders, roughly
    const double y = spot.box.y + (spot.box.h - h) / 2;
    switch (spot.align) {
    case Align::kLeft:
        return {spot.box.x, y, w, h};
    case Align::kRight:
        return {spot.box.right() - w, y, w, h};
    case Align::kCenter:
        break;
    }
    return {spot.box.x + (spot.box.w - w) / 2, y, w, h};
}

} // namespace art
