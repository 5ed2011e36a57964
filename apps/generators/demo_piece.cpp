#include "demo_piece.h"

#include <algorithm>
#include <array>
#include <string>

namespace kv::demo {

namespace {

using cli::MidiTrack;
using cli::MidiTrackEvent;

constexpr uint16_t kQuarter = 480;
constexpr uint32_t kEighth = kQuarter / 2;
constexpr uint32_t kBar = 4 * kQuarter;
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kPitchBend = 0xE0;
constexpr uint8_t kModWheel = 1;
constexpr uint8_t kSustainPedal = 64;
constexpr int kBendCentre = 8192;
constexpr uint32_t kGestureStep = 30; // ticks between controller steps of a gesture

constexpr uint32_t barStart(int bar) {
    return static_cast<uint32_t>(bar) * kBar;
}

// Collects one part's events. At equal ticks note-offs come first, then controllers, then
// note-ons, so a repeated note is released before it starts again and gestures apply to the note
// they start with.
class Part {
public:
    void note(uint32_t start, uint32_t length, uint8_t pitch, uint8_t velocity) {
        add(start, kRankNoteOn, cli::midiChannelEvent(start, kNoteOn, pitch, velocity));
        add(start + length, kRankNoteOff,
            cli::midiChannelEvent(start + length, kNoteOff, pitch, 64));
    }
    void control(uint32_t tick, uint8_t number, uint8_t value) {
        add(tick, kRankControl, cli::midiChannelEvent(tick, kControlChange, number, value));
    }
    void bend(uint32_t tick, int value) {
        add(tick, kRankControl,
            cli::midiChannelEvent(tick, kPitchBend, static_cast<uint8_t>(value & 0x7F),
                                  static_cast<uint8_t>(value >> 7)));
    }
    // Linear steps from `from` at `start` to `to` at `end`, sent through `send(tick, value)`.
    template <typename Send> void ramp(uint32_t start, uint32_t end, int from, int to, Send send) {
        for (uint32_t tick = start; tick <= end; tick += kGestureStep) {
            const double progress = static_cast<double>(tick - start) / (end - start);
            send(tick, from + static_cast<int>((to - from) * progress + 0.5));
        }
    }
    void rampControl(uint32_t start, uint32_t end, uint8_t number, int from, int to) {
        ramp(start, end, from, to,
             [&](uint32_t t, int v) { control(t, number, static_cast<uint8_t>(v)); });
    }
    void rampBend(uint32_t start, uint32_t end, int from, int to) {
        ramp(start, end, from, to, [&](uint32_t t, int v) { bend(t, v); });
    }

