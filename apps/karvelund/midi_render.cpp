#include "midi_render.h"

#include "IPluginOffline.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kv::cli {

int64_t renderMidiEvents(IPluginOffline& plug, const std::vector<MidiFileEvent>& events,
                         double rate, int blockSize, int64_t tailSamples, const BlockSink& sink) {
    const int64_t total = renderLength(events, rate, tailSamples);

    std::vector<double> left(static_cast<size_t>(blockSize)), right(left.size());
    double* outputs[2] = {left.data(), right.data()};
    ITimeInfo transport = plug.GetTransport();
    transport.mTransportIsRunning = true;

    size_t next = 0;
    for (int64_t start = 0; start < total; start += blockSize) {
        const int n = static_cast<int>(std::min<int64_t>(blockSize, total - start));
        while (next < events.size()) {
            const MidiFileEvent& e = events[next];
            const int64_t p = eventSample(e.seconds, rate);
            if (p >= start + n) break;
            // Events come in time order, so none lies before this block.
            plug.SendMidiToPlug(IMidiMsg(static_cast<int>(p - start), e.status, e.data1, e.data2));
            ++next;
        }
        transport.mSamplePos = static_cast<double>(start);
        plug.SetTransport(transport);
        plug.Render(outputs, n);
        if (!sink(left.data(), right.data(), n)) return -1;
    }
    return total;
}

} // namespace kv::cli
