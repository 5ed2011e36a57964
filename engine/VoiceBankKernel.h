#pragma once

// The voice bank's sample loop. Each VoiceBank<instruction set>.cpp includes this file once,
// compiled for its instruction set, with KARVELUND_BANK_KERNEL naming the member function it
// defines. Whole translation units are compiled per instruction set, rather than functions
// cloned per target, because GCC builds the lane comparisons of a cloned function one lane at
// a time.

#include "VoiceBank.h"

// Lane values pass between always-inlined functions only, so the calling convention of vector
// arguments, which differs between instruction sets, never applies.
#pragma GCC diagnostic ignored "-Wpsabi"

#include "EngineMath.h"
#include "LaneMath.h"
#include "Synthesizer.h"

#include <climits>
#include <cmath>

// Everything below has internal linkage (an unnamed namespace) and is always inlined.
#define BANK_INLINE inline __attribute__((always_inline))

using lanes::kLanes;
using lanes::Lanes;
using lanes::Mask;
using lanes::pick;
using lanes::select;
using lanes::splat;

namespace {

constexpr int kCores = Voice::kNumCores;
constexpr double kTwoPi = 6.28318531;
constexpr double kDetune[kCores] = {0.0,     0.005,     -0.007375, 0.01625, -0.013,
                                    0.02525, -0.018625, 0.026375,  -0.03325};
constexpr double kSlaveRates[kCores] = {0.5, 0.5, 1.0, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5};
constexpr double kPhaseOffsets[kCores] = {0.0, 0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4};

// One period off a phase that reached 1.
BANK_INLINE Lanes wrapOnce(Lanes phase) {
    return select(phase >= 1.0, phase - 2.0, phase);
}

// Voice::wrapPhase on every lane.
BANK_INLINE Lanes wrapPhase(Lanes phase) {
    const Lanes once = select(phase >= 1.0, phase - 2.0, phase);
    if (!lanes::any(once >= 1.0)) return once; // the usual case: at most one period
    return select(once >= 1.0, once - 2.0 * lanes::floor(0.5 * (once + 1.0)), once);
}

// midi2CPS(note) / rate on every lane, cached: pitches rarely change from one sample to the
// next, and a division costs as much as a dozen other operations.
BANK_INLINE Lanes relativeFrequency(Lanes note, double rate, Lanes& lastNote, Lanes& lastValue) {
    if (lanes::any(note != lastNote)) {
        lastValue = 440.0 * lanes::exp2((note - 57.0) / 12.0) / rate;
        lastNote = note;
    }
    return lastValue;
}

// relativeFrequency with midi2CPS exactly as the scalar engine computes it, for the oscillator
// pitch: the oscillator phases integrate the frequency over the whole note, so even a last-bit
// difference that leans one way would add up over minutes. Only lanes whose pitch moved are
// recomputed.
BANK_INLINE Lanes exactRelativeFrequency(Lanes note, double rate, Lanes& lastNote,
                                         Lanes& lastValue) {
    if (lanes::any(note != lastNote)) {
        for (int i = 0; i < kLanes; ++i) {
            if (note[i] != lastNote[i]) lastValue[i] = ::midi2CPS(note[i]) / rate;
        }
        lastNote = note;
    }
    return lastValue;
}

BANK_INLINE Lanes drive(Lanes in, double d) {
    const Lanes x = in * (1.0 + 99.0 * d * d);
    const Lanes y = x - 0.148148148148 * x * x * x;
    return select(x > 1.5, splat(1.0), select(x < -1.5, splat(-1.0), y));
}

} // namespace

// Every voice's running state, one lane per voice.
struct VoiceBank::State {
    Lanes note, targetNote;
    Lanes level, stage, lastOutput, releaseStart, gate, gateCopy, counter;
    Lanes lfoValue, lfoPhase, lfoDone;
    Lanes velAmp, velFilter;
    Lanes masterPhase[kCores], slavePhase[kCores], sawCore[kCores];
    Lanes pulseCore, subPhase, subCore1, subCore2, prevMix, prevScaled, out;
    Lanes s1, s2, s3, s4;

