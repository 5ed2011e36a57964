#include "midi_render.h"

#include "IPluginOffline.h"
#include "plugin_runner.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kv::cli {

namespace {

// Watches the output after the last event for the run of quiet samples that ends the tail.
class TailWatch {
public:
    TailWatch(const RenderTail& tail, int64_t lastEventSample)
        : mTail(tail), mAfter(lastEventSample) {}

    // How many of the n samples starting at `start` to keep: all of them, or up to the one
    // that completes the quiet run.
    int keep(const double* samples, int64_t start, int n) {
        if (!mTail.untilQuiet) return n;
        for (int i = 0; i < n; ++i) {
            if (start + i <= mAfter) continue;
            mQuietRun = std::abs(samples[i]) < mTail.quietLevel ? mQuietRun + 1 : 0;
            if (mQuietRun >= mTail.quietSamples) {
                mDone = true;
                return i + 1;
            }
        }
        return n;
    }
    bool done() const { return mDone; }

private:
    RenderTail mTail;
    int64_t mAfter;
    int64_t mQuietRun = 0;
    bool mDone = false;
};

} // namespace

int64_t renderMidiEvents(IPluginOffline& plug, const std::vector<MidiFileEvent>& events,
                         double rate, int blockSize, const RenderTail& tail, const BlockSink& sink,
                         const RenderHost& host) {
    const int64_t total = renderLength(events, rate, tail);
    const int64_t lastEvent = events.empty() ? 0 : eventSample(events.back().seconds, rate);
    TailWatch watch(tail, lastEvent);

    PluginRunner runner(plug, blockSize, host.oversample);
    // The plug-in runs this far ahead of the output: `start` counts its samples, and the
    // first `latency` of its output only fill the decimator.
    const int64_t latency = runner.latency();
    ITimeInfo transport = plug.GetTransport();
    transport.mTransportIsRunning = true;

    size_t nextEvent = 0, nextTempo = 0;
    int64_t start = 0, written = 0;
    while (start < total + latency && !watch.done()) {
        int64_t end = std::min(start + blockSize, total + latency);
        // Tempo changes up to here apply now; the next one ends this block.
        for (; nextTempo < host.tempos.size(); ++nextTempo) {
            const int64_t at = eventSample(host.tempos[nextTempo].seconds, rate);
            if (at > start) {
                end = std::min(end, at);
                break;
            }
            transport.mTempo = host.tempos[nextTempo].beatsPerMinute;
        }
        for (; nextEvent < events.size(); ++nextEvent) {
            const MidiFileEvent& e = events[nextEvent];
            const int64_t p = eventSample(e.seconds, rate);
            if (p >= end) break;
            if (host.programChangesSelectPresets && isProgramChange(e)) {
                if (p > start) { // the block ends here; the change opens the next one
                    end = p;
                    break;
                }
                const int from = plug.GetCurrentPresetIdx();
                if (plug.SelectPreset(e.data1) && host.onPresetChange)
                    host.onPresetChange(p, from, e.data1);
                continue;
            }
            // Events come in time order, so none lies before this block.
            runner.sendMidi(static_cast<int>(p - start), e.status, e.data1, e.data2);
        }
        const int n = static_cast<int>(end - start);
        runner.setTransport(transport, start);
        runner.render(n);
        start = end;
        const int skip = static_cast<int>(std::clamp<int64_t>(latency - (start - n), 0, n));
        if (skip == n) continue;
        const int kept = watch.keep(runner.left() + skip, written, n - skip);
        if (!sink(runner.left() + skip, runner.right() + skip, kept)) return -1;
        written += kept;
    }
    return written;
}

} // namespace kv::cli
