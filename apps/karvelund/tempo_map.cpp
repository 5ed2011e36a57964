#include "tempo_map.h"

#include <algorithm>

namespace kv::cli {

namespace {
constexpr uint32_t kDefaultMicrosPerQuarter = 500000;

double secondsPerTick(uint32_t microsPerQuarter, uint16_t ticksPerQuarter) {
    return microsPerQuarter / (1e6 * ticksPerQuarter);
}
} // namespace

TempoMap TempoMap::metrical(uint16_t ticksPerQuarter, const std::vector<TempoChange>& changes) {
    TempoMap map;
    map.mSegments.push_back({0, 0.0, secondsPerTick(kDefaultMicrosPerQuarter, ticksPerQuarter)});
    for (const TempoChange& change : changes) {
        const double rate = secondsPerTick(change.microsPerQuarter, ticksPerQuarter);
        Segment& last = map.mSegments.back();
        if (change.tick == last.tick) {
            last.secondsPerTick = rate;
        } else {
            map.mSegments.push_back({change.tick, map.seconds(change.tick), rate});
        }
    }
    return map;
}

TempoMap TempoMap::timecode(double ticksPerSecond) {
    TempoMap map;
    map.mSegments.push_back({0, 0.0, 1.0 / ticksPerSecond});
    return map;
}

double TempoMap::seconds(uint64_t tick) const {
    auto after = std::upper_bound(mSegments.begin(), mSegments.end(), tick,
                                  [](uint64_t t, const Segment& s) { return t < s.tick; });
    const Segment& segment = *(after - 1);
    return segment.seconds + static_cast<double>(tick - segment.tick) * segment.secondsPerTick;
}

} // namespace kv::cli