    BANK_INLINE void load(const Synthesizer& synth) {
        for (int i = 0; i < kLanes; ++i) {
            const Voice& v = synth.voices[i];
            const VoiceState& vs = v.state;
            note[i] = vs.osc.note;
            targetNote[i] = vs.osc.targetNote;
            level[i] = vs.adsrState.level;
            stage[i] = vs.adsrState.stage;
            lastOutput[i] = vs.adsrState.lastOutput;
            releaseStart[i] = vs.adsrState.releaseStart;
            gate[i] = vs.adsrState.gate;
            gateCopy[i] = vs.adsrState.gateCopy;
            counter[i] = vs.adsrState.counter;
            lfoValue[i] = vs.lfoState.value;
            lfoPhase[i] = vs.lfoState.phase;
            lfoDone[i] = vs.lfoState.oneShotDone;
            velAmp[i] = vs.velAmp;
            velFilter[i] = vs.velFilter;
            for (int k = 0; k < kCores; ++k) {
                masterPhase[k][i] = v.masterPhase[k];
                slavePhase[k][i] = v.slavePhase[k];
                sawCore[k][i] = v.sawCore[k];
            }
            pulseCore[i] = v.pulseCore;
            subPhase[i] = v.subPhase;
            subCore1[i] = v.subCore1;
            subCore2[i] = v.subCore2;
            prevMix[i] = v.prevMix;
            prevScaled[i] = v.prevScaled;
            out[i] = v.out;
            s1[i] = v.filter.s1;
            s2[i] = v.filter.s2;
            s3[i] = v.filter.s3;
            s4[i] = v.filter.s4;
        }
    }

    BANK_INLINE void store(Synthesizer& synth) const {
        for (int i = 0; i < kLanes; ++i) {
            Voice& v = synth.voices[i];
            VoiceState& vs = v.state;
            vs.osc.note = note[i];
            vs.osc.targetNote = targetNote[i];
            vs.adsrState.level = level[i];
            vs.adsrState.stage = static_cast<int>(stage[i]);
            vs.adsrState.lastOutput = lastOutput[i];
            vs.adsrState.releaseStart = releaseStart[i];
            vs.adsrState.gate = gate[i];
            vs.adsrState.gateCopy = gateCopy[i];
            vs.adsrState.counter = static_cast<int>(counter[i]);
            vs.lfoState.value = lfoValue[i];
            vs.lfoState.phase = lfoPhase[i];
            vs.lfoState.oneShotDone = lfoDone[i] != 0.0;
            for (int k = 0; k < kCores; ++k) {
                v.masterPhase[k] = masterPhase[k][i];
                v.slavePhase[k] = slavePhase[k][i];
                v.sawCore[k] = sawCore[k][i];
            }
            v.pulseCore = pulseCore[i];
            v.subPhase = subPhase[i];
            v.subCore1 = subCore1[i];
            v.subCore2 = subCore2[i];
            v.prevMix = prevMix[i];
            v.prevScaled = prevScaled[i];
            v.out = out[i];
            v.filter.s1 = s1[i];
            v.filter.s2 = s2[i];
            v.filter.s3 = s3[i];
            v.filter.s4 = s4[i];
        }
    }
};

namespace {

using enum Synthesizer::Smoothed;

// The synth-wide values one sample of the voices reads. They are prepared for a run of samples
// before the voices are computed, except the noise, which is computed with the voices: libm's
// sin reads the floating-point control register, which waits for all floating-point work in
// flight, and measured, one call per sample costs least among the voices' work.
struct SampleInputs {
    double smoothed[16]; // the parameter smoothers' outputs (Synthesizer::Smoothed), 12 used
    double noise;
    Synthesizer::SampleModulation mod;
};

// The twelve parameter smoothers side by side: Dezipper::process on every lane.
class LaneSmoothers {
public:
    static constexpr int kCount = 2 * kLanes; // Synthesizer::kNumSmoothed, rounded up

    // targets and states in the order of Synthesizer::Smoothed, padded with zeros to kCount.
    BANK_INLINE LaneSmoothers(const double* targets, const double* states) {
        for (int g = 0; g < kGroups; ++g) {
            __builtin_memcpy(&target[g], targets + g * kLanes, sizeof(Lanes));
            __builtin_memcpy(&state[g], states + g * kLanes, sizeof(Lanes));
            pull[g] = 0.002 * target[g];
        }
    }

    // One sample of every smoother, written to out (kCount values).
    BANK_INLINE void step(double* out) {
        for (int g = 0; g < kGroups; ++g) {
            state[g] = select(target[g] > 0.0, 0.998 * state[g] + pull[g], splat(0.0));
            __builtin_memcpy(out + g * kLanes, &state[g], sizeof(Lanes));
        }
    }

