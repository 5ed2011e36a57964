#include "LFO.h"

#include "EngineMath.h"
#include "GlobalState.h"

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

void LFO::process(LFOState* st) {
    switch (type) {
    case kSine:
        st->phase += speed;
        if (st->phase >= 1.0) st->phase -= 2.0;
        st->value = fast_sin((st->phase + 0.75) * 3.14159265359);
        break;
    case kRamp:
        st->phase -= 2.0 * speed;
        if (st->phase <= -1.0) st->phase += 2.0;
        st->value = st->phase;
        break;
    case kSquare:
        st->phase += 2.0 * speed;
        if (st->phase >= 1.0) st->phase -= 2.0;
        st->value = st->phase >= 0.0 ? 1.0 : -1.0;
        break;
    case kRandom:
        st->phase += 2.0 * speed;
        if (st->phase >= 1.0) {
            st->value = nextRandom();
            st->phase = 0.0;
        }
        break;
    case kSineOneShot:
        if (!st->oneShotDone) {
            st->phase += speed;
            if (st->phase >= 1.0) st->oneShotDone = true;
            st->value = fast_sin((st->phase + 0.5) * 3.14159265359);
        }
        break;
    case kRampOneShot:
        if (!st->oneShotDone) {
            st->phase -= 2.0 * speed;
            if (st->phase <= -1.0) st->oneShotDone = true;
            st->value = st->phase;
        }
        break;
    default:
        break;
    }

    const double m = gs->modWheel.getLFO();
    if (amount >= 0.5) {
        depth = 2.0 * (amount - 0.5);
        output = st->value * depth * depth * m;
    } else {
        depth = 2.0 * (0.5 - amount);
        output = -st->value * depth * depth * m;
    }
}

double LFO::offsetOutput(double offset) const {
    return (depth * gs->modWheel.getLFO() + output + offset) * 0.5;
}

double LFO::getPitch() const {
    return target == kPitch ? output : 0.0;
}
double LFO::getPWM() const {
    return target == kPulseWidth ? offsetOutput(0.0) : 0.0;
}
double LFO::getFilter() const {
    return target == kFilter ? offsetOutput(0.0) : 0.0;
}
double LFO::getAmp() const {
    return target == kAmp ? offsetOutput(0.0) : 0.0;
}
double LFO::getHS() const {
    return target == kHardSync ? offsetOutput(0.01) : 0.0;
}
