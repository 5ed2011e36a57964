#include "render_timing.h"

#include <algorithm>
#include <cmath>

namespace kv::cli {

int64_t eventSample(double seconds, double rate) {
    return static_cast<int64_t>(std::floor(seconds * rate + 0.5));
}

int64_t renderLength(const std::vector<MidiFileEvent>& events, double rate, int64_t tailSamples) {
    const int64_t lastEvent = events.empty() ? 0 : eventSample(events.back().seconds, rate);
    return std::max<int64_t>(0, lastEvent + 1) + tailSamples;
}

} // namespace kv::cli