    BANK_INLINE void store(double* states) const {
        for (int g = 0; g < kGroups; ++g)
            __builtin_memcpy(states + g * kLanes, &state[g], sizeof(Lanes));
    }

private:
    static constexpr int kGroups = kCount / kLanes;
    static_assert(kCount >= Synthesizer::kNumSmoothed);
    static_assert(sizeof(SampleInputs::smoothed) == kCount * sizeof(double));
    Lanes target[kGroups], state[kGroups], pull[kGroups];
};

// The LFO values one sample of the voices reads: the free-running LFO's for every lane, or
// each voice's own one-shot sweep.
struct LaneLFO {
    Lanes pitch, pwm, filter, amp, hs;
};

// One sample of the voices between their oscillators and their filter: the oscillator stage
// of a sample is computed together with the filter stage of the sample before, which lets the
// processor overlap the filter's long chain of dependent steps with the next oscillators.
struct VoiceFrame {
    Lanes osc;       // oscillator mix after the DC blocker (and the drive when it comes first)
    Lanes envFilter; // envelope times velocity, for the filter
    Lanes note;      // pitch after glide, for keyboard tracking
    Lanes lfoFilter, lfoAmp;
    Lanes amp;  // envelope or gate times velocity, for the amplifier
    Lanes busy; // 1.0 for the lanes playing this sample
    bool any, all;
};

class BankStep {
public:
    BankStep(VoiceBank::State& st, const Synthesizer& synth, double (*cache)[kLanes], int numVoices)
        : st(st), gs(synth.globalState), adsr(synth.adsr), lfo(synth.lfo),
          oneShot(synth.lfo.seeIsOneShot()), numVoices(numVoices),
          cache(reinterpret_cast<Lanes*>(cache)) {
        for (int i = 0; i < kLanes; ++i)
            active[i] = i < numVoices ? 1.0 : 0.0;
    }

    // Samples 0..n-1 of the voices, each lane's output into played (0 for idle lanes). Computes
    // each sample's noise from noise and clock into in.
    BANK_INLINE void run(SampleInputs* in, Lanes* played, int n, double& noise, double& clock);

    // The one-shot LFO values of the last voice computed, as the scalar engine leaves them in
    // GlobalState; false when no voice has been computed with a one-shot LFO.
    bool lastVoiceLFO(LaneLFO& out, int& lane) const {
        out = published;
        lane = publishedLane;
        return publishedLane >= 0;
    }

private:
    // Lanes outside busy keep their state. The mask is rebuilt from a comparison at each use:
    // GCC turns a comparison feeding a select into one masked blend, but a mask held in a
    // variable into a lane-by-lane loop.
    template <bool kAllBusy> BANK_INLINE void commit(Lanes busy, Lanes& state, Lanes value) {
        if constexpr (kAllBusy)
            state = value;
        else
            state = pick(busy, value, state);
    }

    BANK_INLINE void oscillatorStage(SampleInputs& in, VoiceFrame& f, double& noise, double& clock);
    BANK_INLINE Lanes filterStage(const SampleInputs& in, const VoiceFrame& f);
    template <bool kAllBusy> BANK_INLINE void voicesToFilter(const SampleInputs& in, VoiceFrame& f);
    template <bool kAllBusy>
    BANK_INLINE Lanes voicesFromFilter(const SampleInputs& in, const VoiceFrame& f);

    template <bool kAllBusy> BANK_INLINE void oneShotLFO(Lanes busy, LaneLFO& out);
    template <bool kAllBusy>
    BANK_INLINE Lanes oscillators(const SampleInputs& in, Lanes busy, const LaneLFO& lfo);
    template <bool kAllBusy, bool kSync>
    BANK_INLINE void sawCores(Lanes busy, Lanes incr, Lanes hsIncr, double d, Lanes fb, Lanes s,
                              Lanes& centre, Lanes& sides, Lanes& slave0);
    template <bool kAllBusy> BANK_INLINE Lanes envelope(Lanes busy);
    template <bool kAllBusy>
    BANK_INLINE Lanes filter(const SampleInputs& in, Lanes busy, Lanes x, Lanes envIn, Lanes lfoIn,
                             Lanes note);

