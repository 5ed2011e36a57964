// Standard MIDI Files as the karvelund tool reads them: a file that parses gives ordered,
// well-formed events, and playing them through the instrument stays sane.
#include "FuzzKit.h"
#include "midi_file.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>

namespace {

void RequireWellFormed(const kv::cli::MidiFile& file) {
    double last = 0.0;
    for (const kv::cli::MidiFileEvent& event : file.events) {
        if (!std::isfinite(event.seconds) || event.seconds < last)
            kvfuzz::Fail("event times out of order or not finite (%g after %g)", event.seconds,
                         last);
        if (event.status < 0x80 || event.status > 0xEF || event.data1 > 127 || event.data2 > 127)
            kvfuzz::Fail("malformed event %02x %02x %02x", event.status, event.data1, event.data2);
        last = event.seconds;
    }
    if (!std::isfinite(file.durationSeconds) || file.durationSeconds < 0.0)
        kvfuzz::Fail("duration %g", file.durationSeconds);
}

// The events of the first 64 ms through the instrument.
void Play(const kv::cli::MidiFile& file) {
    constexpr int kBlock = 256;
    Karvelund& plug = kvfuzz::Instrument();
    static double left[kBlock], right[kBlock];
    double* outputs[2] = {left, right};
    const double blockSeconds = kBlock / 48000.0;
    size_t next = 0;
    for (int block = 0; block < 12; ++block) {
        const double end = (block + 1) * blockSeconds;
        for (; next < file.events.size() && file.events[next].seconds < end; ++next) {
            const kv::cli::MidiFileEvent& e = file.events[next];
            const int offset = std::clamp(
                static_cast<int>((e.seconds - block * blockSeconds) * 48000.0), 0, kBlock - 1);
            plug.SendMidiToPlug(IMidiMsg(offset, e.status, e.data1, e.data2));
        }
        plug.Render(outputs, kBlock);
        kvfuzz::RequireSaneBlock(left, kBlock, "playing a MIDI file");
    }
    kvfuzz::Restart();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kv::cli::MidiFile file;
    std::string error;
    if (!kv::cli::parseMidiFile(std::span<const uint8_t>(data, size), file, error)) {
        if (error.empty()) kvfuzz::Fail("a refused MIDI file without an error message");
        if (!file.events.empty()) kvfuzz::Fail("a refused MIDI file left events behind");
        return 0;
    }
    RequireWellFormed(file);
    if (!file.events.empty()) Play(file);
    return 0;
}
