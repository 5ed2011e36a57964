#pragma once
// Small waveform pictures drawn as strokes: the instrument's mark and the oscillator panel's
// hints above its knobs.

#include "art_canvas.h"

namespace art {

enum class WaveIcon {
    kSaw,      // three teeth: the instrument's mark
    kHardSync, // a saw restarted before its ramp ends
    kPulse,    // narrow pulses
    kDetune,   // two saws slightly apart
    kSubWave,  // sine becoming square
};

// Draws the icon into the box (x, y, w, h) with strokes of the given width.
void paintWaveIcon(Canvas& canvas, WaveIcon icon, double x, double y, double w, double h,
                   double stroke, RAST_pixel color);

} // namespace art
