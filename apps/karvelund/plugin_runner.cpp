#include "plugin_runner.h"

#include "IPluginOffline.h"

namespace kv::cli {

PluginRunner::PluginRunner(IPluginOffline& plug, int blockSize, int oversample)
    : mPlug(plug), mOversample(oversample) {
    for (int c = 0; c < 2; ++c) {
        mOutputs[c].assign(static_cast<size_t>(blockSize), 0.0);
        if (oversample > 1)
            mOversampled[c].assign(static_cast<size_t>(blockSize) * oversample, 0.0);
    }
}

void PluginRunner::sendMidi(int offset, unsigned char status, unsigned char data1,
                            unsigned char data2) {
    mPlug.SendMidiToPlug(IMidiMsg(offset * mOversample, status, data1, data2));
}

void PluginRunner::setTransport(ITimeInfo transport, int64_t start) {
    transport.mSamplePos = static_cast<double>(start * mOversample);
    mPlug.SetTransport(transport);
}

void PluginRunner::render(int n) {
    if (mOversample == 1) {
        double* outputs[2] = {mOutputs[0].data(), mOutputs[1].data()};
        mPlug.Render(outputs, n);
        return;
    }
    double* oversampled[2] = {mOversampled[0].data(), mOversampled[1].data()};
    mPlug.Render(oversampled, n * mOversample);
    for (int c = 0; c < 2; ++c)
        mDecimators[c].process(mOversampled[c].data(), mOutputs[c].data(), n);
}

} // namespace kv::cli
