#include "ADSR.h"

#include "EngineMath.h"

#include <algorithm>
#include <climits>

void ADSR::setStageTime(int stage, double t) {
    const double incr = calcIncrFromTimeLinear(t, sampleRate);
    switch (stage) {
    case ADSRState::kAttack:
        attackIncr = incr;
        break;
    case ADSRState::kDecay:
        decayIncr = incr;
        break;
    case ADSRState::kRelease:
        releaseIncr = incr;
        break;
    default:
        break;
    }
}

double ADSR::process(ADSRState* st) const {
    const double g = gateSpeed(sampleRate);
    double out = st->level;

    switch (st->stage) {
    case ADSRState::kRetrigger:
        // Fade the previous note to zero (at most 3 ms) before the new attack.
        st->level -= g;
        st->gate -= g;
        if (st->level <= 0.0) {
            st->level = 0.0;
            st->stage = ADSRState::kAttack;
        }
        out = st->level;
        break;
    case ADSRState::kAttack:
        st->level += attackIncr;
        st->gate += g;
        if (st->level >= 1.0 || attackIncr == 0.0) {
            st->level = 1.0;
            st->stage = ADSRState::kDecay;
        }
        out = Env_curveA(st->level);
        break;
    case ADSRState::kDecay:
        st->level -= decayIncr;
        st->gate = 1.0;
        out = Env_curveDR(st->level) * (1.0 - sustainLevel) + sustainLevel;
        if (st->level <= 0.0) {
            st->level = 1.0;
            st->stage = ADSRState::kSustain;
            out = sustainLevel;
        }
        break;
    case ADSRState::kSustain:
        out = sustainLevel;
        st->gate = 1.0;
        break;
    case ADSRState::kRelease:
        st->level -= releaseIncr;
        st->gate -= g;
        if (st->level <= 0.0 || releaseIncr == 0.0) {
            st->level = 0.0;
            st->stage = ADSRState::kIdle;
        }
        out = Env_curveDR(st->level) * st->releaseStart;
        break;
    default: // idle, or an unknown stage
        out = st->level;
        break;
    }

    st->gate = std::clamp(st->gate, 0.0, 1.0);
    st->gateCopy = st->gate;
    st->lastOutput = out;
    if (st->counter < INT_MAX) // a note held for half a day must not overflow
        st->counter += 1;
    return out;
}
