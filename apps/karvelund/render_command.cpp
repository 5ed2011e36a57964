#include "commands.h"

#include "Karvelund.h"
#include "midi_render.h"
#include "progress_bar.h"
#include "render_options.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

namespace kv::cli {

namespace {

double toDecibels(double level) {
    return level > 0.0 ? 20.0 * std::log10(level) : -INFINITY;
}

} // namespace

int runRender(const std::vector<std::string>& args) {
    RenderOptions options;
    std::string error;
    if (!parseRenderOptions(args, options, error)) return usageError("render: " + error);

    MidiFile midi;
    if (!readMidiFile(options.midiPath, midi, error)) return inputError(error);

    std::unique_ptr<Karvelund> plug(MakePlug());
    if (!applySetup(*plug, options.setup, error)) return inputError(error);
    ITimeInfo transport;
    transport.mTempo = options.tempo;
    plug->SetTransport(transport);
    plug->Initialize(options.rate, options.block);

    WavWriter wav;
    const int rate = static_cast<int>(std::lround(options.rate));
    if (!wav.open(options.wavPath, rate, options.channels, options.format, error))
        return inputError(error);

    const auto started = std::chrono::steady_clock::now();
    const int64_t tail = static_cast<int64_t>(std::llround(options.tail * options.rate));
    const int64_t expected = renderLength(midi.events, options.rate, tail);
    ProgressBar progress(!options.quiet);
    std::vector<double> interleaved;
    double peak = 0.0;
    int64_t done = 0;
    const int64_t rendered =
        renderMidiEvents(*plug, midi.events, options.rate, options.block, tail,
                         [&](const double* left, const double* right, int n) {
                             for (int i = 0; i < n; ++i)
                                 peak = std::max(peak, std::abs(left[i]));
                             const double* frames = left;
                             if (options.channels == 2) {
                                 interleaved.resize(static_cast<size_t>(n) * 2);
                                 for (int i = 0; i < n; ++i) {
                                     interleaved[2 * static_cast<size_t>(i)] = left[i];
                                     interleaved[2 * static_cast<size_t>(i) + 1] = right[i];
                                 }
                                 frames = interleaved.data();
                             }
                             done += n;
                             progress.update(done, expected);
                             return wav.writeFrames(frames, static_cast<size_t>(n), error);
                         });
    progress.finish();
    if (rendered < 0 || !wav.finish(error)) return inputError(error);

    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double seconds = static_cast<double>(rendered) / options.rate;
    if (!options.quiet) {
        std::printf("%s: %.1f s, peak %.1f dBFS, rendered in %.2f s (%.0fx realtime)\n",
                    options.wavPath.c_str(), seconds, toDecibels(peak), elapsed,
                    elapsed > 0.0 ? seconds / elapsed : 0.0);
    }
    return 0;
}

} // namespace kv::cli
