#pragma once
// Converts a MIDI file's ticks into seconds from its division and tempo changes.

#include <cstdint>
#include <vector>

namespace kv::cli {

struct TempoChange {
    uint64_t tick = 0;
    uint32_t microsPerQuarter = 500000;
};

class TempoMap {
public:
    // Metrical time: `changes` sorted by tick; at equal ticks the last one wins. Until the first
    // change the tempo is 120 beats per minute.
    static TempoMap metrical(uint16_t ticksPerQuarter, const std::vector<TempoChange>& changes);
    // Time code: a fixed number of ticks per second; tempo changes do not apply.
    static TempoMap timecode(double ticksPerSecond);

    double seconds(uint64_t tick) const;

private:
    struct Segment {
        uint64_t tick;
        double seconds;
        double secondsPerTick;
    };
    std::vector<Segment> mSegments; // sorted by tick, never empty, first at tick 0
};

} // namespace kv::cli