    MidiTrack finish(const std::string& name) {
        std::stable_sort(mEvents.begin(), mEvents.end(), [](const Timed& a, const Timed& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.rank < b.rank;
        });
        MidiTrack track;
        track.events.push_back(cli::midiTextMetaEvent(0, 0x03, name));
        for (Timed& timed : mEvents)
            track.events.push_back(std::move(timed.event));
        return track;
    }

private:
    static constexpr int kRankNoteOff = 0;
    static constexpr int kRankControl = 1;
    static constexpr int kRankNoteOn = 2;
    struct Timed {
        uint32_t tick;
        int rank;
        MidiTrackEvent event;
    };
    void add(uint32_t tick, int rank, MidiTrackEvent event) {
        mEvents.push_back({tick, rank, std::move(event)});
    }
    std::vector<Timed> mEvents;
};

struct Chord {
    uint8_t bassRoot;
    std::array<uint8_t, 3> pad;
};

// Am F C G | Am F C E | F G Em Am | Am (held)
constexpr std::array<Chord, 13> kChords = {{
    {45, {57, 60, 64}},
    {41, {57, 60, 65}},
    {36, {55, 60, 64}},
    {43, {55, 59, 62}},
    {45, {57, 60, 64}},
    {41, {57, 60, 65}},
    {36, {55, 60, 64}},
    {40, {56, 59, 64}},
    {41, {57, 60, 65}},
    {43, {55, 59, 62}},
    {40, {55, 59, 64}},
    {45, {57, 60, 64}},
    {33, {57, 60, 64}},
}};
constexpr int kFinalBar = 12;
constexpr uint32_t kFinalRelease = barStart(kFinalBar + 1) + 2 * kQuarter;
constexpr uint32_t kPieceEnd = barStart(kFinalBar + 2);

MidiTrack conductorTrack() {
    MidiTrack track;
    track.events.push_back(cli::midiTextMetaEvent(0, 0x03, "Karvelund demo"));
    const uint8_t fourFour[] = {4, 2, 24, 8};
    const uint8_t aMinor[] = {0, 1};
    track.events.push_back(cli::midiMetaEvent(0, 0x58, fourFour));
    track.events.push_back(cli::midiMetaEvent(0, 0x59, aMinor));
    track.events.push_back(cli::midiTempoEvent(0, 60'000'000 / 104));
    track.events.push_back(cli::midiTempoEvent(barStart(8), 60'000'000 / 96));
    track.events.push_back(cli::midiTempoEvent(barStart(kFinalBar), 60'000'000 / 84));
    track.events.push_back(cli::midiMetaEvent(kPieceEnd, 0x2F, {}));
    return track;
}

MidiTrack bassTrack() {
    Part bass;
    for (int bar = 0; bar < kFinalBar; ++bar) {
        const uint32_t t = barStart(bar);
        const uint8_t root = kChords[bar].bassRoot;
        const auto fifth = static_cast<uint8_t>(root + 7);
        if (bar < 2) {
            bass.note(t, kBar - 120, root, 96);
            continue;
        }
        bass.note(t, 660, root, 100);
        bass.note(t + 3 * kEighth, 180, root, 80);
        bass.note(t + 4 * kEighth, 420, fifth, 92);
        bass.note(t + 6 * kEighth, 180, fifth, 78);
        bass.note(t + 7 * kEighth, 200, root, 84);
    }
    bass.note(barStart(kFinalBar), kFinalRelease - barStart(kFinalBar), kChords[kFinalBar].bassRoot,
              96);
    return bass.finish("Bass");
}

MidiTrack padTrack() {
    Part pad;
    for (int bar = 0; bar < kFinalBar; ++bar) {
        for (uint8_t pitch : kChords[bar].pad)
            pad.note(barStart(bar), kBar, pitch, 70);
    }
    for (uint8_t pitch : kChords[kFinalBar].pad) {
        pad.note(barStart(kFinalBar), kFinalRelease - barStart(kFinalBar), pitch, 66);
    }
    return pad.finish("Pad");
}

struct LeadNote {
    int bar;
    int eighth;
    int eighths;
    uint8_t pitch;
    uint8_t velocity;
    bool staccato;
};

constexpr uint8_t A4 = 69, B4 = 71, C5 = 72, D5 = 74, E5 = 76, F5 = 77, G5 = 79, A5 = 81, B5 = 83,
                  C6 = 84, D6 = 86;

constexpr LeadNote kMelody[] = {
    {0, 6, 1, C5, 84, true},    {0, 7, 1, D5, 88, true},    {1, 0, 3, E5, 100, false},
    {1, 3, 1, F5, 90, false},   {1, 4, 2, E5, 94, false},   {1, 6, 1, D5, 86, true},
    {1, 7, 1, C5, 84, true},    {2, 0, 2, E5, 96, false},   {2, 2, 2, G5, 98, false},
    {2, 4, 4, C6, 108, false},  {3, 0, 2, B5, 100, false},  {3, 2, 1, A5, 88, true},
    {3, 3, 1, G5, 86, true},    {3, 4, 4, D5, 92, false},   {4, 0, 1, C5, 90, true},
    {4, 1, 1, E5, 92, true},    {4, 2, 3, A5, 104, false},  {4, 5, 1, G5, 88, false},
    {4, 6, 2, E5, 94, false},   {5, 0, 2, F5, 96, false},   {5, 2, 2, A5, 98, false},
    {5, 4, 3, C6, 106, false},  {5, 7, 1, A5, 86, true},    {6, 0, 2, G5, 98, false},
    {6, 2, 2, E5, 92, false},   {6, 4, 2, G5, 96, false},   {6, 6, 2, C6, 102, false},
    {7, 0, 6, B5, 110, false},  {7, 6, 1, E5, 88, true},    {7, 7, 1, B4, 84, true},
    {8, 0, 3, A5, 102, false},  {8, 3, 1, C6, 96, false},   {8, 4, 2, A5, 94, false},
    {8, 6, 2, F5, 92, false},   {9, 0, 3, G5, 100, false},  {9, 3, 1, B5, 94, false},
    {9, 4, 4, D6, 112, false},  {10, 0, 2, B5, 100, false}, {10, 2, 2, G5, 94, false},
    {10, 4, 2, E5, 92, false},  {10, 6, 1, G5, 86, true},   {10, 7, 1, A5, 90, true},
    {11, 0, 8, A5, 104, false}, {12, 0, 1, A4, 80, true},   {12, 1, 1, C5, 84, true},
    {12, 2, 1, E5, 88, true},   {12, 3, 1, A5, 92, true},
};

void addLeadGestures(Part& lead) {
    // A swell of vibrato on the long C6.
    lead.rampControl(barStart(2) + 4 * kEighth + 120, barStart(2) + 7 * kEighth + 120, kModWheel, 0,
                     80);
    lead.control(barStart(3), kModWheel, 0);
    // A scoop up into the held B5.
    lead.rampBend(barStart(7), barStart(7) + 180, kBendCentre - 4096, kBendCentre);
    // A rise at the end of the held D6, released with the next note.
    lead.rampBend(barStart(9) + 1500, barStart(9) + 1800, kBendCentre, kBendCentre + 4096);
    lead.bend(barStart(10), kBendCentre);
    // Vibrato growing through the long A5.
    lead.rampControl(barStart(11) + kEighth, barStart(11) + 7 * kEighth, kModWheel, 0, 100);
    lead.control(barStart(12), kModWheel, 0);
    // The closing arpeggio rings under the pedal with the final chord.
    lead.control(barStart(kFinalBar), kSustainPedal, 127);
    lead.control(kFinalRelease, kSustainPedal, 0);
}

MidiTrack leadTrack() {
    Part lead;
    for (const LeadNote& n : kMelody) {
        const uint32_t start = barStart(n.bar) + static_cast<uint32_t>(n.eighth) * kEighth;
        const uint32_t length = n.staccato ? 100 : static_cast<uint32_t>(n.eighths) * kEighth - 12;
        lead.note(start, length, n.pitch, n.velocity);
    }
    addLeadGestures(lead);
    return lead.finish("Lead");
}

} // namespace

cli::MidiFileLayout demoPieceLayout() {
    return {1, kQuarter, true};
}

std::vector<MidiTrack> composeDemoPiece() {
    return {conductorTrack(), bassTrack(), padTrack(), leadTrack()};
}

} // namespace kv::demo
