#pragma once

#include "HalfBandDecimator.h"

#include <cstdint>
#include <vector>

class IPluginOffline;
struct ITimeInfo;

namespace kv::cli {

// Runs the plug-in for a render whose blocks, event offsets and transport are counted at the
// output rate: directly, or oversampled at twice that rate (the plug-in initialised so), with
// each channel brought back down by a half-band decimator. Oversampled, an event at output
// sample k reaches the plug-in at its sample 2k, and the output lags the plug-in by
// `latency()` samples, with no fractional part.
class PluginRunner {
public:
    // `oversample` is 1 or 2.
    PluginRunner(IPluginOffline& plug, int blockSize, int oversample);

    int latency() const { return mOversample == 1 ? 0 : HalfBandDecimator::kLatency; }
    // A MIDI message for the next block, at an offset counted at the output rate.
    void sendMidi(int offset, unsigned char status, unsigned char data1, unsigned char data2);
    // The transport for the block that starts at output sample `start`.
    void setTransport(ITimeInfo transport, int64_t start);
    // Renders n output samples (at most the block size) into left() and right().
    void render(int n);
    const double* left() const { return mOutputs[0].data(); }
    const double* right() const { return mOutputs[1].data(); }

private:
    IPluginOffline& mPlug;
    int mOversample;
    std::vector<double> mOutputs[2];
    std::vector<double> mOversampled[2]; // the plug-in's own blocks, when oversampling
    HalfBandDecimator mDecimators[2];
};

} // namespace kv::cli
