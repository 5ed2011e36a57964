#include "LFO.h"

#include <algorithm>

LFO::LFO(GlobalState* globalState) : gs(globalState) {}

void LFO::setType(int t) {
    type = t;
    isOneShot = t == kSineOneShot || t == kRampOneShot;
}

void LFO::setSpeed(double v) {
    if (bpmSync) {
        const int i = std::clamp(static_cast<int>(v * 26.999), 0, kNumSyncRatios - 1);
        speed = syncRatios[i] * bpm / 60.0 / sampleRate;
    } else {
        const double r = 16.0 * v;
        speed = r * r * 0.1 * 2.0 / sampleRate;
    }
}

void LFO::gateOn(LFOState* st) const {
    switch (type) {
    case kSine:
    case kSineOneShot:
        st->value = st->phase = -1.0;
        break;
    case kRamp:
    case kRampOneShot:
        st->value = st->phase = 1.0;
        break;
    case kSquare:
    case kRandom:
        st->value = st->phase = 0.0;
        break;
    default:
        break;
    }
}

double LFO::nextRandom() {
    const double r = static_cast<double>(random() >> 1); // 0..2147483647
    return r / 2147483647.0 * 2.0 - 1.0;
}
