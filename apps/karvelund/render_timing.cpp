#include "render_timing.h"

#include <cmath>

namespace kv::cli {

namespace {

// Far beyond any render (about 190 000 years at 768 kHz), and exact as a double.
constexpr double kSampleCeiling = 4.0e18;

} // namespace

int64_t eventSample(double seconds, double rate) {
    const double position = std::floor(seconds * rate + 0.5);
    if (!(position < kSampleCeiling)) return static_cast<int64_t>(kSampleCeiling);
    return position > 0.0 ? static_cast<int64_t>(position) : 0;
}

int64_t renderLength(const std::vector<MidiFileEvent>& events, double rate,
                     const RenderTail& tail) {
    const int64_t lastEvent = events.empty() ? 0 : eventSample(events.back().seconds, rate);
    return lastEvent + 1 + (tail.untilQuiet ? tail.maxSamples : tail.samples);
}

} // namespace kv::cli
