#include "Synthesizer.h"

#include "EngineMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

template <size_t... I>
std::array<Voice, sizeof...(I)> makeVoices(GlobalState* gs, std::index_sequence<I...>) {
    return {((void)I, Voice(gs))...};
}

// Each smoother's target and the smoothed value it feeds, in the order of Synthesizer::Smoothed.
struct SmoothedField {
    double GlobalState::*target;
    double GlobalState::*smoothed;
};
constexpr SmoothedField kSmoothedFields[Synthesizer::kNumSmoothed] = {
    {&GlobalState::hardSyncAmount, &GlobalState::hardSyncAmountSmoothed},
    {&GlobalState::pulseWidth, &GlobalState::pulseWidthSmoothed},
    {&GlobalState::sawDetune, &GlobalState::sawDetuneSmoothed},
    {&GlobalState::subOscBalance, &GlobalState::subOscBalanceSmoothed},
    {&GlobalState::noiseAmount, &GlobalState::noiseAmountSmoothed},
    {&GlobalState::pulseAmount, &GlobalState::pulseAmountSmoothed},
    {&GlobalState::sawAmount, &GlobalState::sawAmountSmoothed},
    {&GlobalState::subAmount, &GlobalState::subAmountSmoothed},
    {&GlobalState::cutoff, &GlobalState::cutoffSmoothed},
    {&GlobalState::resonance, &GlobalState::resonanceSmoothed},
    {&GlobalState::envAmount, &GlobalState::envAmountSmoothed},
    {&GlobalState::driveAmount, &GlobalState::driveAmountSmoothed},
};
static_assert(Synthesizer::kSmoothDrive == Synthesizer::kNumSmoothed - 1);

Synthesizer::Engine engineFromEnvironment() {
    const char* name = std::getenv("KARVELUND_ENGINE");
    return name && std::strcmp(name, "simd") == 0 ? Synthesizer::Engine::kSimd
                                                  : Synthesizer::Engine::kScalar;
}

} // namespace

Synthesizer::Synthesizer()
    : voices(makeVoices(&globalState, std::make_index_sequence<kMaxVoices>())), lfo(&globalState),
      engine(engineFromEnvironment()) {}

void Synthesizer::init(double sampleRate) {
    adsr.setSampleRate(sampleRate);
    globalState.setSampleRate(sampleRate);
    lfo.setSampleRate(sampleRate);
}

void Synthesizer::smootherTargets(double* t) const {
    for (int k = 0; k < kNumSmoothed; ++k)
        t[k] = globalState.*kSmoothedFields[k].target;
}

void Synthesizer::publishSmoothed() {
    for (int k = 0; k < kNumSmoothed; ++k)
        globalState.*kSmoothedFields[k].smoothed = paramDezippers[k].state;
}

void Synthesizer::smoothParameters() {
    double targets[kNumSmoothed];
    smootherTargets(targets);
    for (int k = 0; k < kNumSmoothed; ++k)
        paramDezippers[k].process(targets[k]);
    publishSmoothed();
}

void Synthesizer::advanceNoise() {
    globalState.setNoisesignal(nextNoise(noise, noiseClock));
}

// A triangle of max(0, pulseWidth - 0.5) * 15 Hz for the automatic pulse-width modulation.
[[gnu::always_inline]] inline void Synthesizer::advancePulseWidthLFO() {
    const GlobalState& gs = globalState;
    if (gs.pulseWidth != pwmStepWidth || gs.sampleRate != pwmStepRate) {
        pwmStep = std::max(0.0, gs.pulseWidth - 0.5) * 30.0 / gs.sampleRate;
        pwmStepWidth = gs.pulseWidth;
        pwmStepRate = gs.sampleRate;
    }
    pwmPhase += pwmStep;
    if (pwmPhase >= 1.0) pwmPhase -= 2.0;
    pwmValue = pwmPhase > 0.0 ? 1.0 - 2.0 * pwmPhase : 1.0 + 2.0 * pwmPhase;
    globalState.setPWMonlyLFO(pwmValue);
}

[[gnu::always_inline]] inline void Synthesizer::publishLFO() {
    switch (lfo.getTarget()) {
    case LFO::kPitch:
        globalState.setLFOPitch(lfo.getPitch());
        break;
    case LFO::kPulseWidth:
        globalState.setLFOPWM(lfo.getPWM());
        break;
    case LFO::kFilter:
        globalState.setLFOFilter(lfo.getFilter());
        break;
    case LFO::kAmp:
        globalState.setLFOAmp(lfo.getAmp());
        break;
    case LFO::kHardSync:
        globalState.setLFOHS(lfo.getHS());
        break;
    default:
        break;
    }
}

// Soft clipper x - 4x^3/27 that meets +-1 with zero slope at +-1.5.
double Synthesizer::drive(double in) const {
    const double d = globalState.driveAmountSmoothed;
    const double x = in * (1.0 + 99.0 * d * d);
    if (x > 1.5) return 1.0;
    if (x < -1.5) return -1.0;
    return x - 0.148148148148 * x * x * x;
}

double Synthesizer::renderVoice(Voice& voice) {
    GlobalState& gs = globalState;
    VoiceState& vs = voice.state;
    const bool oneShot = lfo.seeIsOneShot();
    if (oneShot) {
        lfo.process(&vs.lfoState);
        publishLFO();
    }

    out = voice.process();
    if (!gs.driveOnoff) out = drive(out);
    env = adsr.process(&vs.adsrState);
    out = voice.filter.process(out, env * vs.velFilter, gs.LFOFilter, gs.modWheel.getCutoff(),
                               vs.osc.note);
    if (gs.driveOnoff) out = drive(out);

    if (gs.ampEnvType == 0)
        out *= env * vs.velAmp;
    else if (gs.ampEnvType == 1)
        out *= vs.adsrState.gate * vs.velAmp;

    if (oneShot) out *= 1.0 - gs.LFOAmp;
    return out;
}