    // How far each core's master and slave phases advance in a sample.
    struct CoreSteps {
        Lanes incr, hsIncr; // the voices' increments and sync increments they were computed for
        double detune = NAN;
        Lanes master[kCores], slave[kCores];
    };
    // The steps for the voices' increments, sync increments and detune, kept and only
    // recomputed when one of these changes: pitches, sync and the detune knob move far less
    // often than samples pass.
    BANK_INLINE const CoreSteps& coreSteps(Lanes incr, Lanes hsIncr, double d) {
        CoreSteps& s = steps;
        if (lanes::sameBits(incr, s.incr) && lanes::sameBits(hsIncr, s.hsIncr) && d == s.detune)
            return s;
        for (int k = 0; k < kCores; ++k) {
            s.master[k] = incr * (1.0 + kDetune[k] * d);
            s.slave[k] = (s.master[k] + hsIncr) * kSlaveRates[k];
        }
        s.incr = incr;
        s.hsIncr = hsIncr;
        s.detune = d;
        return s;
    }

    VoiceBank::State& st;
    const GlobalState& gs;
    const ADSR& adsr;
    const LFO& lfo;
    const bool oneShot;
    const int numVoices;
    Lanes active; // 1.0 for the voices the engine plays, below numVoices
    CoreSteps steps;
    LaneLFO published;
    int publishedLane = -1;
    // Oscillator pitch and frequency, filter pitch and frequency, warped cutoff, and its
    // tangent g with the filter coefficients G, G1, G2, G3, G4.
    Lanes* cache;
};

template <bool kAllBusy> BANK_INLINE void BankStep::oneShotLFO(Lanes busy, LaneLFO& out) {
    Lanes phase = st.lfoPhase, value = st.lfoValue, done = st.lfoDone;
    if (lfo.type == LFO::kSineOneShot) {
        phase = st.lfoPhase + lfo.speed;
        done = lanes::ones(phase >= 1.0);
        value = lanes::fast_sin((phase + 0.5) * 3.14159265359);
    } else if (lfo.type == LFO::kRampOneShot) {
        phase = st.lfoPhase - 2.0 * lfo.speed;
        done = lanes::ones(phase <= -1.0);
        value = phase;
    }
    const Lanes advance = busy * lanes::ones(st.lfoDone == 0.0);
    st.lfoPhase = pick(advance, phase, st.lfoPhase);
    st.lfoDone = pick(advance, done, st.lfoDone);
    st.lfoValue = pick(advance, value, st.lfoValue);

    const double m = gs.modWheel.getLFO();
    const double depth = lfo.amount >= 0.5 ? 2.0 * (lfo.amount - 0.5) : 2.0 * (0.5 - lfo.amount);
    const Lanes v = lfo.amount >= 0.5 ? st.lfoValue : -st.lfoValue;
    const Lanes output = v * depth * depth * m;
    const Lanes offset = depth * m + output;
    switch (lfo.target) {
    case LFO::kPitch:
        out.pitch = output;
        break;
    case LFO::kPulseWidth:
        out.pwm = (offset + 0.0) * 0.5;
        break;
    case LFO::kFilter:
        out.filter = (offset + 0.0) * 0.5;
        break;
    case LFO::kAmp:
        out.amp = (offset + 0.0) * 0.5;
        break;
    case LFO::kHardSync:
        out.hs = (offset + 0.01) * 0.5;
        break;
    default:
        break;
    }
}

// The nine saw cores. Returns the centre core, the sum of the eight side cores and the centre
// core's slave phase, which the pulse follows.
template <bool kAllBusy, bool kSync>
BANK_INLINE void BankStep::sawCores(Lanes busy, Lanes incr, Lanes hsIncr, double d, Lanes fb,
                                    Lanes s, Lanes& centre, Lanes& sides, Lanes& slave0) {
    // A core whose master wraps while sync is on restarts: keep is 0 for it, else 1.
    const Lanes syncOn = lanes::ones(hsIncr != 0.0);
    // Phases stay in -1..1, so one wrap is all a slave needs unless it advances by nearly two
    // periods in a sample (core increments are at most 1.026 times incr), which only sync does.
    const bool manyPeriods = kSync && lanes::any(incr * 1.04 + hsIncr >= 1.9);

    const CoreSteps& steps = coreSteps(incr, hsIncr, d);
    sides = splat(0.0);
#pragma GCC unroll 9
    for (int k = 0; k < kCores; ++k) {
        const Lanes master = st.masterPhase[k] + steps.master[k];
        commit<kAllBusy>(busy, st.masterPhase[k], select(master >= 1.0, master - 2.0, master));

        const Lanes advanced = st.slavePhase[k] + steps.slave[k];
        Lanes slave = manyPeriods ? wrapPhase(advanced) : wrapOnce(advanced);
        Lanes keep = splat(1.0);
        if constexpr (kSync) {
            keep = select(master >= 1.0, 1.0 - syncOn, keep);
            slave *= keep;
        }
        Lanes core = (st.sawCore[k] +
                      lanes::fast_sin(kTwoPi * (slave + fb * st.sawCore[k] + kPhaseOffsets[k]))) *
                     s;
        if constexpr (kSync) core *= keep;
        commit<kAllBusy>(busy, st.slavePhase[k], slave);
        commit<kAllBusy>(busy, st.sawCore[k], core);
        if (k == 0) {
            centre = core;
            slave0 = slave;
        } else {
            sides += core;
        }
    }
}

template <bool kAllBusy>
BANK_INLINE Lanes BankStep::oscillators(const SampleInputs& in, Lanes busy, const LaneLFO& lfo) {
    // Glide and pitch.
    const Lanes note = gs.portaOnoff
                           ? st.note * (1.0 - gs.portaSpeed) + st.targetNote * gs.portaSpeed
                           : st.targetNote;
    commit<kAllBusy>(busy, st.note, note);
    const double bend = gs.pitchWheelDelta * gs.pitchWheelRange;
    Lanes f = exactRelativeFrequency(note + bend, gs.sampleRate, cache[0], cache[1]);
    f = f + f * lfo.pitch;

    const double d = in.smoothed[kSmoothSawDetune];
    const double centreGain = d <= 0.05 ? 10.0 * (0.1 - d) : 0.5;
    const double sideGain = d <= 0.05 ? 10.0 * d : 0.5;
    const Lanes incr = lanes::clamp(f, 0.0, 1.0);

    Lanes pw = in.smoothed[kSmoothPulseWidth] < 0.505
                   ? in.smoothed[kSmoothPulseWidth] - 0.5 * lfo.pwm
                   : 0.25 - 0.06875 * in.mod.pwmLFO + 0.5 * lfo.pwm;
    pw = lanes::clamp(pw, 0.01, 0.5);

    const Lanes hs =
        lanes::clamp(in.smoothed[kSmoothHardSync] + lfo.hs + gs.modWheel.getHardSync(), 0.0, 1.0);
    const Lanes hsIncr = incr * 31.0 * hs;
    Lanes s = 0.5 - hsIncr;
    s = select(s <= 0.1, splat(0.1), s);

    const Lanes h = 0.5 * incr;
    const Lanes fbBase = 0.5 - h;
    const Lanes fb = 6.5 * fbBase * fbBase * fbBase * fbBase;
    const Lanes offset = 0.376 - 0.752 * h;
    const Lanes level = 1.0 - 2.0 * h;
    Lanes centre, sides, slave0;
    // Without hard sync in any lane (the usual case) no core is ever reset: the variant without
    // the reset factors, which are all 1 then, gives the same results.
    if (lanes::all(hs == 0.0))
        sawCores<kAllBusy, false>(busy, incr, hsIncr, d, fb, s, centre, sides, slave0);
    else
        sawCores<kAllBusy, true>(busy, incr, hsIncr, d, fb, s, centre, sides, slave0);

    const Lanes pulse =
        (st.pulseCore + lanes::fast_sin(kTwoPi * (slave0 + fb * st.pulseCore + pw))) * s;
    commit<kAllBusy>(busy, st.pulseCore, pulse);

    const Lanes subPhase = wrapPhase(st.subPhase + 0.25 * incr);
    commit<kAllBusy>(busy, st.subPhase, subPhase);
    const double b = in.smoothed[kSmoothSubOscBalance];
    const Lanes subFb = fb * (b < 0.5 ? 2.0 * b : 1.0);
    const Lanes sub1 =
        (st.subCore1 + lanes::fast_sin(kTwoPi * (subPhase + subFb * st.subCore1))) * 0.5;
    const Lanes sub2 =
        (st.subCore2 + lanes::fast_sin(kTwoPi * (subPhase + subFb * st.subCore2 + 0.5))) * 0.5;
    commit<kAllBusy>(busy, st.subCore1, sub1);
    commit<kAllBusy>(busy, st.subCore2, sub2);
    const Lanes sub = sub1 - sub2 * (b >= 0.5 ? 2.0 * (b - 0.5) : 0.0);

    const Lanes stack = centreGain * centre + sideGain * sides;
    const Lanes mix = in.smoothed[kSmoothSaw] * stack +
                      in.smoothed[kSmoothPulse] * (centre - pulse) +
                      in.noise * in.smoothed[kSmoothNoise] + sub * in.smoothed[kSmoothSub];

    Lanes e = 2.5 * mix + -1.5 * st.prevMix;
    commit<kAllBusy>(busy, st.prevMix, mix);
    e = level * (e + offset);
    const Lanes w = 0.25 * e;
    const Lanes out = w - st.prevScaled + 0.9999 * st.out;
    commit<kAllBusy>(busy, st.prevScaled, w);
    commit<kAllBusy>(busy, st.out, out);
    return out;
}

// ADSR::process on every lane, the stages as masks.
template <bool kAllBusy> BANK_INLINE Lanes BankStep::envelope(Lanes busy) {
    const double sustain = adsr.sustainLevel;
    // Held notes: every playing voice sustains, which only sets the gate and counts.
    if (lanes::all((busy == 0.0) | (st.stage == double(ADSRState::kSustain)))) {
        commit<kAllBusy>(busy, st.gate, splat(1.0));
        commit<kAllBusy>(busy, st.gateCopy, splat(1.0));
        commit<kAllBusy>(busy, st.lastOutput, splat(sustain));
        commit<kAllBusy>(busy, st.counter,
                         select(st.counter < double(INT_MAX), st.counter + 1.0, st.counter));
        return splat(sustain);
    }
    const double g = gateSpeed(adsr.sampleRate);
    // The stages as flags (1.0 or 0.0), one of them set per lane.
    const Lanes retrigger = lanes::ones(st.stage == double(ADSRState::kRetrigger));
    const Lanes attack = lanes::ones(st.stage == double(ADSRState::kAttack));
    const Lanes decay = lanes::ones(st.stage == double(ADSRState::kDecay));
    const Lanes hold = lanes::ones(st.stage == double(ADSRState::kSustain));
    const Lanes release = lanes::ones(st.stage == double(ADSRState::kRelease));

    // Each ramping stage moves the level by its own step.
    Lanes step = splat(0.0);
    step = pick(retrigger, splat(-g), step);
    step = pick(attack, splat(adsr.attackIncr), step);
    step = pick(decay, splat(-adsr.decayIncr), step);
    step = pick(release, splat(-adsr.releaseIncr), step);
    Lanes level = pick(retrigger + attack + decay + release, st.level + step, st.level);

    Lanes gate = st.gate;
    gate = pick(retrigger + release, gate - g, gate);
    gate = pick(attack, gate + g, gate);
    gate = pick(decay + hold, splat(1.0), gate);

    // Stage ends.
    const Lanes emptied = lanes::ones(level <= 0.0);
    const Lanes retriggerEnd = retrigger * emptied;
    const Lanes attackEnd =
        attack * (adsr.attackIncr == 0.0 ? splat(1.0) : lanes::ones(level >= 1.0));
    const Lanes decayEnd = decay * emptied;
    const Lanes releaseEnd = release * (adsr.releaseIncr == 0.0 ? splat(1.0) : emptied);
    Lanes stage = st.stage;
    stage = pick(retriggerEnd, splat(ADSRState::kAttack), stage);
    stage = pick(attackEnd, splat(ADSRState::kDecay), stage);
    stage = pick(decayEnd, splat(ADSRState::kSustain), stage);
    stage = pick(releaseEnd, splat(ADSRState::kIdle), stage);
    level = pick(retriggerEnd + releaseEnd, splat(0.0), level);
    level = pick(attackEnd + decayEnd, splat(1.0), level);

    // Env_curveA for the attack, Env_curveDR for decay and release: one division.
    const Lanes c = pick(attack, splat(0.104972375691), splat(9.52631578947));
    const Lanes curve = level / (level - c * (level - 1.0));
    Lanes out = level;
    out = pick(attack, curve, out);
    out = pick(decay, curve * (1.0 - sustain) + sustain, out);
    out = pick(decayEnd + hold, splat(sustain), out);
    out = pick(release, curve * st.releaseStart, out);

    gate = lanes::clamp(gate, 0.0, 1.0);
    commit<kAllBusy>(busy, st.level, level);
    commit<kAllBusy>(busy, st.stage, stage);
    commit<kAllBusy>(busy, st.gate, gate);
    commit<kAllBusy>(busy, st.gateCopy, gate);
    commit<kAllBusy>(busy, st.lastOutput, out);
    commit<kAllBusy>(busy, st.counter,
                     select(st.counter < double(INT_MAX), st.counter + 1.0, st.counter));
    return out;
}

template <bool kAllBusy>
BANK_INLINE Lanes BankStep::filter(const SampleInputs& in, Lanes busy, Lanes x, Lanes envIn,
                                   Lanes lfoIn, Lanes note) {
    const double a = in.smoothed[kSmoothEnvAmount];
    const Lanes envMod = a >= 0.5 ? envIn * 2.0 * (a - 0.5) : (1.0 - envIn) * 2.0 * (0.5 - a);
    const Lanes pitch = gs.kbdTrk * note + 144.0 * (in.smoothed[kSmoothCutoff] + envMod + lfoIn +
                                                    gs.modWheel.getCutoff());
    const Lanes cutoffNorm =
        lanes::clamp(relativeFrequency(pitch, gs.sampleRate, cache[2], cache[3]), 0.0, 0.997);

    const Lanes wc = cutoffNorm * 3.14159265359 * 0.5;
    if (lanes::any(wc != cache[4])) {
        const Lanes g = lanes::tanf(wc);
        const Lanes G = 1.0 / (g + 1.0);
        cache[4] = wc;
        cache[5] = g;
        cache[6] = G;
        cache[7] = g * G * G;
        cache[8] = g * g * G * G * G;
        cache[9] = g * g * g * G * G * G * G;
        cache[10] = g * g * g * g * G * G * G * G;
    }
    const Lanes g = cache[5], G = cache[6], G1 = cache[7], G2 = cache[8], G3 = cache[9],
                G4 = cache[10];
    const Lanes twoG = 2.0 * g;
    const double k = 4.0 * in.smoothed[kSmoothResonance];

    const Lanes s1 = lanes::clamp(st.s1, -1.0, 1.0);
    const Lanes y4 = (G * st.s4 + G1 * st.s3 + G2 * st.s2 + G3 * s1 + G4 * x) / (k * G4 + 1.0);
    const Lanes u = x - k * y4;
    const Lanes y1 = G * (s1 + g * u);
    const Lanes y2 = G * (st.s2 + g * y1);
    const Lanes y3 = G * (st.s3 + g * y2);

    commit<kAllBusy>(busy, st.s1, s1 + twoG * (u - y1));
    commit<kAllBusy>(busy, st.s2, st.s2 + twoG * (y1 - y2));
    commit<kAllBusy>(busy, st.s3, st.s3 + twoG * (y2 - y3));
    commit<kAllBusy>(busy, st.s4, st.s4 + twoG * (y3 - y4));

    switch (gs.filterType) {
    case Filter::kLowPass:
        return y4;
    case Filter::kHighPass:
        return (u - y2) * 0.9 / (1.0 + k);
    case Filter::kBandPass:
        return (y2 - y3) * 2.5 / (1.0 + k);
    default:
        return splat(0.0);
    }
}

// The oscillators, drive when it comes first, and envelope of one sample, with that sample's
// noise.
BANK_INLINE void BankStep::oscillatorStage(SampleInputs& in, VoiceFrame& f, double& noise,
                                           double& clock) {
    in.noise = nextNoise(noise, clock);
    const Lanes busy = pick(st.stage, active, splat(0.0)); // idle is stage +0.0
    f.any = lanes::any(busy != 0.0);
    if (!f.any) return;
    f.all = lanes::all(busy != 0.0);
    f.busy = busy;
    if (f.all)
        voicesToFilter<true>(in, f);
    else
        voicesToFilter<false>(in, f);
}

template <bool kAllBusy>
BANK_INLINE void BankStep::voicesToFilter(const SampleInputs& in, VoiceFrame& f) {
    const Lanes busy = f.busy;
    LaneLFO lfo;
    if (oneShot) {
        // The voices' own sweeps replace what the free-running LFO last published.
        lfo = {splat(gs.LFOPitch), splat(gs.LFOPWM), splat(gs.LFOFilter), splat(gs.LFOAmp),
               splat(gs.LFOHS)};
        oneShotLFO<kAllBusy>(busy, lfo);
        for (int v = 0; v < numVoices; ++v)
            publishedLane = busy[v] != 0.0 ? v : publishedLane;
        published = lfo;
    } else {
        const Synthesizer::SampleModulation& m = in.mod;
        lfo = {splat(m.lfoPitch), splat(m.lfoPWM), splat(m.lfoFilter), splat(m.lfoAmp),
               splat(m.lfoHS)};
    }

    Lanes out = oscillators<kAllBusy>(in, busy, lfo);
    if (!gs.driveOnoff) out = drive(out, in.smoothed[kSmoothDrive]);
    const Lanes env = envelope<kAllBusy>(busy);
    f.osc = out;
    f.envFilter = env * st.velFilter;
    f.note = st.note;
    f.lfoFilter = lfo.filter;
    f.lfoAmp = lfo.amp;
    f.amp = gs.ampEnvType == 0 ? env * st.velAmp : st.gate * st.velAmp;
}

// The filter, drive when it comes last, and amplifier of one sample; 0 in idle lanes.
BANK_INLINE Lanes BankStep::filterStage(const SampleInputs& in, const VoiceFrame& f) {
    if (!f.any) return splat(0.0);
    const Lanes out = f.all ? voicesFromFilter<true>(in, f) : voicesFromFilter<false>(in, f);
    return pick(f.busy, out, splat(0.0));
}

template <bool kAllBusy>
BANK_INLINE Lanes BankStep::voicesFromFilter(const SampleInputs& in, const VoiceFrame& f) {
    Lanes out = filter<kAllBusy>(in, f.busy, f.osc, f.envFilter, f.lfoFilter, f.note);
    if (gs.driveOnoff) out = drive(out, in.smoothed[kSmoothDrive]);
    if (gs.ampEnvType == 0 || gs.ampEnvType == 1) out *= f.amp;
    if (oneShot) out *= 1.0 - f.lfoAmp;
    return out;
}

// Sample i's oscillators beside sample i - 1's filter (see VoiceFrame). Each stage appears
// once, so that it is inlined once.
BANK_INLINE void BankStep::run(SampleInputs* in, Lanes* played, int n, double& noise,
                               double& clock) {
    VoiceFrame frames[2];
    for (int i = 0; i <= n; ++i) {
        if (i < n) oscillatorStage(in[i], frames[i & 1], noise, clock);
        if (i > 0) played[i - 1] = filterStage(in[i - 1], frames[(i - 1) & 1]);
    }
}

} // namespace

