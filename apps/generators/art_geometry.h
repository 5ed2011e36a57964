#pragma once
// The rectangles the artwork occupies on the editor: each control's own, the marks drawn around
// it on the background, and the place of its label.

#include "art_canvas.h"
#include "art_layout.h"

namespace art {

struct Box {
    double x, y, w, h;

    double right() const { return x + w; }
    double bottom() const { return y + h; }
    bool intersects(const Box& o) const {
        return x < o.right() && o.x < right() && y < o.bottom() && o.y < bottom();
    }
    bool inside(const Box& o) const {
        return x >= o.x && y >= o.y && right() <= o.right() && bottom() <= o.bottom();
    }
};

// The control's rectangle in the editor (one frame of its image; a fader's whole travel).
Box controlBox(const PlacedControl& c);
// The control and the value marks the background draws around it.
Box controlExtent(const PlacedControl& c);

// The box a label is aligned in, and how.
struct LabelSpot {
    Box box;
    Align align;
};
LabelSpot labelSpot(const PlacedControl& c);

// The box the label's text covers, measured with the label style.
Box labelExtent(Canvas& measure, const PlacedControl& c);

// The keyboard with the bed it lies in, and the name plate at its right end.
Box keyboardBed();
Box nameplate();

// A panel, and the box its title covers.
Box sectionBox(const Section& s);
Box sectionTitleExtent(Canvas& measure, const Section& s);

extern const TextStyle kLabelStyle;
extern const TextStyle kTitleStyle;

} // namespace art