bool Synthesizer::beginSample() {
    smoothParameters();
    advanceNoise();
    advanceModulation();
    return lfo.seeIsOneShot();
}

[[gnu::always_inline]] inline void Synthesizer::advanceModulation() {
    advancePulseWidthLFO();
    if (!lfo.seeIsOneShot()) {
        lfo.process(&globalState.lfoState);
        publishLFO();
    }
}

void Synthesizer::advanceModulation(SampleModulation* out, int n) {
    const GlobalState& gs = globalState;
    const bool oneShot = lfo.seeIsOneShot();
    for (int i = 0; i < n; ++i) {
        advanceModulation();
        out[i] = {gs.PWMonlyLFO, gs.LFOPitch,          gs.LFOPWM, gs.LFOFilter, gs.LFOAmp,
                  gs.LFOHS,      volumeTarget(oneShot)};
    }
}

void Synthesizer::publishVoiceLFO(double pitch, double pwm, double filter, double amp, double hs) {
    globalState.setLFOPitch(pitch);
    globalState.setLFOPWM(pwm);
    globalState.setLFOFilter(filter);
    globalState.setLFOAmp(amp);
    globalState.setLFOHS(hs);
}

double Synthesizer::processScalar() {
    const bool oneShot = beginSample();
    double sum = 0.0;
    const int n = std::min<int>(globalState.numVoices, kMaxVoices);
    for (int i = 0; i < n; ++i) {
        if (voices[i].state.isBusy()) sum += renderVoice(voices[i]);
    }
    return endSample(sum, oneShot);
}

double Synthesizer::process() {
    if (engine == Engine::kScalar) return processScalar();
    double y;
    bank.render(*this, &y, 1);
    return y;
}

void Synthesizer::render(double* output, int n) {
    if (engine == Engine::kSimd) {
        bank.render(*this, output, n);
        return;
    }
    for (int i = 0; i < n; ++i)
        output[i] = processScalar();
}

int Synthesizer::findVoicePlaying(int note) const {
    for (int i = 0; i < globalState.numVoices; ++i) {
        if (voices[i].state.isBusy() && voices[i].state.noteNumber == note) return i;
    }
    return -1;
}

int Synthesizer::findFreeVoice() {
    const int n = globalState.numVoices;
    for (int i = 0; i < n; ++i) {
        if (!voices[i].state.isBusy()) return i;
    }
    int oldest = 0;
    for (int i = 1; i < n; ++i) {
        if (voices[i].state.adsrState.counter > voices[oldest].state.adsrState.counter) oldest = i;
    }
    voices[oldest].state.adsrState.counter = 0;
    return oldest;
}

void Synthesizer::restartLFO(VoiceState& vs, bool& lfogateisstart) {
    if (lfo.seeIsOneShot()) {
        lfo.gateOn(&vs.lfoState);
        vs.lfoState.oneShotDone = false;
    } else if (!lfogateisstart) {
        // The free-running LFO restarts with the first note of a phrase only.
        lfo.gateOn(&globalState.lfoState);
        lfogateisstart = true;
    }
}

void Synthesizer::setVelocityFactors(VoiceState& vs, int velocity) const {
    vs.velFilter = 1.0;
    vs.velAmp = 1.0;
    if (globalState.velocityTarget == 1)
        vs.velFilter = velocity / 127.0;
    else if (globalState.velocityTarget == 2)
        vs.velAmp = velocity / 127.0;
}

void Synthesizer::startVoice(int v, int note, int velocity, bool& lfogateisstart) {
    // A voice whose sound state has gone bad would stay silent (or worse) for good.
    if (!voices[v].isFinite()) voices[v].clearSound();
    VoiceState& vs = voices[v].state;
    restartLFO(vs, lfogateisstart);
    vs.osc.targetNote = note;
    setVelocityFactors(vs, velocity);
    vs.adsrState.retrigger();
}

void Synthesizer::jumpToNote(int v, double note) {
    OscState& osc = voices[v].state.osc;
    osc.note = note;
    osc.targetNote = note;
}

void Synthesizer::releaseNote(int note) {
    for (int i = 0; i < globalState.numVoices; ++i) {
        VoiceState& vs = voices[i].state;
        if (!vs.isBusy() || vs.noteNumber != note) continue;
        if (globalState.sustainPedalOnoff) {
            vs.sustained = true;
            return;
        }
        vs.adsrState.release();
    }
}

void Synthesizer::releaseSustained() {
    for (int i = 0; i < globalState.numVoices; ++i) {
        VoiceState& vs = voices[i].state;
        if (vs.sustained) {
            vs.sustained = false;
            vs.adsrState.release();
        }
    }
}

void Synthesizer::releaseAll() {
    for (int i = 0; i < globalState.numVoices; ++i) {
        if (voices[i].state.isBusy()) voices[i].state.adsrState.release();
    }
    heldNotes.clear();
}

void Synthesizer::sustainAll() {
    for (int i = 0; i < globalState.numVoices; ++i) {
        if (voices[i].state.isBusy()) voices[i].state.sustained = true;
    }
}

void Synthesizer::silenceAll() {
    for (Voice& voice : voices) {
        voice.state.adsrState = ADSRState();
        voice.state.sustained = false;
    }
    heldNotes.clear();
}
