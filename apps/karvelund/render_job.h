#pragma once
// One render from events to an audio file, shared by `render` and `audition`.

#include "midi_render.h"
#include "wav_writer.h"

#include <cstdint>
#include <string>

namespace kv::cli {

struct AudioFileSpec {
    std::string path;
    AudioContainer container = AudioContainer::Wav;
    WavSampleFormat format = WavSampleFormat::Float32;
    int channels = 2;
};

struct RenderStats {
    int64_t frames = 0;
    double peak = 0.0;
    int64_t clippedSamples = 0; // samples at the engine's clip level of ±1
    double elapsedSeconds = 0.0;
};

// The engine clips its output here.
inline constexpr double kClipLevel = 1.0;

// Renders the events through the initialised plug-in into the file. False with a message
// when the file cannot be written; nothing is left behind then.
bool renderToFile(IPluginOffline& plug, const std::vector<MidiFileEvent>& events, double rate,
                  int blockSize, const RenderTail& tail, const RenderHost& host,
                  const AudioFileSpec& file, bool showProgress, RenderStats& stats,
                  std::string& error);

// The tail that runs until the output has stayed below -90 dBFS for 100 ms, at most 30 s.
RenderTail quietTail(double rate);

// "1:02:03.5" style time for messages.
std::string clockTime(double seconds);

double toDecibels(double level);

} // namespace kv::cli