void VoiceBank::KARVELUND_BANK_KERNEL(Synthesizer& synth, double* output, int n) {
    GlobalState& gs = synth.globalState;
    if (gs.sampleRate != cacheRate) forgetCache(gs.sampleRate);
    State st;
    st.load(synth);
    double smoothing[2][LaneSmoothers::kCount] = {}; // targets, states
    synth.smootherTargets(smoothing[0]);
    for (int k = 0; k < Synthesizer::kNumSmoothed; ++k)
        smoothing[1][k] = synth.paramDezippers[k].state;
    LaneSmoothers smoothers(smoothing[0], smoothing[1]);
    BankStep step(st, synth, cache, gs.numVoices < kLanes ? gs.numVoices : kLanes);
    double noise = synth.noise, clock = synth.noiseClock;

    constexpr int kRun = 64;
    SampleInputs in[kRun];
    Synthesizer::SampleModulation mod[kRun];
    Lanes played[kRun];
    for (int start = 0; start < n; start += kRun) {
        const int m = n - start < kRun ? n - start : kRun;
        synth.advanceModulation(mod, m);
        for (int i = 0; i < m; ++i) {
            smoothers.step(in[i].smoothed);
            in[i].mod = mod[i];
        }
        step.run(in, played, m, noise, clock);
        for (int i = 0; i < m; ++i) {
            // The voices in index order, as the scalar engine adds them; an idle lane adds 0.
            double sum = 0.0;
            for (int v = 0; v < kLanes; ++v)
                sum += played[i][v];
            output[start + i] = synth.finishSample(sum, in[i].mod.volume);
        }
    }
    if (n <= 0) return;

    st.store(synth);
    smoothers.store(smoothing[1]);
    for (int k = 0; k < Synthesizer::kNumSmoothed; ++k)
        synth.paramDezippers[k].state = smoothing[1][k];
    synth.publishSmoothed();
    synth.noise = noise;
    synth.noiseClock = clock;
    gs.setNoisesignal(noise);
    LaneLFO lfo;
    int lane;
    if (step.lastVoiceLFO(lfo, lane))
        synth.publishVoiceLFO(lfo.pitch[lane], lfo.pwm[lane], lfo.filter[lane], lfo.amp[lane],
                              lfo.hs[lane]);
}
