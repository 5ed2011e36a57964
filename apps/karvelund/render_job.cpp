#include "render_job.h"

#include "progress_bar.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace kv::cli {

namespace {

constexpr double kQuietDecibels = -90.0;
constexpr double kQuietSeconds = 0.1;
constexpr double kMaxQuietTailSeconds = 30.0;

} // namespace

RenderTail quietTail(double rate) {
    RenderTail tail;
    tail.untilQuiet = true;
    tail.quietLevel = std::pow(10.0, kQuietDecibels / 20.0);
    tail.quietSamples = static_cast<int64_t>(std::llround(kQuietSeconds * rate));
    tail.maxSamples = static_cast<int64_t>(std::llround(kMaxQuietTailSeconds * rate));
    return tail;
}

std::string clockTime(double seconds) {
    char text[64];
    if (!(seconds >= 0.0 && seconds < 1e12)) { // beyond any clock a person reads
        std::snprintf(text, sizeof(text), "%.3g s", seconds);
        return text;
    }
    const auto whole = static_cast<long long>(seconds);
    std::snprintf(text, sizeof(text), "%lld:%02lld:%04.1f", whole / 3600, whole / 60 % 60,
                  seconds - static_cast<double>(whole / 60 * 60));
    return text;
}

double toDecibels(double level) {
    return level > 0.0 ? 20.0 * std::log10(level) : -INFINITY;
}

bool renderToFile(IPluginOffline& plug, const std::vector<MidiFileEvent>& events, double rate,
                  int blockSize, const RenderTail& tail, const RenderHost& host,
                  const AudioFileSpec& file, bool showProgress, RenderStats& stats,
                  std::string& error) {
    WavWriter writer;
    const int sampleRate = static_cast<int>(std::lround(rate));
    if (!writer.open(file.path, sampleRate, file.channels, file.format, error, file.container))
        return false;

    const auto started = std::chrono::steady_clock::now();
    const int64_t expected = renderLength(events, rate, tail);
    ProgressBar progress(showProgress);
    std::vector<double> interleaved;
    stats = RenderStats{};
    const int64_t rendered = renderMidiEvents(
        plug, events, rate, blockSize, tail,
        [&](const double* left, const double* right, int n) {
            for (int i = 0; i < n; ++i) {
                const double level = std::abs(left[i]);
                stats.peak = std::max(stats.peak, level);
                stats.clippedSamples += level >= kClipLevel;
            }
            const double* frames = left;
            if (file.channels == 2) {
                interleaved.resize(static_cast<size_t>(n) * 2);
                for (int i = 0; i < n; ++i) {
                    interleaved[2 * static_cast<size_t>(i)] = left[i];
                    interleaved[2 * static_cast<size_t>(i) + 1] = right[i];
                }
                frames = interleaved.data();
            }
            stats.frames += n;
            progress.update(stats.frames, expected);
            return writer.writeFrames(frames, static_cast<size_t>(n), error);
        },
        host);
    progress.finish();
    if (rendered < 0 || !writer.finish(error)) return false;
    stats.elapsedSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return true;
}

} // namespace kv::cli
